#include "tests/support/image_compare.h"

#include <QDebug>
#include <algorithm>

QString imageDifference(const QImage& actualIn, const QImage& expectedIn, int tolerance) {
  const QImage actual = actualIn.convertToFormat(QImage::Format_RGB32);
  const QImage expected = expectedIn.convertToFormat(QImage::Format_RGB32);
  QString difference;
  if (actual.size() != expected.size())
    QDebug(&difference).nospace() << "size " << actual.size() << ", expected " << expected.size();
  for (int i = 0; difference.isEmpty() && i < actual.width() * actual.height(); ++i) {
    const QPoint at(i % actual.width(), i / actual.width());
    const QRgb a = actual.pixel(at), e = expected.pixel(at);
    if (std::max({qAbs(qRed(a) - qRed(e)), qAbs(qGreen(a) - qGreen(e)),
                  qAbs(qBlue(a) - qBlue(e))}) > tolerance)
      QDebug(&difference).nospace() << "pixel " << at << " is #" << Qt::hex << (a & 0xFFFFFF)
                                    << ", expected #" << (e & 0xFFFFFF);
  }
  return difference;
}

QImage patternImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) * 3 % 256));
  return image;
}

QRect boundsOf(const QImage& image, const std::function<bool(QRgb)>& picked) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (picked(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

QRect inkOf(const QImage& image, QRgb colour) {
  return boundsOf(image, [colour](QRgb c) { return c == colour; });
}
