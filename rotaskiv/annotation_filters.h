#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// The pixel work under the pixelate and blur annotations, on 32-bit pictures
// (RGB32 or premultiplied ARGB32), in device pixels. Each reads and writes
// only the given rectangle, clipped to the image.
namespace capture::filters {

// Flat blocks of `block` x `block` pixels laid from `area`'s top-left, each
// the mean of the pixels it covers; a last row or column narrower than half
// a block joins the one before it, so no block is a sliver that would show
// pixels almost as they were.
void pixelate(QImage& image, QRect area, int block);

// Blurs `area` as a wide Gaussian-like blur of about `radius` pixels,
// reading only pixels inside it (its edges repeat outwards).
void blur(QImage& image, QRect area, int radius);

// Copies `from` (pixels of `source`) to `to` in `target`, clipped to both.
// Both 32-bit images of the same format.
void copyPixels(QImage& target, QPoint to, const QImage& source, QRect from);

}  // namespace capture::filters
