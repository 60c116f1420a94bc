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

}  // namespace cursor_override
