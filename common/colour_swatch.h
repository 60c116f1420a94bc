#pragma once

#include <QLabel>

#include "common/colour.h"
#include "common/dialogs.h"

// A small control whose background colour is the value it holds. A click
// opens the colour dialog preset with that colour; choosing a colour makes it
// the swatch's, a cancel changes nothing. The colour is painted through the
// palette (Window, with a WindowText that reads on it for a caption), so a
// style can reach it.
class ColourSwatch : public QLabel {
  Q_OBJECT

 public:
  explicit ColourSwatch(ColourRef colour, QWidget* parent = nullptr);

  ColourRef BackColor() const { return colour_; }
  void setBackColor(ColourRef colour);
  // The window's shared dialog object, so that it keeps the last colour as
  // the classic one does; the swatch has one of its own until it is given one.
  void setDialog(CommonDialog* dialog) { dialog_ = dialog != nullptr ? dialog : &ownDialog_; }
  // What a click does: true when the user chose a colour.
  bool chooseColour();

 signals:
  // The held colour changed, by the program or the user.
  void colourChanged(ColourRef colour);
  // The user confirmed a colour in the dialog (it may be the one held).
  void colourChosen(ColourRef colour);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void showColour(ColourRef colour);

  ColourRef colour_ = 0;
  CommonDialog ownDialog_;
  CommonDialog* dialog_ = &ownDialog_;
  bool pressed_ = false;
};
