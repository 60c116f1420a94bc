#include "common/drag_window.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace {

// Sees the application's mouse events while the loop runs: moves place the
// widget (and go no further, as the system's move loop keeps them from the
// program), a release ends the loop and is delivered as usual so that every
// widget's idea of the pressed button stays right.
class PointerFollower final : public QObject {
 public:
  PointerFollower(QWidget* widget, QEventLoop& loop)
      : widget_(widget), loop_(loop), start_(widget->pos()), anchor_(QCursor::pos()) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    Q_UNUSED(watched);
    if (event->type() == QEvent::MouseButtonRelease) {
      loop_.quit();
    } else if (event->type() == QEvent::MouseMove) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // A move with no button down: the release went somewhere we never saw.
      if (mouse->buttons() == Qt::NoButton) {
        loop_.quit();
        return false;
      }
      if (widget_)
        widget_->move(start_ + heldToParent(mouse->globalPosition().toPoint()) - anchor_);
      return true;
    }
    return false;
  }

 private:
  // The pointer, kept inside the parent's client area (a window has none).
  QPoint heldToParent(QPoint global) const {
    const QWidget* parent = widget_->isWindow() ? nullptr : widget_->parentWidget();
    if (parent == nullptr || parent->rect().isEmpty()) return global;
    const QPoint local = parent->mapFromGlobal(global);
    const QRect area = parent->rect();
    return parent->mapToGlobal(QPoint(std::clamp(local.x(), area.left(), area.right()),
                                      std::clamp(local.y(), area.top(), area.bottom())));
  }

  QPointer<QWidget> widget_;
  QEventLoop& loop_;
  const QPoint start_;
  const QPoint anchor_;
};

}  // namespace

void DragWindow(QWidget* widget) {
  if (widget == nullptr || QGuiApplication::mouseButtons() == Qt::NoButton) return;
  const QPointer<QWidget> guard(widget);
  QEventLoop loop;
  QObject::connect(widget, &QObject::destroyed, &loop, &QEventLoop::quit);
  PointerFollower follower(widget, loop);
  qApp->installEventFilter(&follower);
  // The pointer may leave the window while the button is held.
  const bool grabbed = widget->isVisible();
  if (grabbed) widget->grabMouse();
  loop.exec();
  qApp->removeEventFilter(&follower);
  if (guard && grabbed && QWidget::mouseGrabber() == guard) guard->releaseMouse();
}
