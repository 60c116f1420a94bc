#pragma once

#include <QFrame>
#include <QPixmap>
#include <QWidget>
#include <optional>

#include "common/colour.h"

// Small widgets of the capture window that only paint and report the mouse.
// They paint through the style (frame, background and item pixmap), so that
// a proxy style reaches them too.

// Makes `frame` a flat box filled with `fill` (nothing: see-through) inside a
// one-pixel `border` (nothing: none): the selection frame, the handles, the
// swatches, the hover frames and the strips.
void makeFlatBox(QFrame* frame, std::optional<ColourRef> fill, std::optional<ColourRef> border);

// A flat box placed to the device pixel: on a screen at scale 2 a selection
// moved by one device pixel lies half a pixel off the widget grid, and its
// frame and handles must be drawn where the copy is taken. The widget covers
// the whole pixels its area touches and paints the area's device pixels.
class DevicePixelBox : public QFrame {
  Q_OBJECT

 public:
  DevicePixelBox(std::optional<ColourRef> fill, std::optional<ColourRef> border, QWidget* parent);
  // `area` is in the parent's pixels; fractions are taken to its device pixels.
  void setArea(const QRectF& area);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect deviceArea_;  // in the parent's device pixels
  bool filled_;
};

// A swatch or hover frame: a flat box that reports the mouse moving over it
// and any button released on it.
class ColourBox : public QFrame {
  Q_OBJECT

 public:
  ColourBox(ColourRef fill, QWidget* parent);
  ColourRef BackColor() const { return fill_; }
  void setBackColor(ColourRef fill);
  void setBorderColour(std::optional<ColourRef> border);
  std::optional<ColourRef> borderColour() const { return border_; }

 signals:
  void hovered();
  void released();

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ColourRef fill_;
  std::optional<ColourRef> border_;
};

// One of the eight square resize handles. It reports presses, moves (with or
// without a button held) and releases with the pointer's global position.
class ResizeHandle : public DevicePixelBox {
  Q_OBJECT

 public:
  ResizeHandle(int index, QWidget* parent);

 signals:
  void pressed(int index);
  void moved(int index, QPointF globalPosition);
  void released(int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int index_;
};

// A picture that acts as a button: reports hover, press and click (a left
// press and release on it). The second click of a double-click is no click.
class PictureButton : public QWidget {
  Q_OBJECT

 public:
  explicit PictureButton(QWidget* parent);
  void setPixmap(const QPixmap& pixmap);

 signals:
  void hovered();
  void pressed();
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QPixmap pixmap_;
  bool leftDown_ = false;
};

// The toolbar strip and the option panel: a flat box in the strip colours
// that keeps every click on it to itself, so that a click between two
// buttons never reaches the capture surface below.
class Strip : public QFrame {
  Q_OBJECT

 public:
  explicit Strip(QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};
