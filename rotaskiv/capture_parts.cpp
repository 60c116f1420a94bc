#include "rotaskiv/capture_parts.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kSelectionBlue(0, 122, 236);

}  // namespace

SelectionFrame::SelectionFrame(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
}

void SelectionFrame::paintEvent(QPaintEvent*) {
  if (width() < 1 || height() < 1) return;
  QPainter painter(this);
  painter.setPen(kSelectionBlue);
  painter.drawRect(0, 0, width() - 1, height() - 1);
}

ResizeHandle::ResizeHandle(int index, QWidget* parent) : QWidget(parent), index_(index) {
  setMouseTracking(true);
  resize(4, 4);
}

void ResizeHandle::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), kSelectionBlue); }

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

ColourBox::ColourBox(ColourRef fill, QWidget* parent) : QWidget(parent), fill_(fill) {
  setMouseTracking(true);
}

void ColourBox::setBackColor(ColourRef fill) {
  fill_ = fill;
  update();
}

void ColourBox::setBorderColour(std::optional<ColourRef> border) {
  if (border_ == border) return;
  border_ = border;
  update();
}

void ColourBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colour::toQColor(fill_));
  if (border_) {
    painter.setPen(colour::toQColor(*border_));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
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

PictureButton::PictureButton(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void PictureButton::setPixmap(const QPixmap& pixmap) {
  pixmap_ = pixmap;
  update();
}

void PictureButton::paintEvent(QPaintEvent*) {
  if (pixmap_.isNull()) return;
  QPainter painter(this);
  const QSizeF logical = pixmap_.deviceIndependentSize();
  painter.drawPixmap(QPointF((width() - logical.width()) / 2, (height() - logical.height()) / 2),
                     pixmap_);
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
