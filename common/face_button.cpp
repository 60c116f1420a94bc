#include "common/face_button.h"

#include <QMouseEvent>

FaceButton::FaceButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

void FaceButton::setBackColor(ColourRef colour) {
  face_ = colour;
  if (colour == colour::kButtonFace) {
    // The plain face: the button's palette is its parent's again.
    setPalette(QPalette());
    return;
  }
  QPalette faced = palette();
  const QColor face = colour::toQColor(colour);
  faced.setColor(QPalette::Button, face);
  faced.setColor(QPalette::ButtonText, colour::readableOn(face));
  setPalette(faced);
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
