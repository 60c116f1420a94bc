#include "glyphant/stretched_image.h"

#include <QPainter>
#include <QStyle>

StretchedImage::StretchedImage(QWidget* parent) : QFrame(parent) { setFrameStyle(QFrame::NoFrame); }

void StretchedImage::setPicture(const QImage& picture) {
  picture_ = picture;
  scaled_ = QPixmap();
  update();
}

void StretchedImage::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const QRect inner = contentsRect();
  if (picture_.isNull() || inner.isEmpty()) return;
  // Scaled once per size, not on every paint.
  if (scaled_.size() != inner.size()) {
    const bool shrinking = inner.width() < picture_.width() || inner.height() < picture_.height();
    scaled_ = QPixmap::fromImage(
        picture_.scaled(inner.size(), Qt::IgnoreAspectRatio,
                        shrinking ? Qt::SmoothTransformation : Qt::FastTransformation));
  }
  QPainter painter(this);
  style()->drawItemPixmap(&painter, inner, Qt::AlignCenter, scaled_);
}
