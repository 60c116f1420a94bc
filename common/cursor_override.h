#pragma once

#include <Qt>
#include <optional>

// One application-wide cursor shape at a time, like a screen-wide cursor
// override: setting a shape replaces the one in force (Qt would stack them),
// setting the default removes the override altogether.
namespace cursor_override {

void set(Qt::CursorShape shape);
// Removes the override, however many times a shape was set.
void reset();
// The shape in force, or nothing when there is no override.
std::optional<Qt::CursorShape> current();

// The busy pointer while an operation holds the window's thread: shown as
// the scope begins, before the work (the window system is told at once, as
// no event loop runs to tell it later), and the shape in force before given
// back as the scope ends. Scopes nest.
class BusyScope {
 public:
  BusyScope();
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  std::optional<Qt::CursorShape> before_;
};

}  // namespace cursor_override
