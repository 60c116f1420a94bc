#pragma once

#include <QImage>

// Small helpers shared by the tests.

inline QImage filled(int width, int height, QRgb pixel) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(pixel);
  return image;
}
