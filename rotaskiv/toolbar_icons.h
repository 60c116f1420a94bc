#pragma once

#include <QPixmap>

// The capture toolbar's icons, drawn as vector shapes so they stay crisp at
// any device pixel ratio. Indexes are those of the toolbar buttons Image2(i):
// 0 undo, 1 copy and exit, 2 save, 3 exit capture, 4 arrow, 5 text,
// 6 ellipse, 7 rectangle, 8 redo. Each icon is 16 x 16 logical pixels.
QPixmap toolbarIcon(int index, qreal devicePixelRatio);

// The font-size drop-down button in its three looks: 0 normal, 1 hover,
// 2 pressed; `size` in logical pixels.
QPixmap comboButtonPicture(int look, QSize size, qreal devicePixelRatio);
