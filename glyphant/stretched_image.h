#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>

// An image control with stretching on: it shows its picture scaled to its
// own size, whatever that is. The picture is shared, not copied, so handing
// it a canvas image costs nothing until one of them changes.
class StretchedImage : public QFrame {
  Q_OBJECT

 public:
  explicit StretchedImage(QWidget* parent = nullptr);

  const QImage& Picture() const { return picture_; }
  void setPicture(const QImage& picture);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  // The picture scaled to the size it was last shown at.
  QPixmap scaled_;
};
