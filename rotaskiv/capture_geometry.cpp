#include "rotaskiv/capture_geometry.h"

#include <cmath>
#include <cstdint>

#include "common/numbers.h"

namespace capture {

namespace {

// The window keeps every coordinate as a single; sums are formed in double and
// stored back as singles, the way each property assignment stores them.
float single(double value) { return static_cast<float>(value); }

}  // namespace

Selection drawnSelection(QPointF anchor, QPointF current) {
  const float ax = single(anchor.x());
  const float ay = single(anchor.y());
  const float x = single(current.x());
  const float y = single(current.y());
  if (x > ax && y > ay) return {ax, ay, x - ax, y - ay};
  if (x < ax && y > ay) return {x, ay, ax - x, y - ay};
  if (x < ax && y < ay) return {x, y, ax - x, ay - y};
  // The remaining case covers the top-right quadrant and every point level
  // with the anchor. Two of those level points (straight left of it, straight
  // below it) would come out with a negative width or height from the
  // top-right formula; the frame there is a line from the anchor to the point.
  if (x < ax) return {x, y, ax - x, 0};
  if (y > ay) return {x, ay, 0, y - ay};
  return {ax, y, x - ax, ay - y};
}

Selection movedSelection(QPointF origin, QPointF press, QPointF current, Selection selection,
                         QRectF screen) {
  Selection moved = selection;
  moved.left = single(origin.x() - (press.x() - current.x()));
  moved.top = single(origin.y() - (press.y() - current.y()));
  // Left and top first, so a selection larger than the screen ends up
  // flush with the right and bottom edges rather than the left and top.
  if (moved.left < screen.left()) moved.left = single(screen.left());
  if (moved.top < screen.top()) moved.top = single(screen.top());
  if (double(moved.left) + moved.width > screen.right())
    moved.left = single(screen.right() - moved.width);
  if (double(moved.top) + moved.height > screen.bottom())
    moved.top = single(screen.bottom() - moved.height);
  return moved;
}

std::array<QPointF, kHandleCount> handlePositions(Selection s, QSizeF handle) {
  const double l = s.left;
  const double t = s.top;
  const double w = s.width;
  const double h = s.height;
  const double hw = handle.width();
  const double hh = handle.height();
  auto at = [](double x, double y) { return QPointF(single(x), single(y)); };
  return {
      at(l - hw / 2, t - hh / 2),              // 0 top-left
      at(l + w / 2 - hw / 2, t - hh / 2),      // 1 top middle
      at(l + w - hw / 1.5, t - hh / 2),        // 2 top-right
      at(l - hw / 2, t + h / 2 - hh / 2),      // 3 left middle
      at(l - hw / 2, t + h - hh / 2),          // 4 bottom-left
      at(l + w / 2 - hw / 2, t + h - hh / 2),  // 5 bottom middle
      at(l + w - hw / 2, t + h - hh / 2),      // 6 bottom-right
      at(l + w - hw / 2, t + h / 2 - hh / 2),  // 7 right middle
  };
}

std::optional<Selection> resizedSelection(int index, QPointF cursor, Edges pressed, QSizeF handle) {
  const double cx = cursor.x();
  const double cy = cursor.y();
  const double l0 = pressed.left;
  const double t0 = pressed.top;
  const double r0 = pressed.right;
  const double b0 = pressed.bottom;
  const double hw = handle.width() / 2;
  const double hh = handle.height() / 2;
  double left = 0, top = 0, width = 0, height = 0;
  switch (index) {
    case 0:
      left = cx + hw, top = cy + hh, width = r0 - cx, height = b0 - cy;
      break;
    case 1:
      left = l0, top = cy + hh, width = r0 - l0, height = b0 - cy;
      break;
    case 2:
      left = l0, top = cy + hh, width = cx - l0 + hw, height = b0 - cy;
      break;
    case 3:
      left = cx + hw, top = t0, width = r0 - cx, height = b0 - t0;
      break;
    case 4:
      left = cx + hw, top = t0, width = r0 - cx, height = cy - t0;
      break;
    case 5:
      left = l0, top = t0, width = r0 - l0, height = cy - t0;
      break;
    case 6:
      left = l0, top = t0, width = cx - l0, height = cy - t0;
      break;
    case 7:
      left = l0, top = t0, width = cx - l0, height = b0 - t0;
      break;
    default:
      return std::nullopt;
  }
  const Selection resized{single(left), single(top), single(width), single(height)};
  // A frame cannot have a negative size; that move is refused and the frame
  // keeps its geometry until the cursor comes back.
  if (!(resized.width >= 0) || !(resized.height >= 0)) return std::nullopt;
  return resized;
}

Qt::CursorShape handleCursor(int index) {
  switch (index) {
    case 0:
    case 6:
      return Qt::SizeFDiagCursor;
    case 2:
    case 4:
      return Qt::SizeBDiagCursor;
    case 1:
    case 5:
      return Qt::SizeVerCursor;
    case 3:
    case 7:
      return Qt::SizeHorCursor;
    default:
      return Qt::ArrowCursor;
  }
}

bool strictlyInside(QPointF point, Selection s) {
  return s.left < point.x() && point.x() < s.right() && s.top < point.y() && point.y() < s.bottom();
}

bool hitTest(QPointF point, Selection s) {
  // The rectangle is held in longs: each single is rounded on the way in.
  const std::int32_t left = numbers::roundHalfEven32(s.left);
  const std::int32_t top = numbers::roundHalfEven32(s.top);
  const std::int32_t right = numbers::roundHalfEven32(s.right());
  const std::int32_t bottom = numbers::roundHalfEven32(s.bottom());
  const std::int32_t x = numbers::roundHalfEven32(point.x());
  const std::int32_t y = numbers::roundHalfEven32(point.y());
  return left <= x && x < right && top <= y && y < bottom;
}

QPointF clampedToSelection(QPointF point, Selection s) {
  const double right = s.right();
  const double bottom = s.bottom();
  const double x = point.x() > right ? right : point.x() < s.left ? s.left : point.x();
  const double y = point.y() > bottom ? bottom : point.y() < s.top ? s.top : point.y();
  return {x, y};
}

QPointF toolbarPosition(Selection s, QSizeF toolbar, QRectF screen) {
  const double bottom = double(s.top) + s.height;
  const double top =
      screen.bottom() < bottom + 4 + toolbar.height() ? bottom - toolbar.height() - 4 : bottom + 4;
  double left = double(s.left) + s.width - toolbar.width();
  if (left < screen.left()) left = screen.left();
  return {single(left), single(top)};
}

QPointF optionPanelPosition(QPointF toolbarTopLeft, QSizeF toolbar, float panelHeight,
                            QRectF screen) {
  const double below = toolbarTopLeft.y() + toolbar.height() + 3;
  const double top =
      screen.bottom() < below + panelHeight ? toolbarTopLeft.y() - panelHeight - 3 : below;
  return {toolbarTopLeft.x(), single(top)};
}

std::optional<ArrowHead> arrowHead(QPointF tail, QPointF tip, float size) {
  const double x1 = single(tail.x());
  const double y1 = single(tail.y());
  const double x2 = single(tip.x());
  const double y2 = single(tip.y());
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double len = std::sqrt(dy * dy + dx * dx);
  // Also refuses NaN: a head needs a direction.
  if (!(len > 1e-10)) return std::nullopt;
  const double ux = (x1 - x2) / len;
  const double uy = (y1 - y2) / len;
  const double s = size;
  return ArrowHead{QPointF(x2 + s * (ux + uy / 2), y2 + s * (uy - ux / 2)),
                   QPointF(x2 + s * (ux - uy / 2), y2 + s * (uy + ux / 2))};
}

QRect devicePixels(QRect pixels, qreal devicePixelRatio) {
  return QRect(
      QPoint(qRound(pixels.left() * devicePixelRatio), qRound(pixels.top() * devicePixelRatio)),
      QSize(qRound(pixels.width() * devicePixelRatio), qRound(pixels.height() * devicePixelRatio)));
}

QRect selectionDevicePixels(Selection s, qreal devicePixelRatio) {
  const auto device = [devicePixelRatio](float value) {
    return numbers::roundHalfEven32(double(value) * devicePixelRatio);
  };
  return QRect(QPoint(device(s.left), device(s.top)),
               QPoint(device(s.right()) - 1, device(s.bottom()) - 1));
}

QString sizeLabelText(Selection selection, qreal devicePixelRatio) {
  const QSize size = selectionDevicePixels(selection, devicePixelRatio).size();
  return QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
}

}  // namespace capture
