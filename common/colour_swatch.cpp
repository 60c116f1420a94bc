#include "common/colour_swatch.h"

#include <QMouseEvent>

ColourSwatch::ColourSwatch(ColourRef colour, QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
  setAlignment(Qt::AlignCenter);
  showColour(colour);
}

void ColourSwatch::setBackColor(ColourRef colour) {
  if (colour == colour_) return;
  showColour(colour);
  emit colourChanged(colour);
}

void ColourSwatch::showColour(ColourRef colour) {
  colour_ = colour;
  // A system colour is resolved through the application's palette, never
  // through the swatch's own, which holds the swatch colour itself.
  const QColor shown = colour::toQColor(colour);
  QPalette swatch = palette();
  swatch.setColor(QPalette::Window, shown);
  swatch.setColor(QPalette::WindowText, colour::readableOn(shown));
  setPalette(swatch);
}

bool ColourSwatch::chooseColour() {
  dialog_->Color = colour_;
  if (!dialog_->ShowColor(window())) return false;
  setBackColor(dialog_->Color);
  emit colourChosen(colour_);
  return true;
}

void ColourSwatch::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
  // A click: the left button pressed and released over the swatch.
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) chooseColour();
}
