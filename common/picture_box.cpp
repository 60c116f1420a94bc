#include "common/picture_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "common/numbers.h"
#include "common/surface.h"

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
  setBorder(Border::FixedSingle);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Moves are reported with no button held, too.
  setMouseTracking(true);
  recompose();
}

void PictureBox::setBorder(Border border) {
  border_ = border;
  if (border == Border::None) {
    setFrameStyle(QFrame::NoFrame);
  } else {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
  }
  if (autoSize_) fitToPicture();
}

void PictureBox::setAutoSize(bool on) {
  autoSize_ = on;
  if (on) fitToPicture();
}

double PictureBox::toPixels(double v) const {
  return scaleMode_ == ScaleMode::Twips ? numbers::twipsToPixels(v) : v;
}

double PictureBox::fromPixels(double v) const {
  return scaleMode_ == ScaleMode::Twips ? numbers::pixelsToTwips(v) : v;
}

QPointF PictureBox::toScale(const QPointF& pixels) const {
  return {fromPixels(pixels.x()), fromPixels(pixels.y())};
}

double PictureBox::ScaleWidth() const { return fromPixels(contentsRect().width()); }
double PictureBox::ScaleHeight() const { return fromPixels(contentsRect().height()); }

QColor PictureBox::penColour(ColourRef c) const {
  return colour::toQColor(colour::isSystemColour(c) ? foreColour_ : c, palette());
}

void PictureBox::setBackColor(ColourRef c) {
  backColour_ = c;
  recompose();
  update();
}

void PictureBox::setPicture(const QImage& picture) {
  picture_ = picture;
  if (autoSize_) fitToPicture();
  recompose();
  update();
}

void PictureBox::fitToPicture() {
  // QFrame keeps its frame in the contents margins.
  const QSize inner = picture_.isNull() ? QSize(0, 0) : picture_.size();
  resize(inner.grownBy(contentsMargins()));
}

void PictureBox::recompose() const {
  const QSize size = contentsRect().size().expandedTo(QSize(1, 1));
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  image_.fill(colour::toQColor(backColour_, palette()));
  if (!picture_.isNull()) {
    QPainter painter(&image_);
    painter.drawImage(0, 0, picture_);
  }
  surface_ = surface::of(image_);
}

void PictureBox::fitImage() const {
  if (image_.size() == contentsRect().size().expandedTo(QSize(1, 1))) return;
  const QImage old = image_;
  recompose();
  if (!old.isNull()) {
    QPainter painter(&image_);
    painter.drawImage(0, 0, old);
  }
}

QImage& PictureBox::canvas() {
  fitImage();
  // A caller's copy of Image() shares the pixels; painting would detach the
  // image and leave the Surface on the caller's copy.
  surface_ = surface::of(image_);
  return image_;
}

const QImage& PictureBox::Image() const {
  fitImage();
  return image_;
}

void PictureBox::Cls() {
  recompose();
  CurrentX = CurrentY = 0;
  update();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, ColourRef c, bool box,
                      bool filled) {
  QPainter painter(&canvas());
  const QColor colour = penColour(c);
  const QPointF a(toPixels(x1), toPixels(y1)), b(toPixels(x2), toPixels(y2));
  painter.setPen(QPen(colour, drawWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  if (box) {
    const QRectF rect = QRectF(a, b).normalized();
    if (filled)
      painter.fillRect(rect.adjusted(0, 0, 1, 1), colour);
    else
      painter.drawRect(rect);
  } else {
    painter.drawLine(a, b);
  }
  CurrentX = x2;
  CurrentY = y2;
  update();
}

void PictureBox::PSet(double x, double y, ColourRef c) {
  canvas();
  surface::setPixel(surface_, static_cast<int>(numbers::roundHalfEven(toPixels(x))),
                    static_cast<int>(numbers::roundHalfEven(toPixels(y))),
                    colour::fromQColor(penColour(c)));
  CurrentX = x;
  CurrentY = y;
  update();
}

ColourRef PictureBox::Point(double x, double y) const {
  fitImage();
  return surface::getPixel(surface_, static_cast<int>(numbers::roundHalfEven(toPixels(x))),
                           static_cast<int>(numbers::roundHalfEven(toPixels(y))));
}

void PictureBox::Print(const QString& text) {
  QPainter painter(&canvas());
  painter.setFont(font());
  painter.setPen(penColour(foreColour_));
  const QFontMetricsF metrics(font(), &image_);
  const QPointF origin(toPixels(CurrentX), toPixels(CurrentY));
  painter.drawText(origin + QPointF(0, metrics.ascent()), text);
  CurrentX = 0;
  CurrentY = fromPixels(origin.y() + metrics.height());
  update();
}

void PictureBox::PaintPicture(const QImage& picture, double x, double y, double w, double h) {
  if (picture.isNull()) return;
  QPainter painter(&canvas());
  const QPointF at(toPixels(x), toPixels(y));
  if (w > 0 && h > 0)
    painter.drawImage(QRectF(at, QSizeF(toPixels(w), toPixels(h))), picture);
  else
    painter.drawImage(at, picture);
  update();
}

Surface* PictureBox::hDC() {
  canvas();
  return &surface_;
}

void PictureBox::Refresh() { update(); }

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  fitImage();
  QPainter painter(this);
  const QRect inner = contentsRect();
  painter.setClipRect(inner);
  painter.fillRect(inner, colour::toQColor(backColour_, palette()));
  painter.drawImage(inner.topLeft(), image_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  // Keep what was drawn: the persistent image grows with the box.
  fitImage();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  const QPointF p = toScale(event->position() - contentsRect().topLeft());
  emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = toScale(event->position() - contentsRect().topLeft());
  emit mouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF p = toScale(event->position() - contentsRect().topLeft());
  emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
  Q_UNUSED(event);
  emit dblClick();
}
