#include "gridorm/image_control.h"

#include <QMouseEvent>
#include <QPixmap>

ImageControl::ImageControl(QWidget* parent) : QLabel(parent) {}

void ImageControl::setPicture(const QImage& picture) {
  // Scaled once here rather than at every repaint: a canvas may be 2000
  // pixels square and the control a thumbnail. Averaged, not sampled: a
  // two-pixel rule scaled down to a tenth must still show as a line.
  setPixmap(picture.isNull()
                ? QPixmap()
                : QPixmap::fromImage(picture.scaled(contentsRect().size(), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation)));
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit clicked();
}
