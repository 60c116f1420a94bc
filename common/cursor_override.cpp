#include "common/cursor_override.h"

#include <QCursor>
#include <QGuiApplication>

namespace cursor_override {

void set(Qt::CursorShape shape) {
  if (QGuiApplication::overrideCursor() != nullptr)
    QGuiApplication::changeOverrideCursor(QCursor(shape));
  else
    QGuiApplication::setOverrideCursor(QCursor(shape));
}

void reset() {
  while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
}

std::optional<Qt::CursorShape> current() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  if (cursor == nullptr) return std::nullopt;
  return cursor->shape();
}

BusyScope::BusyScope() : before_(current()) {
  set(Qt::BusyCursor);
  QGuiApplication::sync();
}

BusyScope::~BusyScope() {
  if (before_)
    set(*before_);
  else
    reset();
}

}  // namespace cursor_override
