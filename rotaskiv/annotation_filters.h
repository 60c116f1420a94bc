#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

// The pixel work under the pixelate and blur annotations, on 32-bit pictures
// (RGB32 or premultiplied ARGB32), in device pixels.
//
// Both are local: an output pixel depends only on the pixels below it within
// a short reach. So when something below a large box changes, only the part
// of the box near the change is worked out again, and that part comes out
// exactly as it would in a drawing of the whole box.
namespace capture::filters {

enum class FilterKind { Pixelate, Blur };

struct Filter {
  FilterKind kind = FilterKind::Pixelate;
  // The box, device pixels. Pixelate: blocks of `strength` x `strength`
  // laid from its top-left, each the mean of what it covers; a last row or
  // column narrower than half a block joins the one before it, so no block
  // is a sliver that shows pixels almost as they were. Blur: a blur of about
  // `strength` pixels' radius, Gaussian-like, reading only pixels inside the
  // box (mirrored at its edges).
  QRect box;
  int strength = 10;

  // The output pixels that change when the pixels below change within
  // `changed` (empty when they do not meet the box).
  QRect affected(const QRect& changed) const;
  // The pixels below that the output over `out` is worked out from.
  QRect needed(const QRect& out) const;
  // Works out the output over `out` (clipped to the box) from `below`, whose
  // pixel (0, 0) is the device pixel `belowOrigin` and which holds
  // needed(out), into `result`, whose pixel (0, 0) is `resultOrigin`.
  // `below` and `result` must not be the same image.
  void run(const QImage& below, QPoint belowOrigin, QRect out, QImage& result,
           QPoint resultOrigin) const;
};

// Copies `from` (pixels of `source`) to `to` in `target`, clipped to both.
// Both 32-bit images.
void copyPixels(QImage& target, QPoint to, const QImage& source, QRect from);

}  // namespace capture::filters
