#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>

class QImage;
class QPainter;

// The magnifier of the capture window, shown while a new selection is drawn
// or a handle is dragged: the device pixels around the pointer, each drawn as
// a block of kLoupeZoom x kLoupeZoom device pixels, with a crosshair on the
// one under the pointer. It is painted over the frozen screen and never
// becomes part of the picture.
namespace capture {

inline constexpr int kLoupeZoom = 8;
// About this many window pixels a side, and this far from the pointer.
inline constexpr double kLoupeSide = 120;
inline constexpr double kLoupeGap = 16;

struct Loupe {
  QRectF area;   // where it shows, in window pixels, on the device pixel grid
  QRect source;  // the device pixels it magnifies, the pointer's in the middle
};

// The loupe for the pointer at `pointer` on a screen of `screen` window
// pixels at `devicePixelRatio`. It leans away from `awayFrom` (where the
// selection lies), beside the pointer rather than under it, and flips to the
// other side where the screen ends; it always stays on the screen.
Loupe loupeFor(QPointF pointer, QPointF awayFrom, QSizeF screen, qreal devicePixelRatio);

// Paints `loupe` of `picture` (device pixels, with its devicePixelRatio) in
// window pixels. Pixels beyond the picture's edge show black.
void paintLoupe(QPainter& painter, const QImage& picture, const Loupe& loupe);

}  // namespace capture
