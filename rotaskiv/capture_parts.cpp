#include "rotaskiv/capture_parts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "common/numbers.h"

#include "rotaskiv/style_constants.h"

void makeFlatBox(QFrame* frame, std::optional<ColourRef> fill, std::optional<ColourRef> border) {
  QPalette palette = frame->palette();
  if (fill) palette.setColor(QPalette::Window, colour::toQColor(*fill));
  // A plain box frame is drawn in the palette's foreground colour.
  if (border) palette.setColor(QPalette::WindowText, colour::toQColor(*border));
  frame->setPalette(palette);
  frame->setAutoFillBackground(fill.has_value());
  frame->setFrameStyle(border ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
  frame->setLineWidth(1);
}

DevicePixelBox::DevicePixelBox(std::optional<ColourRef> fill, std::optional<ColourRef> border,
                               QWidget* parent)
    : QFrame(parent), filled_(fill.has_value()) {
  makeFlatBox(this, fill, border);
  setAutoFillBackground(false);  // the fill covers the area, not the whole widget
}

void DevicePixelBox::setArea(const QRectF& area) {
  const qreal ratio = devicePixelRatioF();
  // Rounded as the copy rounds the selection, so that both take the same pixels.
  const auto device = [ratio](qreal value) { return numbers::roundHalfEven32(value * ratio); };
  deviceArea_ = QRect(QPoint(device(area.left()), device(area.top())),
                      QPoint(device(area.right()) - 1, device(area.bottom()) - 1));
  const auto below = [ratio](int pixel) { return int(std::floor(pixel / ratio)); };
  const auto above = [ratio](int pixel) { return int(std::ceil(pixel / ratio)); };
  setGeometry(
      QRect(QPoint(below(deviceArea_.left()), below(deviceArea_.top())),
            QPoint(above(deviceArea_.right() + 1) - 1, above(deviceArea_.bottom() + 1) - 1)));
  update();
}

// A style lays a frame on the widget's grid of whole pixels, which at scale 2
// misses every other device pixel; so the box and its one-pixel border are
// filled here, in the device pixels of the area and in the palette's colours.
void DevicePixelBox::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  QPainter painter(this);
  painter.scale(1 / ratio, 1 / ratio);
  const QRect box = deviceArea_.translated(-qRound(x() * ratio), -qRound(y() * ratio));
  if (filled_) painter.fillRect(box, palette().window());
  if (frameShape() == QFrame::NoFrame || box.isEmpty()) return;
  const int line = std::min({qRound(lineWidth() * ratio), box.width(), box.height()});
  const QBrush border = palette().windowText();
  painter.fillRect(QRect(box.left(), box.top(), box.width(), line), border);
  painter.fillRect(QRect(box.left(), box.bottom() - line + 1, box.width(), line), border);
  painter.fillRect(QRect(box.left(), box.top(), line, box.height()), border);
  painter.fillRect(QRect(box.right() - line + 1, box.top(), line, box.height()), border);
}

ColourBox::ColourBox(ColourRef fill, QWidget* parent) : QFrame(parent), fill_(fill) {
  setMouseTracking(true);
  makeFlatBox(this, fill_, border_);
}

void ColourBox::setBackColor(ColourRef fill) {
  fill_ = fill;
  makeFlatBox(this, fill_, border_);
}

void ColourBox::setBorderColour(std::optional<ColourRef> border) {
  if (border_ == border) return;
  border_ = border;
  makeFlatBox(this, fill_, border_);
}

void ColourBox::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  emit hovered();
}

void ColourBox::mousePressEvent(QMouseEvent* event) { event->accept(); }

void ColourBox::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (rect().contains(event->position().toPoint())) emit released();
}

ResizeHandle::ResizeHandle(int index, QWidget* parent)
    : DevicePixelBox(style_constants::kSelectionBlue, std::nullopt, parent), index_(index) {
  setMouseTracking(true);
  setArea(QRectF(0, 0, 4, 4));
}

void ResizeHandle::mousePressEvent(QMouseEvent* event) {
  event->accept();
  emit pressed(index_);
}

void ResizeHandle::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  emit moved(index_, event->globalPosition());
}

void ResizeHandle::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  emit released(index_);
}

PictureButton::PictureButton(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void PictureButton::setPixmap(const QPixmap& pixmap) {
  pixmap_ = pixmap;
  update();
}

void PictureButton::paintEvent(QPaintEvent*) {
  if (pixmap_.isNull()) return;
  QPainter painter(this);
  style()->drawItemPixmap(&painter, rect(), Qt::AlignCenter, pixmap_);
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  emit hovered();
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
  event->accept();
  leftDown_ = event->button() == Qt::LeftButton;
  emit pressed();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  const bool click = leftDown_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  leftDown_ = false;
  if (click) emit clicked();
}

// Qt would take the second press of a double-click for another press; the
// release that follows then must not click the button again (undo would undo
// two strokes).
void PictureButton::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  leftDown_ = false;
}

Strip::Strip(QWidget* parent) : QFrame(parent) {
  setMouseTracking(true);
  makeFlatBox(this, style_constants::kStripBackground, style_constants::kStripBorder);
}

// Presses on the strip's margin, its separators and the panel's groups end
// here: they belong to the strip, not to the selection or the picture below.
void Strip::mousePressEvent(QMouseEvent* event) { event->accept(); }
void Strip::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void Strip::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }
