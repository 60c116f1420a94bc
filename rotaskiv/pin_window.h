#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

class QMenu;

// A captured picture kept on the desktop: a frameless window that stays on
// top of the others. A drag moves it, the wheel zooms it (around the
// pointer), a double-click or Esc closes it, and a right-click offers to copy
// or save it. Several can stay open; each closes on its own.
class PinWindow : public QWidget {
  Q_OBJECT

 public:
  // `picture` carries its device pixel ratio: at zoom 1 it is shown at the
  // size it had on its screen.
  explicit PinWindow(const QImage& picture, QWidget* parent = nullptr);

  double zoom() const { return zoom_; }
  void setZoom(double zoom, QPointF fixedPoint);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void save();

  QImage picture_;
  double zoom_ = 1;
  QPoint dragOffset_;  // from the window's top-left to the pointer, while dragging
  bool dragging_ = false;
};
