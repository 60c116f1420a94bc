#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <optional>

#include "common/surface.h"
#include "gridorm/skin/skin_palette.h"

class QFont;
class QPainter;
class QString;

// The drawing operations every skin painter is made of. They work on
// Surfaces (memory images) and never stretch by a negative size or read from
// a null surface: what cannot be drawn is left out.
namespace skin {

// A Surface to read an image through (the blits never write their source).
Surface ReadingSurface(const QImage& image);

// A memory surface of the given size: opaque, or fully transparent when it is
// to be laid over a window with the key colour left out. Null when the size is
// empty or the memory cannot be had.
QImage MemorySurface(QSize size, bool transparent = false);

// Draws the skin cell (sx, sy, sw, sh) stretched over (x, y, width, height):
// corners unscaled, edges stretched along their length, the centre both ways.
// Margins of 0 or less everywhere stretch the whole cell. A destination
// smaller than the margins keeps its corners (clipped) and leaves out the
// edges and centre; a destination of no size draws nothing. With a key
// colour, skin pixels of that colour leave the destination as it was.
void DrawSkinPart(Surface& dst, int x, int y, int width, int height, const Surface& skin, int sx,
                  int sy, int sw, int sh, Margins margins,
                  std::optional<ColourRef> key = std::nullopt);
inline void DrawSkinPart(Surface& dst, int x, int y, int width, int height, const Surface& skin,
                         Cell cell, Margins margins, std::optional<ColourRef> key = std::nullopt) {
  DrawSkinPart(dst, x, y, width, height, skin, cell.x, cell.y, cell.width, cell.height, margins,
               key);
}

// Copies width x height pixels from (sx, sy) to (x, y), leaving out source
// pixels of the key colour. A system colour as key is resolved through the
// palette first; only the low 24 bits of the key count.
void TransparentCopy(Surface& dst, int x, int y, int width, int height, const Surface& src, int sx,
                     int sy, ColourRef key);

// A solid rectangle, and a one-pixel border just inside a rectangle.
void FillRect(Surface& dst, int x, int y, int width, int height, ColourRef colour);
void FrameRect(Surface& dst, int x, int y, int width, int height, ColourRef colour);
// The dotted rectangle that marks the keyboard focus: every other pixel of a
// one-pixel border.
void FocusRect(Surface& dst, int x, int y, int width, int height, ColourRef colour);

// Text centred in the rectangle on one line, with an ellipsis at its end
// when too long; '&' marks a mnemonic as in every button caption.
void DrawCaption(QImage& image, const QString& text, int x, int y, int width, int height,
                 const QFont& font, ColourRef colour);

// A flat frame in place of a sunken edge: a one-pixel line, the rest of the
// border in the client's background colour.
void PaintFlatFrame(QPainter& painter, QSize size, int border, ColourRef line,
                    ColourRef background);

}  // namespace skin
