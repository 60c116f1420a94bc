#pragma once

class QWidget;

// Moves `widget` with the pointer while the mouse button that is down stays
// down, and returns only once it is released: the stand-in for the window
// system's own move loop. The widget keeps the offset to the pointer that it
// had when the call began, so a click without movement leaves it in place.
// Returns at once when no button is down; safe when the widget is deleted
// while it is dragged.
void DragWindow(QWidget* widget);
