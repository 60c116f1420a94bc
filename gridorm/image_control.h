#pragma once

#include <QImage>
#include <QLabel>

// An image control: shows its picture stretched to the inside of its frame
// and reports a click. The picture itself is kept by whoever gave it; the control
// keeps only what it shows.
class ImageControl : public QLabel {
  Q_OBJECT

 public:
  explicit ImageControl(QWidget* parent = nullptr);

  void setPicture(const QImage& picture);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};
