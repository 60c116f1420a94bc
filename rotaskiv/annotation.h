#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <optional>

#include "rotaskiv/toolbar_button.h"

class QPainter;
class QPaintDevice;

namespace capture::filters {
struct Filter;
}

// One annotation of the capture window, as a value: its kind, geometry and
// style, its hit test and handles, the edits made to it, and its painting.
//
// Units: every point is in WINDOW pixels of the screen picture it lies on
// (the picture is a QImage of device pixels with its devicePixelRatio set, and
// a QPainter on it works in window pixels, like the strokes always did). One
// device pixel is 1 / devicePixelRatio window pixels. Pixelate and blur take
// their rectangle to whole DEVICE pixels when they paint (see deviceRect()),
// so a move by one device pixel moves their blocks by exactly one.
namespace capture {

enum class AnnotationKind {
  Rectangle,    // 1-px outline of the box from points[0] to points[1]
  Ellipse,      // 1-px outline of the ellipse in that box
  Arrow,        // 1-px arrow from the tail points[0] to the tip points[1], head size 10
  Text,         // text at the top-left points[0], no background
  Pen,          // smoothed freehand stroke through points
  Highlighter,  // wide translucent stroke through points, multiplied: only darkens
  Line,         // straight line from points[0] to points[1]
  Marker,       // filled circle around points[0] with `number` in black or white
  Pixelate,     // flat blocks over the box from points[0] to points[1]
  Blur,         // strong blur over that box
};

// The annotation a drawing tool makes; nothing for the other buttons.
std::optional<AnnotationKind> kindForTool(ToolbarButton tool);
// Whether the size option means something for the kind (text, pen,
// highlighter, line, marker, pixelate, blur); rectangle, ellipse and arrow
// always draw 1-px outlines.
bool usesSize(AnnotationKind kind);
// The size option a tool starts with: text 11, pen 3, highlighter 16, line 3,
// marker 11, pixelate 10, blur 10 (1 for the outlines).
int defaultSize(AnnotationKind kind);

// How near (window pixels) a press must come to a thin stroke to hit it.
inline constexpr qreal kHitTolerance = 4;
// The head size of arrows, as the arrow tool always drew them.
inline constexpr float kAnnotationArrowHeadSize = 10;
// The side of an annotation's handle squares, in window pixels.
inline constexpr qreal kAnnotationHandleSize = 6;

struct Annotation {
  AnnotationKind kind = AnnotationKind::Rectangle;
  // Window pixels. Two points (start, end) for rectangle, ellipse, arrow,
  // line, pixelate and blur, as dragged (not normalised); one for text (its
  // top-left) and marker (its centre); every pointer position for pen and
  // highlighter.
  QPolygonF points;
  QColor colour = Qt::red;  // unused by pixelate and blur
  // The size option: the stroke width in window pixels for pen, highlighter
  // and line; the radius in window pixels for marker (diameter 2 x size);
  // the block side in DEVICE pixels for pixelate (at least 2); the strength
  // for blur (its radius is max(8, size) window pixels, in device pixels at
  // least 8); the point size for text (kept in `font` too). Unused by the
  // 1-px outlines.
  int size = 1;
  QString text;    // text only
  QFont font;      // text only
  int number = 0;  // marker only: 1, 2, 3...

  bool operator==(const Annotation&) const = default;

  // --- Making one (what a drawing tool starts on a press) ------------------
  static Annotation box(AnnotationKind kind, QPointF from, QPointF to, QColor colour, int size);
  static Annotation stroke(AnnotationKind kind, QPolygonF points, QColor colour, int size);
  static Annotation marker(QPointF centre, int number, QColor colour, int size);
  static Annotation textAt(QPointF topLeft, const QString& text, const QFont& font, QColor colour);

  // While it is being drawn: the end of a two-point kind goes to `point`, a
  // pen or highlighter stroke gets `point` added; marker and text move there.
  Annotation drawnTo(QPointF point) const;
  // True when it would paint nothing (or a dot): a rectangle, line or arrow
  // ending where it starts, an ellipse under 2 x 2 pixels, a pixelate or
  // blur box without a whole device pixel, empty text, no points.
  bool degenerate(qreal devicePixelRatio) const;

  // --- Where it lies -----------------------------------------------------
  // Window pixels: the box of a two-point kind, normalised; the text's
  // extent; the marker's circle; the bounds of a stroke's points.
  QRectF box() const;
  // A pixelate or blur box on whole device pixels: each edge multiplied by
  // the ratio and rounded; right and bottom exclusive. Empty for other kinds.
  QRect deviceRect(qreal devicePixelRatio) const;
  // Every DEVICE pixel its painting can change (antialiasing, pen widths and
  // the arrow head included): what must be repainted when it changes.
  QRect paintedDeviceRect(qreal devicePixelRatio) const;
  // The same on `device` (the picture): text in a font sized in points is
  // measured at the device's resolution, which may not be the screen's.
  // (Fonts sized in pixels measure the same everywhere.)
  QRect paintedDeviceRect(qreal devicePixelRatio, const QPaintDevice* device) const;
  // The same in window pixels, for QWidget::update().
  QRect paintedRect(qreal devicePixelRatio) const;
  // The device pixels its painting can change, closer than the rect: the
  // strips along a rectangle's or ellipse's outline, pieces along a line,
  // an arrow or a stroke (the whole rect for other kinds). Inside
  // paintedDeviceRect(); what a large outline moved over many others costs
  // is the strips, not the whole box.
  QRegion paintedDeviceRegion(qreal devicePixelRatio, const QPaintDevice* device = nullptr) const;
  // Whether a press at `point` hits it. Thin outlines and strokes hit within
  // `tolerance` of the line (plus half the stroke width); text, marker,
  // pixelate and blur hit anywhere inside; the inside of a rectangle or
  // ellipse outline does NOT hit, so one can draw inside it.
  bool hit(QPointF point, qreal tolerance = kHitTolerance) const;

  // --- Editing (each gives a new value) -----------------------------------
  // Handle centres, window pixels. Box kinds: 8, numbered like the selection's
  // (0 top-left, 1 top middle, 2 top-right, 3 left middle, 4 bottom-left,
  // 5 bottom middle, 6 bottom-right, 7 right middle) around box(); arrow and
  // line: 2 (0 start, 1 end); pen, highlighter, marker and text: none.
  QPolygonF handles() const;
  // The handle whose square (kAnnotationHandleSize, widened by `tolerance`)
  // holds `point`, topmost (highest index) first.
  std::optional<int> handleAt(QPointF point, qreal tolerance = 1) const;
  // Moved by `delta` window pixels (one device pixel is 1 / ratio).
  Annotation moved(QPointF delta) const;
  // Handle `index` dragged to `point`. Apply it to the annotation as it was
  // at the press: the box is normalised afterwards, so a corner dragged past
  // the opposite one flips the box. Box handles 1 and 5 change only the top or
  // bottom, 3 and 7 only the left or right. An index out of range changes
  // nothing.
  Annotation withHandleAt(int index, QPointF point) const;
  // The swatch colour (ignored by pixelate and blur) and the size option
  // (ignored by rectangle, ellipse and arrow; text takes it as point size,
  // and a font sized in pixels grows or shrinks by the same ratio).
  Annotation restyled(QColor colour, int size) const;

  // --- Painting ------------------------------------------------------------
  // Paints it with `painter` on a picture in window pixels. Pixelate and blur
  // paint nothing here: they change what lies below them, see
  // applyFilter().
  void paint(QPainter& painter) const;
  // Pixelate or blur applied in place to `image` (device pixels, whatever its
  // devicePixelRatio), whose pixel (0, 0) is the device pixel `origin` of the
  // picture; `ratio` is the picture's devicePixelRatio. Reads and writes only
  // deviceRect(ratio) (clipped to the image). Nothing for other kinds.
  void applyFilter(QImage& image, QPoint origin, qreal ratio) const;
  // The pixel work of a pixelate or blur on a picture of `ratio`, over
  // deviceRect(ratio) (include rotaskiv/annotation_filters.h to use it).
  filters::Filter filter(qreal ratio) const;
  bool isFilter() const { return kind == AnnotationKind::Pixelate || kind == AnnotationKind::Blur; }
};

// The end of a line from `from` towards `to` with its angle snapped to the
// nearest multiple of `stepDegrees` (Shift while drawing a line), the length
// kept; `to` itself when the two points are equal.
QPointF snappedAngle(QPointF from, QPointF to, qreal stepDegrees = 15);

// Black or white, whichever contrasts more with `fill` (the marker number).
QColor contrastingTextColour(QColor fill);

// The selected annotation's handles: small squares on whole device pixels of
// the painter's device (`ratio` its devicePixelRatio), window pixels around
// each of annotation.handles(). The window pixels they cover are
// handlesRect().
void paintHandles(QPainter& painter, const Annotation& annotation, qreal ratio);
QRect handlesRect(const Annotation& annotation);

}  // namespace capture
