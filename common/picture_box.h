#pragma once

#include <QFrame>
#include <QImage>

#include "common/colour.h"
#include "rotate/surface.h"

// A drawing surface with a persistent image, as the classic picture box with
// AutoRedraw on: what is drawn stays in an off-screen image that repaints the
// widget. The image has three layers, bottom to top: the background colour,
// the background picture (at the top-left, at its own size) and the drawn
// layer. Setting the background colour or the picture empties the drawn
// layer. Positions are in the current scale unit (pixels or twips).
class PictureBox : public QFrame {
  Q_OBJECT

 public:
  enum class Border { None, FixedSingle };
  enum class ScaleMode { Pixels, Twips };

  explicit PictureBox(QWidget* parent = nullptr);

  void setBorder(Border border);
  Border border() const { return border_; }
  // With auto-size on, the box takes the size of its picture (plus border).
  void setAutoSize(bool on);
  void setScaleMode(ScaleMode mode) { scaleMode_ = mode; }
  ScaleMode scaleMode() const { return scaleMode_; }

  ColourRef BackColor() const { return backColour_; }
  void setBackColor(ColourRef colour);
  const QImage& Picture() const { return picture_; }
  void setPicture(const QImage& picture);
  ColourRef ForeColor() const { return foreColour_; }
  void setForeColor(ColourRef colour) { foreColour_ = colour; }
  int DrawWidth() const { return drawWidth_; }
  void setDrawWidth(int width) { drawWidth_ = width < 1 ? 1 : width; }
  double CurrentX = 0;
  double CurrentY = 0;

  // Client size in the current scale unit.
  double ScaleWidth() const;
  double ScaleHeight() const;

  // Empties the drawn layer and moves the current point to the origin.
  void Cls();
  // A line from (x1, y1) to (x2, y2) in `colour` (the fore colour when it is
  // a system colour); with `box` a rectangle outline, with `filled` a filled one.
  void Line(double x1, double y1, double x2, double y2, ColourRef colour, bool box = false,
            bool filled = false);
  void PSet(double x, double y, ColourRef colour);
  // The colour of the persistent image at (x, y), colour::kInvalid outside.
  ColourRef Point(double x, double y) const;
  // Writes text at the current point in the box's font and fore colour; the
  // current point moves to the start of the next line.
  void Print(const QString& text);
  // Draws a picture at (x, y), scaled to w x h when those are positive.
  void PaintPicture(const QImage& picture, double x, double y, double w = -1, double h = -1);

  // The device context: a Surface over the persistent image. It stays valid
  // until the box is resized, its picture changes size or a copy of Image()
  // is taken (ask again then, so that writes do not reach the copy).
  Surface* hDC();
  // The persistent image as it now stands.
  const QImage& Image() const;
  // Shows the persistent image on screen.
  void Refresh();

 signals:
  // Positions in the current scale unit.
  void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x, double y);
  void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, double x, double y);
  void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x, double y);
  void dblClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  double toPixels(double v) const;
  double fromPixels(double v) const;
  QPointF toScale(const QPointF& pixels) const;
  QColor penColour(ColourRef colour) const;
  // Refills the image with the background colour and picture.
  void recompose() const;
  // Brings the image to the size of the client area, keeping what was drawn.
  void fitImage() const;
  // The image, ready to be drawn on: fitted, not shared with any copy a
  // caller keeps, and with the Surface pointing at its pixels.
  QImage& canvas();
  void fitToPicture();

  Border border_ = Border::FixedSingle;
  ScaleMode scaleMode_ = ScaleMode::Twips;
  bool autoSize_ = false;
  ColourRef backColour_ = colour::kButtonFace;
  ColourRef foreColour_ = colour::kWindowText;
  int drawWidth_ = 1;
  QImage picture_;
  // A hidden widget gets no resize event until it is shown, yet programs
  // draw into a box before its window appears: the image follows the box's
  // size on its next use, which may be a const one.
  mutable QImage image_;
  mutable Surface surface_{nullptr, 0, 0, 0};
};
