#pragma once

#include <QPixmap>

#include "rotaskiv/toolbar_button.h"

// The capture toolbar's icons, drawn as vector shapes so they stay crisp at
// any device pixel ratio. Each icon is 16 x 16 logical pixels.
QPixmap toolbarIcon(ToolbarButton button, qreal devicePixelRatio);

// The font-size drop-down button in its three looks: 0 normal, 1 hover,
// 2 pressed; `size` in logical pixels.
QPixmap comboButtonPicture(int look, QSize size, qreal devicePixelRatio);
