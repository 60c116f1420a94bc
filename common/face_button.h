#pragma once

#include <QPushButton>

#include "common/colour.h"

// A push button whose face is painted in a colour of its own (a "graphical"
// button of the classic toolkit). The colour goes into the button's palette
// (Button, with a ButtonText that reads on it) and the style paints the
// button from there, so a proxy style can still reach it. A system colour
// face follows the palette. Besides clicked() it reports the release of any
// mouse button, so a handler can tell a left release from a right one.
class FaceButton : public QPushButton {
  Q_OBJECT

 public:
  explicit FaceButton(const QString& caption, QWidget* parent = nullptr);

  ColourRef BackColor() const { return face_; }
  void setBackColor(ColourRef colour);

 signals:
  void mouseUp(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ColourRef face_ = colour::kButtonFace;
  Qt::MouseButton pressedOther_ = Qt::NoButton;
};
