#include "tests/support/image_compare.h"

#include <cstdlib>

QString imageDifference(const QImage& actualIn, const QImage& expectedIn, int tolerance) {
  if (actualIn.size() != expectedIn.size())
    return QStringLiteral("size %1x%2, expected %3x%4")
        .arg(actualIn.width())
        .arg(actualIn.height())
        .arg(expectedIn.width())
        .arg(expectedIn.height());
  const QImage actual = actualIn.convertToFormat(QImage::Format_RGB32);
  const QImage expected = expectedIn.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < actual.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
    const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
    for (int x = 0; x < actual.width(); ++x) {
      if (std::abs(qRed(a[x]) - qRed(e[x])) > tolerance ||
          std::abs(qGreen(a[x]) - qGreen(e[x])) > tolerance ||
          std::abs(qBlue(a[x]) - qBlue(e[x])) > tolerance)
        return QStringLiteral("pixel (%1,%2) is #%3, expected #%4")
            .arg(x)
            .arg(y)
            .arg(a[x] & 0xFFFFFF, 6, 16, QLatin1Char('0'))
            .arg(e[x] & 0xFFFFFF, 6, 16, QLatin1Char('0'));
    }
  }
  return QString();
}

QImage patternImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) * 3 % 256));
  return image;
}
