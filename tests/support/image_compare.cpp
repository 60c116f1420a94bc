#include "tests/support/image_compare.h"

#include <QDebug>
#include <cstdlib>

QString imageDifference(const QImage& actualIn, const QImage& expectedIn, int tolerance) {
  QString difference;
  QDebug out = QDebug(&difference).nospace();
  if (actualIn.size() != expectedIn.size()) {
    out << "size " << actualIn.size() << ", expected " << expectedIn.size();
    return difference;
  }
  const QImage actual = actualIn.convertToFormat(QImage::Format_RGB32);
  const QImage expected = expectedIn.convertToFormat(QImage::Format_RGB32);
  const auto near = [tolerance](int a, int e) { return std::abs(a - e) <= tolerance; };
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x) {
      const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
      if (!near(qRed(a), qRed(e)) || !near(qGreen(a), qGreen(e)) || !near(qBlue(a), qBlue(e))) {
        out << "pixel " << QPoint(x, y) << " is #" << Qt::hex << (a & 0xFFFFFF) << ", expected #"
            << (e & 0xFFFFFF);
        return difference;
      }
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
