#include "rotaskiv/pin_window.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "rotaskiv/capture_save.h"
#include "rotaskiv/clipboard_keeper.h"
#include "rotaskiv/picture_saver.h"

namespace {

// One notch of the wheel zooms by a tenth; a pin is never smaller than a
// thumbnail's share of itself nor larger than eight times its size.
constexpr double kZoomStep = 1.1, kSmallestZoom = 0.1, kLargestZoom = 8;
constexpr int kNotch = 120;  // angle units of one wheel notch

}  // namespace

PinWindow::PinWindow(const QImage& picture, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(picture) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("钉在桌面"));
  setCursor(Qt::SizeAllCursor);
  resize(picture_.deviceIndependentSize().toSize());
}

void PinWindow::setZoom(double zoom, QPointF fixedPoint) {
  zoom = std::clamp(zoom, kSmallestZoom, kLargestZoom);
  const QSize size = (picture_.deviceIndependentSize() * zoom).toSize().expandedTo(QSize(1, 1));
  // The point under the pointer stays where it is.
  const QPointF scale(double(size.width()) / width(), double(size.height()) / height());
  const QPoint shift(qRound(fixedPoint.x() * (scale.x() - 1)),
                     qRound(fixedPoint.y() * (scale.y() - 1)));
  zoom_ = zoom;
  setGeometry(QRect(pos() - shift, size));
  update();
}

void PinWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ != 1);
  painter.drawImage(rect(), picture_);
  // A thin frame through the style tells the pin from the desktop under it.
  QStyleOptionFrame frame;
  frame.initFrom(this);
  frame.frameShape = QFrame::Box;
  frame.lineWidth = 1;
  style()->drawControl(QStyle::CE_ShapedFrame, &frame, &painter, this);
}

void PinWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - pos();
}

void PinWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void PinWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
}

void PinWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) close();
}

void PinWindow::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / double(kNotch);
  if (notches != 0) setZoom(zoom_ * std::pow(kZoomStep, notches), event->position());
}

void PinWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    close();
  else
    QWidget::keyPressEvent(event);
}

void PinWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(tr("复制"), this, [this] {
    QImage copy = picture_;
    copy.setDevicePixelRatio(1);
    clipboard_keeper::copy(copy);
  });
  menu.addAction(tr("保存…"), this, &PinWindow::save);
  menu.addSeparator();
  menu.addAction(tr("关闭"), this, &QWidget::close);
  menu.exec(event->globalPos());
}

void PinWindow::save() {
  const std::optional<QString> fileName = capture_save::askFileName(this, QString());
  if (!fileName) return;
  QImage copy = picture_;
  copy.setDevicePixelRatio(1);
  using namespace capture_save;
  ModSavePic::SavePicToFile(copy, *fileName, extensionOf(*fileName), kJpegQuality, kTiffColourDepth,
                            kTiffNoCompression, this);
}
