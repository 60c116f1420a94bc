#include "common/face_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

FaceButton::FaceButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

void FaceButton::setBackColor(ColourRef colour) {
  face_ = colour;
  update();
}

void FaceButton::paintEvent(QPaintEvent* event) {
  Q_UNUSED(event);
  QPainter painter(this);
  const QRect r = rect();
  const QColor face = colour::toQColor(face_, palette());
  const bool sunken = isDown();
  painter.fillRect(r, face);

  // A raised (or, while pressed, sunken) two-pixel bevel in the shades of the face.
  const QColor light = face.lighter(160), mid = face.darker(130), dark = face.darker(220);
  const QColor topLeft = sunken ? dark : light, bottomRight = sunken ? light : dark;
  painter.setPen(topLeft);
  painter.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
  painter.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
  painter.setPen(bottomRight);
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
  painter.setPen(sunken ? face : mid);
  painter.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() - QPoint(1, 1));
  painter.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() - QPoint(1, 1));

  // Text in black or white, whichever reads better on the face.
  const bool darkFace = face.lightness() < 110;
  painter.setPen(isEnabled() ? (darkFace ? Qt::white : Qt::black) : face.darker(160));
  painter.setFont(font());
  const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);
  painter.drawText(r.translated(shift), Qt::AlignCenter, text());
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = r.adjusted(4, 4, -4, -4);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void FaceButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    pressedOther_ = event->button();
    event->accept();
    return;
  }
  QPushButton::mousePressEvent(event);
}

void FaceButton::mouseReleaseEvent(QMouseEvent* event) {
  const Qt::MouseButton button = event->button();
  if (button != Qt::LeftButton) {
    // Only a release that follows a press of the same button on us counts.
    const bool ours = pressedOther_ == button && rect().contains(event->position().toPoint());
    pressedOther_ = Qt::NoButton;
    event->accept();
    if (ours) emit mouseUp(button);
    return;
  }
  const bool inside = rect().contains(event->position().toPoint());
  QPushButton::mouseReleaseEvent(event);
  if (inside) emit mouseUp(button);
}
