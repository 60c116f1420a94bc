#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <Qt>
#include <array>
#include <optional>

// The pure geometry of the capture window: selection, handles, toolbar and
// option panel placement, stroke clamping and arrow heads. All values are in
// window pixels, as single-precision numbers like the window keeps them.
namespace capture {

// The selection frame: left, top, width, height.
struct Selection {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
  float right() const { return left + width; }
  float bottom() const { return top + height; }
  bool operator==(const Selection&) const = default;
};

// The selection's edges when a handle was pressed: L0, T0, R0, B0.
struct Edges {
  float left = 0;
  float top = 0;
  float right = 0;
  float bottom = 0;
  bool operator==(const Edges&) const = default;
};

inline constexpr int kHandleCount = 8;

// Drawing a new selection from `anchor` to `current`, normalised by quadrant:
// the anchor is a corner; on either axis a point equal to the anchor counts
// with the "other" case (left = anchor x, top = current y, width = x - ax,
// height = ay - y), exactly as the window always drew it -- except the two
// level points where that case would give a negative size (straight left of
// the anchor, straight below it): there the frame runs from the anchor to the
// point, with zero height or width. Width and height are never negative.
Selection drawnSelection(QPointF anchor, QPointF current);

// Moving: left = origin.x - (press.x - current.x), top likewise, then
// confined to the screen (left and top first, then right and bottom edges).
Selection movedSelection(QPointF origin, QPointF press, QPointF current, Selection selection,
                         QRectF screen);

// The top-left of each of the eight handles (0 top-left, 1 top middle,
// 2 top-right, 3 left middle, 4 bottom-left, 5 bottom middle, 6 bottom-right,
// 7 right middle), each handle being `handle` in size. Handle 2 sits at
// L + W - w / 1.5, not - w / 2.
std::array<QPointF, kHandleCount> handlePositions(Selection selection, QSizeF handle);

// The selection while handle `index` is dragged with the cursor at `cursor`,
// from the edges at the press. Nothing when the result would have a negative
// width or height (the frame then keeps its previous geometry).
std::optional<Selection> resizedSelection(int index, QPointF cursor, Edges pressed, QSizeF handle);

// The shape the cursor takes over handle `index`.
Qt::CursorShape handleCursor(int index);

// Strictly inside: left < x < right and top < y < bottom.
bool strictlyInside(QPointF point, Selection selection);

// The hit test of a press: the point rounded to whole pixels against the
// rectangle (left, top, left + width, top + height) rounded to whole pixels,
// right and bottom exclusive, like PtInRect. Rounding is half to even, as the
// toolkit converts singles to longs.
bool hitTest(QPointF point, Selection selection);

// Clamps a stroke's end point to [left, right] x [top, bottom].
QPointF clampedToSelection(QPointF point, Selection selection);

// The toolbar's top-left after a release: just below the selection (4 pixels
// gap), or inside its bottom edge when it would not fit on the screen;
// right-aligned with the selection, but never left of the screen.
QPointF toolbarPosition(Selection selection, QSizeF toolbar, QRectF screen);

// The tool option panel's top-left: left-aligned with the toolbar, 3 pixels
// below it, or above it when it would not fit on the screen.
QPointF optionPanelPosition(QPointF toolbarTopLeft, QSizeF toolbar, float panelHeight,
                            QRectF screen);

// The two barbs of an arrow from `tail` to `tip` with head size `size`:
// A = tip + s (u + perp/2), B = tip + s (u - perp/2) with u = (ux, uy) the
// unit vector from the tip back to the tail and perp = (uy, -ux). Nothing when
// the arrow is not longer than 1e-10.
struct ArrowHead {
  QPointF a;
  QPointF b;
};
std::optional<ArrowHead> arrowHead(QPointF tail, QPointF tip, float size);

// Window pixels as the device pixels of a picture with `devicePixelRatio`
// device pixels to one window pixel.
QRect devicePixels(QRect pixels, qreal devicePixelRatio);

// The device pixels a copy of the selection takes on a screen of
// `devicePixelRatio`: Left, Top, Left + Width and Top + Height, each rounded
// half to even in device pixels, right and bottom exclusive; so a selection
// placed to the device pixel (half a window pixel at scale 2) is copied as
// placed.
QRect selectionDevicePixels(Selection selection, qreal devicePixelRatio);

// The size label: what a copy of the selection holds, in device pixels,
// width "x" height ("320x240").
QString sizeLabelText(Selection selection, qreal devicePixelRatio);

}  // namespace capture
