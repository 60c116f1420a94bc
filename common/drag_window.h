#pragma once

class QWidget;

// Moves `widget` with the pointer while the mouse button that is down stays
// down, and returns only once it is released: the stand-in for the window
// system's own move loop. The widget keeps the offset to the pointer that it
// had when the call began, so a click without movement leaves it in place.
// As with a child window that the system moves, the pointer is held to the
// parent's client area while it drags, so the point of the widget that was
// pressed stays inside it: a widget dragged far out and released can always
// be pressed and dragged back. Returns at once when no button is down; safe
// when the widget is deleted while it is dragged.
void DragWindow(QWidget* widget);
