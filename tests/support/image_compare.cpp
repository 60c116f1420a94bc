#include "tests/support/image_compare.h"

#include <QDebug>
#include <QPainter>
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

double meanDifferenceOnWhite(const QImage& actual, const QImage& expected) {
  const auto onWhite = [](const QImage& image) {
    QImage composed(image.size(), QImage::Format_RGB32);
    composed.fill(Qt::white);
    QPainter(&composed).drawImage(0, 0, image);
    return composed;
  };
  const QImage a = onWhite(actual), e = onWhite(expected);
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = e.pixel(x, y);
      sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}
