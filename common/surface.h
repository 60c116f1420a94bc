#pragma once

#include <QImage>
#include <cstdint>

#include "common/colour.h"
#include "rotate/surface.h"

// The device-context analogue: a plain struct over a 32-bit image (declared
// in rotate/rotatedc.h so that C callers share it), and the blits the
// programs use on it. Every blit clips to both surfaces; a rectangle that
// lies outside either does nothing. Source and destination may share memory:
// the result is that of blitting from a snapshot of the source.
namespace surface {

// A Surface over the pixels of `image`, which is converted to RGB32 first if
// it is in another format. The Surface stays valid while the image is not
// reallocated.
Surface of(QImage& image);

// A Surface for reading only, over the pixels of `image` (RGB32 or ARGB32),
// which stay shared with any copy of it: nothing may be written through it.
// An image in another format gives a null Surface.
Surface view(const QImage& image);

enum class RasterOp { SrcCopy, SrcPaint };

// BitBlt: copies (or ORs, SRCPAINT) w x h pixels from src (sx, sy) to dst (x, y).
void bitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op = RasterOp::SrcCopy);

// StretchBlt: scales the source rectangle to the destination rectangle
// (nearest neighbour, as the classic call in its default mode). Negative
// sizes mirror.
void stretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh);

// TransparentBlt: like stretchBlt, leaving out source pixels of the key colour.
// A system colour key leaves out nothing.
void transparentBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                    int sw, int sh, ColourRef key);

// AlphaBlend with a constant opacity 0..255 over the whole source.
void alphaBlend(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh, int opacity);

// GetPixel / SetPixel; out-of-range reads return colour::kInvalid.
ColourRef getPixel(const Surface& s, int x, int y);
void setPixel(Surface& s, int x, int y, ColourRef c);

}  // namespace surface
