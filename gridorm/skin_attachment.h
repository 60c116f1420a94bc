#pragma once

class QWidget;

// Attaches the window skin engine to the designer's main window, once, while
// it loads; the engine then reaches every control and dialog of the window by
// itself. Until the engine is built in, this leaves the platform's own look.
void attachSkin(QWidget* window);
