#include "rotaskiv/toolbar_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "rotaskiv/style_constants.h"

namespace {

constexpr int kIconSize = 16;
const QColor kInk(0x2b, 0x3a, 0x55);
const QColor kAccent(0x1e, 0x7b, 0xe0);

// The button faces the drop-down button shares with the toolbar's hover frames.
const QColor kNormalFill(246, 250, 255);
const QColor kNormalBorder(170, 190, 218);
const QColor kHoverFill = colour::toQColor(style_constants::kHoverFill);
const QColor kHoverBorder = colour::toQColor(style_constants::kHoverBorder);
const QColor kPressedFill(104, 184, 240);
const QColor kPressedBorder(22, 106, 200);

int deviceSize(qreal logical, qreal dpr) {
  return std::max(1, static_cast<int>(std::lround(logical * dpr)));
}

QImage transparentImage(QSize logical, qreal dpr) {
  QImage image(deviceSize(logical.width(), dpr), deviceSize(logical.height(), dpr),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  image.setDevicePixelRatio(dpr);
  return image;
}

// Draws in logical pixels while keeping every straight stroke on whole device
// pixels. Coordinates are given as the centre line of a stroke on the 16 x 16
// grid (2.5 is the middle of the third pixel); `at` moves such a centre to
// where a stroke of the current width covers whole device pixels, so a
// horizontal or vertical line never smears over two half-covered rows.
class IconPainter {
 public:
  IconPainter(QImage& image, qreal dpr) : painter_(&image), dpr_(dpr) {
    // About one and a half pixels, rounded to whole device pixels: two at
    // ratio 1, three at ratio 2.
    strokeDevice_ = std::max(1, static_cast<int>(std::lround(1.5 * dpr + 0.25)));
    painter_.setRenderHint(QPainter::Antialiasing);
    ink(kInk);
  }

  QPainter& painter() { return painter_; }
  qreal stroke() const { return strokeDevice_ / dpr_; }

  qreal at(qreal centre) const {
    const qreal device = centre * dpr_;
    const qreal snapped = strokeDevice_ % 2 ? std::floor(device) + 0.5 : std::round(device);
    return snapped / dpr_;
  }
  QPointF at(qreal x, qreal y) const { return {at(x), at(y)}; }
  // A filled shape's edge on a device pixel boundary.
  qreal edge(qreal v) const { return std::round(v * dpr_) / dpr_; }

  void ink(const QColor& colour) {
    QPen pen(colour, stroke(), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
  }
  void roundInk(const QColor& colour) {
    QPen pen(colour, stroke(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
  }
  void fill(const QColor& colour) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
  }
  void fillRect(qreal left, qreal top, qreal right, qreal bottom, const QColor& colour) {
    painter_.fillRect(snappedRect(left, top, right, bottom), colour);
  }
  // Punches a hole back to transparent.
  void clearRect(qreal left, qreal top, qreal right, qreal bottom) {
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_Clear);
    painter_.fillRect(snappedRect(left, top, right, bottom), Qt::transparent);
    painter_.restore();
  }

 private:
  QRectF snappedRect(qreal left, qreal top, qreal right, qreal bottom) const {
    return QRectF(QPointF(edge(left), edge(top)), QPointF(edge(right), edge(bottom)));
  }

  QPainter painter_;
  qreal dpr_;
  int strokeDevice_ = 1;
};

// A curved arrow whose head points left: the shaft leaves the head, turns
// down around the right and comes back along the bottom.
void drawUndo(IconPainter& g) {
  const qreal top = g.at(5.5);
  const qreal bottom = g.at(13.5);
  const qreal radius = (bottom - top) / 2;
  const qreal turn = g.at(10);
  QPainterPath shaft;
  shaft.moveTo(g.edge(5), top);
  shaft.lineTo(turn, top);
  shaft.arcTo(QRectF(turn - radius, top, 2 * radius, 2 * radius), 90, -180);
  shaft.lineTo(g.edge(4), bottom);
  g.ink(kInk);
  g.painter().drawPath(shaft);

  g.fill(kInk);
  g.painter().drawPolygon(QPolygonF{QPointF(g.edge(1), top), QPointF(g.edge(6.5), top - 4.5),
                                    QPointF(g.edge(6.5), top + 4.5)});
}

// A clipboard with a tick: the selection goes to the clipboard and we are done.
void drawCopyAndExit(IconPainter& g) {
  g.ink(kInk);
  g.painter().drawRect(QRectF(g.at(2.5, 3.5), g.at(13.5, 14.5)));
  g.fillRect(5, 1, 11, 5, kInk);
  g.clearRect(6, 2, 10, 3);
  QPainterPath tick;
  tick.moveTo(5, 9);
  tick.lineTo(7.3, 11.3);
  tick.lineTo(11, 7);
  g.roundInk(kAccent);
  QPen pen = g.painter().pen();
  pen.setWidthF(std::max<qreal>(pen.widthF(), 1.5));
  g.painter().setPen(pen);
  g.painter().drawPath(tick);
}

// A floppy disk: body with the cut corner, the metal shutter and the label.
void drawSave(IconPainter& g) {
  QPainterPath body;
  body.moveTo(g.at(2.5, 2.5));
  body.lineTo(g.at(11.5, 2.5));
  body.lineTo(g.at(13.5, 4.5));
  body.lineTo(g.at(13.5, 13.5));
  body.lineTo(g.at(2.5, 13.5));
  body.closeSubpath();
  g.ink(kInk);
  g.painter().drawPath(body);
  g.fillRect(5, 3, 10, 6, kInk);
  g.clearRect(8, 4, 9, 5);
  g.fillRect(5, 8.5, 11, 13, kAccent);
}

// A plain cross.
void drawExit(IconPainter& g) {
  g.roundInk(kInk);
  QPen pen = g.painter().pen();
  pen.setWidthF(std::max<qreal>(pen.widthF(), 1.75));
  g.painter().setPen(pen);
  g.painter().drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
  g.painter().drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

// A diagonal arrow pointing to the top right, with a filled head.
void drawArrowTool(IconPainter& g) {
  const QPointF tip(14, 2);
  const QPointF back(-1 / std::sqrt(2.0), 1 / std::sqrt(2.0));
  const QPointF across(1 / std::sqrt(2.0), 1 / std::sqrt(2.0));
  const QPointF base = tip + 7.0 * back;
  g.roundInk(kInk);
  g.painter().drawLine(QPointF(2.5, 13.5), base - 0.5 * back);
  g.fill(kInk);
  g.painter().drawPolygon(QPolygonF{tip, base + 3.75 * across, base - 3.75 * across});
}

// A bold capital A from two legs and a bar, so it looks the same whatever
// fonts are installed.
void drawText(IconPainter& g) {
  QPainterPath a;
  a.setFillRule(Qt::WindingFill);
  const qreal top = g.edge(2);
  const qreal bottom = g.edge(14);
  a.addPolygon(
      QPolygonF{QPointF(6, top), QPointF(9, top), QPointF(4.6, bottom), QPointF(1.6, bottom)});
  a.closeSubpath();
  a.addPolygon(
      QPolygonF{QPointF(7, top), QPointF(10, top), QPointF(14.4, bottom), QPointF(11.4, bottom)});
  a.closeSubpath();
  a.addRect(QRectF(QPointF(4.5, g.edge(9)), QPointF(11.5, g.edge(11))));
  g.fill(kInk);
  g.painter().drawPath(a);
}

void drawEllipse(IconPainter& g) {
  g.ink(kInk);
  g.painter().drawEllipse(QRectF(g.at(1.5, 3.5), g.at(14.5, 12.5)));
}

void drawRectangle(IconPainter& g) {
  g.ink(kInk);
  g.painter().drawRect(QRectF(g.at(2.5, 3.5), g.at(13.5, 12.5)));
}

// A push-pin leaning to the left: the needle down to the bottom left, a
// collar across it, and its round head in the accent colour.
void drawPin(IconPainter& g) {
  g.roundInk(kInk);
  g.painter().drawLine(QPointF(2.5, 13.5), QPointF(7, 9));
  const QPointF axis(1 / std::sqrt(2.0), -1 / std::sqrt(2.0));  // along the pin, to the head
  const QPointF across(axis.y(), -axis.x());
  const QPointF collar(7.5, 8.5);
  g.fill(kInk);
  g.painter().drawPolygon(QPolygonF{collar + 3.5 * across, collar + 3.5 * across + 2 * axis,
                                    collar - 3.5 * across + 2 * axis, collar - 3.5 * across});
  g.fill(kAccent);
  g.painter().drawEllipse(collar + 5 * axis, 3.5, 3.5);
}

// A shape laid along the diagonal from the bottom left to the top right, the
// way a hand holds a pen: `from` and `to` are distances along it from `tip`,
// `half` its half width across.
const QPointF kUpRight(1 / std::sqrt(2.0), -1 / std::sqrt(2.0));

QPolygonF diagonalBar(QPointF tip, qreal from, qreal to, qreal half) {
  const QPointF across(-kUpRight.y(), kUpRight.x());
  return QPolygonF{tip + from * kUpRight + half * across, tip + to * kUpRight + half * across,
                   tip + to * kUpRight - half * across, tip + from * kUpRight - half * across};
}

// The mouse pointer, leaning left as on the screen.
void drawSelect(IconPainter& g) {
  g.fill(kInk);
  g.painter().drawPolygon(QPolygonF{QPointF(3, 1.5), QPointF(12.5, 10), QPointF(8.6, 10),
                                    QPointF(10.9, 14.2), QPointF(9, 15.2), QPointF(6.8, 11),
                                    QPointF(3, 14)});
}

// A pen held for writing, its nib in the accent colour.
void drawPen(IconPainter& g) {
  const QPointF tip(2, 14);
  g.fill(kInk);
  g.painter().drawPolygon(diagonalBar(tip, 5.5, 15.5, 1.9));
  const QPolygonF nibBase = diagonalBar(tip, 4.5, 4.5, 1.9);
  g.fill(kAccent);
  g.painter().drawPolygon(QPolygonF{tip, nibBase[0], nibBase[3]});
}

// A broad marker with a chisel tip over the wide translucent band it leaves.
void drawHighlighter(IconPainter& g) {
  QColor band = kAccent;
  band.setAlphaF(0.45);
  g.fillRect(1, 11, 15, 15, band);
  const QPointF tip(3.5, 11);
  g.fill(kInk);
  g.painter().drawPolygon(diagonalBar(tip, 3.8, 12, 2.7));
  g.painter().drawPolygon(diagonalBar(tip, 0.7, 3.2, 1.7));
}

// A straight line between the two dots that hold its ends.
void drawLine(IconPainter& g) {
  g.roundInk(kInk);
  g.painter().drawLine(QPointF(3.5, 12.5), QPointF(12.5, 3.5));
  g.fill(kAccent);
  g.painter().drawEllipse(QPointF(3.5, 12.5), 2.25, 2.25);
  g.painter().drawEllipse(QPointF(12.5, 3.5), 2.25, 2.25);
}

// A round badge with the figure 1, built from bars so no font is needed.
void drawMarker(IconPainter& g) {
  g.fill(kAccent);
  g.painter().drawEllipse(QPointF(8, 8), 6.5, 6.5);
  QPainterPath one;
  one.setFillRule(Qt::WindingFill);
  one.addRect(QRectF(QPointF(g.edge(7.5), g.edge(4)), QPointF(g.edge(9.5), g.edge(12))));
  one.addPolygon(QPolygonF{QPointF(7.5, 4), QPointF(9.5, 4), QPointF(9.5, 5.5), QPointF(5.5, 7.5),
                           QPointF(5.5, 6)});
  one.closeSubpath();
  g.fill(Qt::white);
  g.painter().drawPath(one);
}

// A mosaic of flat blocks in a few shades, each on whole device pixels.
void drawPixelate(IconPainter& g) {
  QColor grey = kInk, pale = kAccent;
  grey.setAlphaF(0.5);
  pale.setAlphaF(0.55);
  const QColor shades[4] = {kInk, grey, kAccent, pale};
  constexpr int kPattern[3][3] = {{0, 3, 2}, {3, 1, 3}, {2, 3, 0}};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      g.fillRect(2 + 4 * col, 2 + 4 * row, 6 + 4 * col, 6 + 4 * row, shades[kPattern[row][col]]);
}

// A drop with a soft rim fading into the ground, as if seen out of focus.
void drawBlur(IconPainter& g) {
  const QPointF apex(8, 1.8), centre(8, 9.8);
  const qreal radius = 4.4;
  // Where the sides leave the round bottom, at right angles to the radius.
  const qreal side = std::asin(radius / (centre.y() - apex.y()));
  const QRectF round(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
  QPainterPath drop;
  drop.moveTo(apex);
  drop.lineTo(centre + radius * QPointF(std::cos(side), -std::sin(side)));
  drop.arcTo(round, qRadiansToDegrees(side), -180 - 2 * qRadiansToDegrees(side));
  drop.closeSubpath();
  QColor rim = kAccent;
  for (const auto& [width, alpha] : {std::pair{3.5, 0.22}, std::pair{2.0, 0.35}}) {
    rim.setAlphaF(alpha);
    g.painter().setPen(QPen(rim, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.painter().setBrush(Qt::NoBrush);
    g.painter().drawPath(drop);
  }
  g.fill(kAccent);
  g.painter().drawPath(drop);
}

// An eyedropper: the squeezed bulb, its collar and the glass tube holding a
// drop of the picked colour.
void drawPickColour(IconPainter& g) {
  const QPointF tip(2, 14);
  g.fill(kAccent);
  g.painter().drawPolygon(diagonalBar(tip, 0.8, 8, 1.3));
  g.fill(kInk);
  g.painter().drawPolygon(diagonalBar(tip, 8, 10, 3.2));
  g.painter().drawPolygon(diagonalBar(tip, 10, 13.5, 2));
  g.painter().drawEllipse(tip + 13.5 * kUpRight, 2, 2);
}

QImage iconImage(ToolbarButton button, qreal dpr) {
  QImage image = transparentImage(QSize(kIconSize, kIconSize), dpr);
  IconPainter g(image, dpr);
  switch (button) {
    case ToolbarButton::Undo:
    case ToolbarButton::Redo:
      drawUndo(g);
      break;
    case ToolbarButton::CopyAndExit:
      drawCopyAndExit(g);
      break;
    case ToolbarButton::Save:
      drawSave(g);
      break;
    case ToolbarButton::ExitCapture:
      drawExit(g);
      break;
    case ToolbarButton::Arrow:
      drawArrowTool(g);
      break;
    case ToolbarButton::Text:
      drawText(g);
      break;
    case ToolbarButton::Ellipse:
      drawEllipse(g);
      break;
    case ToolbarButton::Rectangle:
      drawRectangle(g);
      break;
    case ToolbarButton::Pin:
      drawPin(g);
      break;
    case ToolbarButton::Select:
      drawSelect(g);
      break;
    case ToolbarButton::Pen:
      drawPen(g);
      break;
    case ToolbarButton::Highlighter:
      drawHighlighter(g);
      break;
    case ToolbarButton::Line:
      drawLine(g);
      break;
    case ToolbarButton::Marker:
      drawMarker(g);
      break;
    case ToolbarButton::Pixelate:
      drawPixelate(g);
      break;
    case ToolbarButton::Blur:
      drawBlur(g);
      break;
    case ToolbarButton::PickColour:
      drawPickColour(g);
      break;
  }
  return image;
}

}  // namespace

QPixmap toolbarIcon(ToolbarButton button, qreal devicePixelRatio) {
  const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1;
  if (button == ToolbarButton::Redo) {
    // Redo is undo turned round, pixel for pixel, so the two always match; the
    // mirror keeps the device pixel ratio.
    return QPixmap::fromImage(iconImage(ToolbarButton::Undo, dpr).mirrored(true, false));
  }
  return QPixmap::fromImage(iconImage(button, dpr));
}

QPixmap comboButtonPicture(int look, QSize size, qreal devicePixelRatio) {
  const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1;
  QImage image = transparentImage(size.expandedTo(QSize(1, 1)), dpr);
  const int w = image.width();
  const int h = image.height();
  const int unit = std::max(1, static_cast<int>(std::lround(dpr)));

  QColor fill = kNormalFill, border = kNormalBorder;
  if (look == 1) fill = kHoverFill, border = kHoverBorder;
  if (look == 2) fill = kPressedFill, border = kPressedBorder;

  // Everything here is in device pixels, so the border and the triangle's
  // steps land on whole pixels at any ratio.
  image.setDevicePixelRatio(1);
  QPainter p(&image);
  p.fillRect(QRect(0, 0, w, h), border);
  p.fillRect(QRect(unit, unit, w - 2 * unit, h - 2 * unit), fill);

  // A down-pointing triangle built from rows that shrink by one pixel on each
  // side, so its slopes stay sharp without antialiasing.
  const int fits = std::min((w - 4 * unit) / 2, (h - 2 * unit) / 2);
  const int rows = std::max(1, std::min(static_cast<int>(std::lround(3.5 * dpr)), fits));
  const int base = 2 * rows - 1;
  const int shift = look == 2 ? unit : 0;
  const int left = (w - base) / 2 + shift;
  const int top = (h - rows) / 2 + shift;
  for (int row = 0; row < rows; ++row)
    p.fillRect(QRect(left + row, top + row, base - 2 * row, 1), kInk);
  p.end();
  image.setDevicePixelRatio(dpr);
  return QPixmap::fromImage(image);
}
