#include "rotaskiv/annotation.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "rotaskiv/annotation_filters.h"
#include "rotaskiv/capture_geometry.h"

namespace capture {

namespace {

constexpr Qt::Alignment kTextFlags = Qt::AlignLeft | Qt::AlignTop;
// The highlighter's opacity: strong enough to mark, light enough to read through.
constexpr int kHighlighterAlpha = 150;
// The handles: the selection frame's blue around white.
const QColor kHandleBorder(0, 122, 236);

bool twoPoint(AnnotationKind kind) {
  switch (kind) {
    case AnnotationKind::Rectangle:
    case AnnotationKind::Ellipse:
    case AnnotationKind::Arrow:
    case AnnotationKind::Line:
    case AnnotationKind::Pixelate:
    case AnnotationKind::Blur:
      return true;
    default:
      return false;
  }
}

bool boxKind(AnnotationKind kind) {
  return kind == AnnotationKind::Rectangle || kind == AnnotationKind::Ellipse ||
         kind == AnnotationKind::Pixelate || kind == AnnotationKind::Blur;
}

qreal distanceToSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF ab = b - a;
  const qreal length2 = QPointF::dotProduct(ab, ab);
  const qreal t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0;
  const QPointF d = p - (a + t * ab);
  return std::hypot(d.x(), d.y());
}

qreal distanceToPolyline(QPointF p, const QPolygonF& line) {
  if (line.isEmpty()) return qInf();
  qreal best = distanceToSegment(p, line.first(), line.first());
  for (qsizetype i = 1; i < line.size(); ++i)
    best = std::min(best, distanceToSegment(p, line[i - 1], line[i]));
  return best;
}

// The box the ellipse tool draws in, as it always did: the corners rounded
// to whole pixels, right and bottom exclusive; empty below 2 x 2.
QRectF ellipseBox(QPointF start, QPointF end) {
  const int left = qRound(qMin(start.x(), end.x())), right = qRound(qMax(start.x(), end.x()));
  const int top = qRound(qMin(start.y(), end.y())), bottom = qRound(qMax(start.y(), end.y()));
  if (right - left < 2 || bottom - top < 2) return {};
  return QRectF(left, top, right - left - 1, bottom - top - 1);
}

// The stroke through the pointer positions, smoothed: quadratic curves from
// midpoint to midpoint with the positions as control points.
QPainterPath smoothPath(const QPolygonF& points) {
  QPainterPath path;
  if (points.isEmpty()) return path;
  path.moveTo(points.first());
  if (points.size() == 1) {
    path.lineTo(points.first());
    return path;
  }
  for (qsizetype i = 1; i + 1 < points.size(); ++i)
    path.quadTo(points[i], (points[i] + points[i + 1]) / 2);
  path.lineTo(points.last());
  return path;
}

// Measured for `device` (its resolution sizes a font given in points), or
// for the screen.
QRectF textBox(const Annotation& a, const QPaintDevice* device = nullptr) {
  if (a.points.isEmpty()) return {};
  const QFontMetricsF metrics = device ? QFontMetricsF(a.font, device) : QFontMetricsF(a.font);
  return metrics.boundingRect(QRectF(a.points.first(), QSizeF(1e6, 1e6)), kTextFlags, a.text);
}

QFont markerFont(int size) {
  QFont font;
  font.setBold(true);
  font.setPixelSize(std::max(6, qRound(size * 1.1)));
  return font;
}

// Wide enough for the number even when it is wider than the circle.
qreal markerReach(const Annotation& a) {
  const qreal text = QFontMetricsF(markerFont(a.size)).horizontalAdvance(QString::number(a.number));
  return std::max<qreal>(a.size, text / 2 + 1);
}

QRect toDevice(const QRectF& window, qreal ratio) {
  const QRectF device(window.topLeft() * ratio, window.size() * ratio);
  return device.toAlignedRect();
}

int blurRadius(int size, qreal ratio) { return std::max(8, qRound(std::max(8, size) * ratio)); }

}  // namespace

std::optional<AnnotationKind> kindForTool(ToolbarButton tool) {
  switch (tool) {
    case ToolbarButton::Rectangle:
      return AnnotationKind::Rectangle;
    case ToolbarButton::Ellipse:
      return AnnotationKind::Ellipse;
    case ToolbarButton::Arrow:
      return AnnotationKind::Arrow;
    case ToolbarButton::Text:
      return AnnotationKind::Text;
    case ToolbarButton::Pen:
      return AnnotationKind::Pen;
    case ToolbarButton::Highlighter:
      return AnnotationKind::Highlighter;
    case ToolbarButton::Line:
      return AnnotationKind::Line;
    case ToolbarButton::Marker:
      return AnnotationKind::Marker;
    case ToolbarButton::Pixelate:
      return AnnotationKind::Pixelate;
    case ToolbarButton::Blur:
      return AnnotationKind::Blur;
    default:
      return std::nullopt;
  }
}

bool usesSize(AnnotationKind kind) {
  return kind != AnnotationKind::Rectangle && kind != AnnotationKind::Ellipse &&
         kind != AnnotationKind::Arrow;
}

int defaultSize(AnnotationKind kind) {
  switch (kind) {
    case AnnotationKind::Text:
    case AnnotationKind::Marker:
      return 11;
    case AnnotationKind::Pen:
    case AnnotationKind::Line:
      return 3;
    case AnnotationKind::Highlighter:
      return 16;
    case AnnotationKind::Pixelate:
    case AnnotationKind::Blur:
      return 10;
    default:
      return 1;
  }
}

Annotation Annotation::box(AnnotationKind kind, QPointF from, QPointF to, QColor colour, int size) {
  return Annotation{kind, QPolygonF{from, to}, colour, size, {}, {}, 0};
}

Annotation Annotation::stroke(AnnotationKind kind, QPolygonF points, QColor colour, int size) {
  return Annotation{kind, std::move(points), colour, size, {}, {}, 0};
}

Annotation Annotation::marker(QPointF centre, int number, QColor colour, int size) {
  return Annotation{AnnotationKind::Marker, QPolygonF{centre}, colour, size, {}, {}, number};
}

Annotation Annotation::textAt(QPointF topLeft, const QString& text, const QFont& font,
                              QColor colour) {
  const int size = font.pointSize() > 0 ? font.pointSize() : defaultSize(AnnotationKind::Text);
  return Annotation{AnnotationKind::Text, QPolygonF{topLeft}, colour, size, text, font, 0};
}

Annotation Annotation::drawnTo(QPointF point) const {
  Annotation a = *this;
  if (twoPoint(kind) && a.points.size() == 2)
    a.points[1] = point;
  else if (kind == AnnotationKind::Pen || kind == AnnotationKind::Highlighter) {
    if (a.points.isEmpty() || a.points.last() != point) a.points.append(point);
  } else if (!a.points.isEmpty())
    a.points[0] = point;
  return a;
}

bool Annotation::degenerate(qreal devicePixelRatio) const {
  if (points.isEmpty()) return true;
  switch (kind) {
    case AnnotationKind::Rectangle:
    case AnnotationKind::Line:
      return points.first() == points.last();
    case AnnotationKind::Ellipse:
      return ellipseBox(points.first(), points.last()).isEmpty();
    case AnnotationKind::Arrow:
      return !arrowHead(points.first(), points.last(), kAnnotationArrowHeadSize);
    case AnnotationKind::Text:
      return text.isEmpty();
    case AnnotationKind::Pixelate:
    case AnnotationKind::Blur:
      return deviceRect(devicePixelRatio).isEmpty();
    default:
      return false;
  }
}

QRectF Annotation::box() const {
  if (points.isEmpty()) return {};
  switch (kind) {
    case AnnotationKind::Text:
      return textBox(*this);
    case AnnotationKind::Marker:
      return QRectF(points.first() - QPointF(size, size), QSizeF(2 * size, 2 * size));
    default:
      return twoPoint(kind) ? QRectF(points.first(), points.last()).normalized()
                            : points.boundingRect();
  }
}

QRect Annotation::deviceRect(qreal devicePixelRatio) const {
  if (!isFilter() || points.size() != 2) return {};
  const QRectF b = box();
  return QRect(
      QPoint(qRound(b.left() * devicePixelRatio), qRound(b.top() * devicePixelRatio)),
      QPoint(qRound(b.right() * devicePixelRatio) - 1, qRound(b.bottom() * devicePixelRatio) - 1));
}

QRect Annotation::paintedDeviceRect(qreal devicePixelRatio) const {
  return paintedDeviceRect(devicePixelRatio, nullptr);
}

QRect Annotation::paintedDeviceRect(qreal devicePixelRatio, const QPaintDevice* device) const {
  if (points.isEmpty()) return {};
  if (isFilter()) return deviceRect(devicePixelRatio);
  QRectF reach;
  switch (kind) {
    case AnnotationKind::Arrow: {
      QPolygonF all = points;
      if (const auto head = arrowHead(points.first(), points.last(), kAnnotationArrowHeadSize))
        all << head->a << head->b;
      reach = all.boundingRect().adjusted(-1, -1, 1, 1);
      break;
    }
    case AnnotationKind::Pen:
    case AnnotationKind::Highlighter:
    case AnnotationKind::Line: {
      const qreal half = size / 2.0 + 1;
      reach = points.boundingRect().adjusted(-half, -half, half, half);
      break;
    }
    case AnnotationKind::Marker: {
      const qreal r = markerReach(*this) + 1;
      reach = QRectF(points.first() - QPointF(r, r), QSizeF(2 * r, 2 * r));
      break;
    }
    case AnnotationKind::Text:
      // Italic and antialiased glyphs may reach past the advance.
      reach = textBox(*this, device).adjusted(-2, -2, 2, 2);
      break;
    default:
      reach = box().adjusted(-1, -1, 1, 1);
  }
  return toDevice(reach, devicePixelRatio).adjusted(-1, -1, 1, 1);
}

QRegion Annotation::paintedDeviceRegion(qreal devicePixelRatio, const QPaintDevice* device) const {
  const QRect whole = paintedDeviceRect(devicePixelRatio, device);
  if (points.size() < 2 || whole.isEmpty()) return whole;
  QRegion region;
  const auto add = [&](const QRectF& window, qreal margin) {
    region += toDevice(window.adjusted(-margin, -margin, margin, margin), devicePixelRatio)
                  .adjusted(-1, -1, 1, 1);
  };
  // Straight pieces of at most 48 window pixels, each in its own box.
  const auto addPieces = [&](QPointF from, QPointF to, qreal margin) {
    const QPointF d = to - from;
    const int pieces = std::max(1, int(std::ceil(std::hypot(d.x(), d.y()) / 48)));
    for (int i = 0; i < pieces; ++i)
      add(QRectF(from + d * i / pieces, from + d * (i + 1) / pieces).normalized(), margin);
  };
  const QPointF start = points.first(), end = points.last();
  switch (kind) {
    case AnnotationKind::Rectangle: {
      const QRectF b = box();  // an edge is a strip already
      add(QRectF(b.topLeft(), b.topRight()), 1);
      add(QRectF(b.bottomLeft(), b.bottomRight()), 1);
      add(QRectF(b.topLeft(), b.bottomLeft()), 1);
      add(QRectF(b.topRight(), b.bottomRight()), 1);
      break;
    }
    case AnnotationKind::Ellipse: {
      // Arcs of 22.5 degrees: each lies within the box of its ends, since
      // the leftmost, topmost... points are ends of arcs.
      const QRectF b = ellipseBox(start, end);
      const auto at = [&](int step) {
        const qreal t = qDegreesToRadians(step * 22.5);
        return b.center() + QPointF(b.width() / 2 * std::cos(t), b.height() / 2 * std::sin(t));
      };
      for (int step = 0; step < 16; ++step) add(QRectF(at(step), at(step + 1)).normalized(), 1.5);
      break;
    }
    case AnnotationKind::Arrow:
      addPieces(start, end, 1);
      if (const auto head = arrowHead(start, end, kAnnotationArrowHeadSize))
        add(QPolygonF{end, head->a, head->b}.boundingRect(), 1);
      break;
    case AnnotationKind::Line:
      addPieces(start, end, size / 2.0 + 1);
      break;
    case AnnotationKind::Pen:
    case AnnotationKind::Highlighter:
      // Each curve lies within the points before and after its control point.
      for (qsizetype first = 0; first < points.size(); first += 8) {
        const qsizetype from = std::max<qsizetype>(0, first - 1);
        const qsizetype to = std::min<qsizetype>(points.size(), first + 10);
        add(QPolygonF(points.mid(from, to - from)).boundingRect(), size / 2.0 + 1);
      }
      break;
    default:
      return whole;
  }
  return region & whole;
}

QRect Annotation::paintedRect(qreal devicePixelRatio) const {
  const QRect device = paintedDeviceRect(devicePixelRatio);
  if (device.isEmpty()) return {};
  return QRectF(QPointF(device.topLeft()) / devicePixelRatio,
                QSizeF(device.size()) / devicePixelRatio)
      .toAlignedRect();
}

bool Annotation::hit(QPointF point, qreal tolerance) const {
  if (points.isEmpty()) return false;
  // A 1-px outline covers half a pixel either side of its line.
  const qreal outline = tolerance + 0.5;
  switch (kind) {
    case AnnotationKind::Rectangle: {
      const QRectF b = box();
      const QRectF inner = b.adjusted(outline, outline, -outline, -outline);
      return b.adjusted(-outline, -outline, outline, outline).contains(point) &&
             !(inner.isValid() && inner.contains(point));
    }
    case AnnotationKind::Ellipse: {
      const QRectF b = ellipseBox(points.first(), points.last());
      if (b.isEmpty()) return false;
      QPolygonF ring;
      for (int i = 0; i <= 72; ++i) {
        const qreal t = qDegreesToRadians(i * 5.0);
        ring << b.center() + QPointF(b.width() / 2 * std::cos(t), b.height() / 2 * std::sin(t));
      }
      return distanceToPolyline(point, ring) <= outline;
    }
    case AnnotationKind::Arrow: {
      const auto head = arrowHead(points.first(), points.last(), kAnnotationArrowHeadSize);
      if (!head) return false;
      const QPointF tip = points.last();
      return distanceToSegment(point, tip, points.first()) <= outline ||
             distanceToSegment(point, tip, head->a) <= outline ||
             distanceToSegment(point, tip, head->b) <= outline;
    }
    case AnnotationKind::Line:
      return distanceToSegment(point, points.first(), points.last()) <= size / 2.0 + tolerance;
    case AnnotationKind::Pen:
    case AnnotationKind::Highlighter: {
      const QPainterPath path = smoothPath(points);
      for (const QPolygonF& part : path.toSubpathPolygons())
        if (distanceToPolyline(point, part) <= size / 2.0 + tolerance) return true;
      return false;
    }
    case AnnotationKind::Marker: {
      const QPointF d = point - points.first();
      return std::hypot(d.x(), d.y()) <= size + 1;
    }
    default:  // text, pixelate and blur cover their box
      return box().contains(point);
  }
}

QPolygonF Annotation::handles() const {
  if (points.size() < 2) return {};
  if (kind == AnnotationKind::Arrow || kind == AnnotationKind::Line) return points;
  if (!boxKind(kind)) return {};
  const QRectF b = box();
  const qreal l = b.left(), t = b.top(), r = b.right(), m = b.center().x();
  const qreal bt = b.bottom(), c = b.center().y();
  return {{l, t}, {m, t}, {r, t}, {l, c}, {l, bt}, {m, bt}, {r, bt}, {r, c}};
}

std::optional<int> Annotation::handleAt(QPointF point, qreal tolerance) const {
  const QPolygonF centres = handles();
  const qreal reach = kAnnotationHandleSize / 2 + tolerance;
  for (int i = int(centres.size()) - 1; i >= 0; --i) {
    const QPointF d = point - centres[i];
    if (std::abs(d.x()) <= reach && std::abs(d.y()) <= reach) return i;
  }
  return std::nullopt;
}

Annotation Annotation::moved(QPointF delta) const {
  Annotation a = *this;
  a.points.translate(delta);
  return a;
}

Annotation Annotation::withHandleAt(int index, QPointF point) const {
  Annotation a = *this;
  if ((kind == AnnotationKind::Arrow || kind == AnnotationKind::Line) && points.size() == 2) {
    if (index == 0 || index == 1) a.points[index] = point;
    return a;
  }
  if (!boxKind(kind) || points.size() != 2 || index < 0 || index > 7) return a;
  qreal left = box().left(), top = box().top(), right = box().right(), bottom = box().bottom();
  // Handles 0 1 2 on the top edge, 4 5 6 on the bottom; 0 3 4 on the left,
  // 2 6 7 on the right.
  if (index <= 2) top = point.y();
  if (index >= 4 && index <= 6) bottom = point.y();
  if (index == 0 || index == 3 || index == 4) left = point.x();
  if (index == 2 || index == 6 || index == 7) right = point.x();
  const QRectF b = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
  a.points = QPolygonF{b.topLeft(), b.bottomRight()};
  return a;
}

Annotation Annotation::restyled(QColor newColour, int newSize) const {
  Annotation a = *this;
  // Unchanged where unused: an equal value keeps its pixels cached.
  if (!isFilter()) a.colour = newColour;
  if (usesSize(kind)) {
    a.size = std::max(1, newSize);
    if (kind == AnnotationKind::Text && font.pixelSize() > 0 && size > 0)
      a.font.setPixelSize(std::max(1, qRound(font.pixelSize() * double(a.size) / size)));
    else if (kind == AnnotationKind::Text)
      a.font.setPointSize(a.size);
  }
  return a;
}

void Annotation::paint(QPainter& painter) const {
  if (points.isEmpty() || isFilter()) return;
  painter.save();
  const QPointF start = points.first(), end = points.last();
  painter.setBrush(Qt::NoBrush);
  switch (kind) {
    case AnnotationKind::Arrow:
      painter.setPen(QPen(colour, 1));
      if (const auto head = arrowHead(start, end, kAnnotationArrowHeadSize)) {
        // Each line starts at the tip: the two barbs, then the shaft.
        painter.drawLine(end, head->a);
        painter.drawLine(end, head->b);
        painter.drawLine(end, start);
      }
      break;
    case AnnotationKind::Ellipse:
      painter.setPen(QPen(colour, 1));
      if (QRectF b = ellipseBox(start, end); !b.isEmpty()) {
        // Where the pen is one device pixel wide, the toolkit draws an ellipse
        // of whole pixels with a routine of its own whose flat ellipses reach
        // far past the box's ends (where the window's repaint cuts them off).
        // As a path through the middles of the box's edge pixels it keeps to
        // its box; a hair higher, or the top pixel, whose middle the path
        // only touches, would be left out. Wider pens stroke a path anyway.
        if (painter.device() == nullptr || painter.device()->devicePixelRatio() <= 1)
          b.translate(0.5, 0.49);
        QPainterPath outline;
        outline.addEllipse(b);
        painter.drawPath(outline);
      }
      break;
    case AnnotationKind::Rectangle:
      painter.setPen(QPen(colour, 1));
      painter.drawRect(QRectF(start, end).normalized());
      break;
    case AnnotationKind::Text:
      painter.setFont(font);
      painter.setPen(colour);
      painter.drawText(QRectF(start, QSizeF(1e6, 1e6)), kTextFlags, text);
      break;
    case AnnotationKind::Pen:
    case AnnotationKind::Highlighter: {
      QColor ink = colour;
      painter.setRenderHint(QPainter::Antialiasing);
      if (kind == AnnotationKind::Highlighter) {
        // Multiplied, the ink can only darken: dark text under it stays dark.
        ink.setAlpha(kHighlighterAlpha);
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
      }
      // One path, filled once: where the stroke crosses itself it is not darker.
      painter.setPen(QPen(ink, size, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      // A click without a move leaves a dot as wide as the stroke (a path
      // of one point paints nothing).
      if (points.size() == 1)
        painter.drawPoint(start);
      else
        painter.drawPath(smoothPath(points));
      break;
    }
    case AnnotationKind::Line:
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(QPen(colour, size, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(start, end);
      break;
    case AnnotationKind::Marker:
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      painter.drawEllipse(start, qreal(size), qreal(size));
      painter.setFont(markerFont(size));
      painter.setPen(contrastingTextColour(colour));
      painter.drawText(QRectF(start - QPointF(500, 500), QSizeF(1000, 1000)), Qt::AlignCenter,
                       QString::number(number));
      break;
    default:
      break;
  }
  painter.restore();
}

filters::Filter Annotation::filter(qreal ratio) const {
  const bool pixelate = kind == AnnotationKind::Pixelate;
  return {pixelate ? filters::FilterKind::Pixelate : filters::FilterKind::Blur, deviceRect(ratio),
          pixelate ? std::max(2, size) : blurRadius(size, ratio)};
}

void Annotation::applyFilter(QImage& image, QPoint origin, qreal ratio) const {
  if (!isFilter()) return;
  filters::Filter f = filter(ratio);
  f.box = f.box.translated(-origin) & image.rect();
  if (f.box.isEmpty()) return;
  QImage result(f.box.size(), image.format());
  f.run(image, QPoint(), f.box, result, f.box.topLeft());
  filters::copyPixels(image, f.box.topLeft(), result, result.rect());
}

QPointF snappedAngle(QPointF from, QPointF to, qreal stepDegrees) {
  const QPointF d = to - from;
  const qreal length = std::hypot(d.x(), d.y());
  if (length == 0 || stepDegrees <= 0) return to;
  const qreal degrees =
      qRound(qRadiansToDegrees(std::atan2(d.y(), d.x())) / stepDegrees) * stepDegrees;
  // Level and upright lines exactly so, without a rounding error's stray pixel.
  if (const long whole = std::lround(degrees); whole % 90 == 0) {
    static constexpr QPointF kQuarters[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    return from + length * kQuarters[((whole / 90) % 4 + 4) % 4];
  }
  const qreal t = qDegreesToRadians(degrees);
  return from + QPointF(length * std::cos(t), length * std::sin(t));
}

QColor contrastingTextColour(QColor fill) {
  // Relative luminance of sRGB, and the contrast ratios against black and white.
  const auto linear = [](qreal c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const qreal l =
      0.2126 * linear(fill.redF()) + 0.7152 * linear(fill.greenF()) + 0.0722 * linear(fill.blueF());
  const qreal againstBlack = (l + 0.05) / 0.05, againstWhite = 1.05 / (l + 0.05);
  return againstWhite > againstBlack ? QColor(Qt::white) : QColor(Qt::black);
}

namespace {

// The handle squares in device pixels: whole pixels, centred on each handle.
std::vector<QRect> handleSquares(const Annotation& annotation, qreal ratio) {
  std::vector<QRect> squares;
  const int side = std::max(3, qRound(kAnnotationHandleSize * ratio));
  for (const QPointF& centre : annotation.handles()) {
    const QPoint corner(qRound(centre.x() * ratio - side / 2.0),
                        qRound(centre.y() * ratio - side / 2.0));
    squares.emplace_back(corner, QSize(side, side));
  }
  return squares;
}

}  // namespace

void paintHandles(QPainter& painter, const Annotation& annotation, qreal ratio) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const auto window = [ratio](QRect device) {
    return QRectF(QPointF(device.topLeft()) / ratio, QSizeF(device.size()) / ratio);
  };
  for (const QRect& square : handleSquares(annotation, ratio)) {
    painter.fillRect(window(square), kHandleBorder);
    painter.fillRect(window(square.adjusted(1, 1, -1, -1)), Qt::white);
  }
  painter.restore();
}

QRect handlesRect(const Annotation& annotation) {
  // The widest a square gets, at any ratio up to 4, and a pixel round it.
  const qreal reach = kAnnotationHandleSize / 2 + 2;
  QRectF all;
  for (const QPointF& centre : annotation.handles())
    all |= QRectF(centre - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach));
  return all.toAlignedRect();
}

}  // namespace capture
