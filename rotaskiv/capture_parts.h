#pragma once

#include <QWidget>
#include <optional>

#include "common/colour.h"

// Small widgets of the capture window that only paint and report the mouse.

// The selection frame: a one-pixel rectangle outline that lets the mouse
// through to the surface below.
class SelectionFrame : public QWidget {
  Q_OBJECT

 public:
  explicit SelectionFrame(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// One of the eight square resize handles. It reports presses, moves (with or
// without a button held) and releases with the pointer's global position.
class ResizeHandle : public QWidget {
  Q_OBJECT

 public:
  ResizeHandle(int index, QWidget* parent);
  int index() const { return index_; }

 signals:
  void pressed(int index);
  void moved(int index, QPointF globalPosition);
  void released(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int index_;
};

// A flat box filled with one colour and an optional border, used for the
// palette swatches and the toolbar's hover frames. It reports the mouse
// moving over it and any button released on it.
class ColourBox : public QWidget {
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
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ColourRef fill_;
  std::optional<ColourRef> border_;
};

// A picture that acts as a button: reports hover, press and click (a left
// press and release on it).
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

 private:
  QPixmap pixmap_;
  bool leftDown_ = false;
};
