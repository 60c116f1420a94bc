#include <QPainter>
#include <QTest>
#include <climits>

#include "common/surface.h"
#include "tests/support/test_helpers.h"
#include "tests/support/image_compare.h"

namespace {

// What a blit of w x h pixels from src (sx, sy) to dst (x, y) gives, decided
// pixel by pixel: a destination pixel changes only when it lies in the
// rectangle and its source pixel lies inside the source.
QImage expectedBlit(const QImage& dst, const QImage& src, qint64 x, qint64 y, qint64 w, qint64 h,
                    qint64 sx, qint64 sy, bool orOp) {
  QImage out = dst.copy();
  for (int dy = 0; dy < dst.height(); ++dy)
    for (int dx = 0; dx < dst.width(); ++dx) {
      const qint64 i = dx - x, j = dy - y, px = sx + i, py = sy + j;
      if (i < 0 || j < 0 || i >= w || j >= h) continue;
      if (px < 0 || py < 0 || px >= src.width() || py >= src.height()) continue;
      const QRgb s = src.pixel(int(px), int(py));
      out.setPixel(dx, dy, orOp ? (out.pixel(dx, dy) | s) : s);
    }
  return out;
}

}  // namespace

class TstSurface : public QObject {
  Q_OBJECT

 private slots:
  void bitBlt_data() {
    QTest::addColumn<QRect>("target");  // sizes may be zero or negative
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<bool>("orOp");
    QTest::addColumn<bool>("withinOne");  // source and destination are one 12 x 10 surface
    // Otherwise the destination is 12 x 10, the source 8 x 6.
    QTest::newRow("inside") << QRect(2, 3, 5, 4) << QPoint(1, 1) << false << false;
    QTest::newRow("negative x and sy") << QRect(-3, 1, 6, 3) << QPoint(0, -2) << false << false;
    QTest::newRow("negative y and sx") << QRect(4, -2, 6, 5) << QPoint(-2, 0) << false << false;
    QTest::newRow("past right and bottom") << QRect(9, 8, 8, 6) << QPoint() << false << false;
    QTest::newRow("past the source") << QRect(0, 0, 12, 10) << QPoint(5, 4) << false << false;
    QTest::newRow("all four sides") << QRect(-1, -1, 99, 99) << QPoint(-2, -3) << false << false;
    QTest::newRow("zero width") << QRect(0, 0, 0, 4) << QPoint() << false << false;
    QTest::newRow("negative width") << QRect(5, 0, -3, 4) << QPoint() << false << false;
    QTest::newRow("left of destination") << QRect(-8, 0, 8, 6) << QPoint() << false << false;
    QTest::newRow("outside source") << QRect(0, 0, 8, 6) << QPoint(8, -20) << false << false;
    QTest::newRow("huge size") << QRect(0, 0, INT_MAX, INT_MAX) << QPoint() << false << false;
    QTest::newRow("extreme corner")
        << QRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX) << QPoint(INT_MAX, 0) << false << false;
    QTest::newRow("extreme source")
        << QRect(0, 0, 4, 4) << QPoint(INT_MIN, INT_MAX) << false << false;
    QTest::newRow("or, clipped") << QRect(-2, 7, 9, 9) << QPoint() << true << false;
    // Within one surface, in any direction, as if from a snapshot of it.
    for (bool orOp : {false, true}) {
      const char* op = orOp ? "or" : "copy";
      QTest::addRow("%s down right", op) << QRect(3, 2, 8, 7) << QPoint(1, 0) << orOp << true;
      QTest::addRow("%s up left", op) << QRect(1, 0, 8, 7) << QPoint(3, 2) << orOp << true;
      QTest::addRow("%s right, same rows", op) << QRect(4, 1, 8, 7) << QPoint(1, 1) << orOp << true;
      QTest::addRow("%s left, same rows", op) << QRect(1, 1, 8, 7) << QPoint(4, 1) << orOp << true;
    }
  }

  void bitBlt() {
    QFETCH(QRect, target);
    QFETCH(QPoint, from);
    QFETCH(bool, orOp);
    QFETCH(bool, withinOne);
    QImage dst = withinOne ? patternImage(12, 10) : filled(12, 10, 0xFF00F0A0u);
    QImage src = withinOne ? dst.copy() : patternImage(8, 6);
    const QImage expected = expectedBlit(dst, src, target.x(), target.y(), target.width(),
                                         target.height(), from.x(), from.y(), orOp);
    Surface d = surface::of(dst);
    surface::bitBlt(d, target.x(), target.y(), target.width(), target.height(),
                    withinOne ? d : surface::of(src), from.x(), from.y(),
                    orOp ? surface::RasterOp::SrcPaint : surface::RasterOp::SrcCopy);
    QCOMPARE(imageDifference(dst, expected), QString());
  }

  void stretchBlt_data() {
    QTest::addColumn<QRect>("target");  // sizes may be negative
    QTest::addColumn<QRect>("source");
    QTest::addColumn<QImage>("picture");  // what must appear in the target
    const QImage src = patternImage(4, 3);
    const QImage doubled = src.scaled(8, 6);
    QTest::newRow("same size") << QRect(2, 1, 4, 3) << QRect(0, 0, 4, 3) << src;
    QTest::newRow("twice as large") << QRect(1, 1, 8, 6) << QRect(0, 0, 4, 3) << doubled;
    QTest::newRow("clipped left") << QRect(-3, 2, 8, 6) << QRect(0, 0, 4, 3) << doubled;
    QTest::newRow("part of the source")
        << QRect(0, 0, 4, 4) << QRect(1, 1, 2, 2) << src.copy(1, 1, 2, 2).scaled(4, 4);
    QTest::newRow("mirrored by target width")
        << QRect(6, 1, -4, 3) << QRect(0, 0, 4, 3) << src.mirrored(true, false);
    QTest::newRow("mirrored by source width")
        << QRect(2, 1, 4, 3) << QRect(4, 0, -4, 3) << src.mirrored(true, false);
    QTest::newRow("flipped and doubled")
        << QRect(9, 7, -8, -6) << QRect(0, 0, 4, 3) << doubled.mirrored(true, true);
    QTest::newRow("both widths negative") << QRect(6, 1, -4, 3) << QRect(4, 0, -4, 3) << src;
  }

  void stretchBlt() {
    QFETCH(QRect, target);
    QFETCH(QRect, source);
    QFETCH(QImage, picture);
    QImage src = patternImage(4, 3), dst = filled(10, 8, 0xFF000000u);
    QImage expected = dst.copy();
    QPainter(&expected).drawImage(std::min(target.left(), target.left() + target.width()),
                                  std::min(target.top(), target.top() + target.height()), picture);
    Surface d = surface::of(dst);
    surface::stretchBlt(d, target.x(), target.y(), target.width(), target.height(),
                        surface::of(src), source.x(), source.y(), source.width(), source.height());
    QCOMPARE(imageDifference(dst, expected), QString());
  }

  void transparentBlt_data() {
    QTest::addColumn<ColourRef>("key");
    QTest::addColumn<QRgb>("planted");  // put in the source at (1, 1) and (3, 2)
    QTest::addColumn<bool>("keyedOut");
    QTest::newRow("magenta") << colour::rgb(255, 0, 255) << qRgb(255, 0, 255) << true;
    QTest::newRow("alpha ignored") << colour::rgb(255, 0, 255) << qRgba(255, 0, 255, 0) << true;
    QTest::newRow("near the key") << colour::rgb(255, 0, 255) << qRgb(255, 0, 254) << false;
    QTest::newRow("system colour") << colour::kButtonFace << qRgb(0x0F, 0, 0) << false;
  }

  void transparentBlt() {
    QFETCH(ColourRef, key);
    QFETCH(QRgb, planted);
    QFETCH(bool, keyedOut);
    QImage src = patternImage(5, 4).convertToFormat(QImage::Format_ARGB32);
    src.setPixel(1, 1, planted);
    src.setPixel(3, 2, planted);
    QImage dst = filled(5, 4, 0xFF102030u);
    QImage expected = src.convertToFormat(QImage::Format_RGB32);
    if (keyedOut) {
      expected.setPixel(1, 1, 0xFF102030u);
      expected.setPixel(3, 2, 0xFF102030u);
    }
    Surface d = surface::of(dst);
    surface::transparentBlt(d, 0, 0, 5, 4, surface::of(src), 0, 0, 5, 4, key);
    QCOMPARE(imageDifference(dst, expected), QString());
  }

  void alphaBlend_data() {
    QTest::addColumn<int>("opacity");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("transparent") << 0 << 0;
    QTest::newRow("opaque") << 255 << 0;
    QTest::newRow("half") << 128 << 1;
  }

  void alphaBlend() {
    QFETCH(int, opacity);
    QFETCH(int, tolerance);
    QImage src = patternImage(9, 7), dst = filled(9, 7, qRgb(200, 100, 30));
    QImage expected(9, 7, QImage::Format_RGB32);
    const auto mix = [opacity](int s, int d) {
      return int(std::lround((s * opacity + d * (255 - opacity)) / 255.0));
    };
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) {
        const QRgb s = src.pixel(x, y);
        expected.setPixel(x, y, qRgb(mix(qRed(s), 200), mix(qGreen(s), 100), mix(qBlue(s), 30)));
      }
    Surface d = surface::of(dst);
    surface::alphaBlend(d, 0, 0, 9, 7, surface::of(src), 0, 0, 9, 7, opacity);
    QCOMPARE(imageDifference(dst, expected, tolerance), QString());
  }

  void pixelsOutOfRange_data() {
    QTest::addColumn<QPoint>("at");
    QTest::newRow("left") << QPoint(-1, 2);
    QTest::newRow("above") << QPoint(2, -1);
    QTest::newRow("right") << QPoint(6, 2);
    QTest::newRow("below") << QPoint(2, 5);
    QTest::newRow("far away") << QPoint(INT_MAX, INT_MIN);
  }

  void pixelsOutOfRange() {
    QFETCH(QPoint, at);
    QImage image = patternImage(6, 5);
    const QImage before = image.copy();
    Surface s = surface::of(image);
    QCOMPARE(surface::getPixel(s, at.x(), at.y()), colour::kInvalid);
    surface::setPixel(s, at.x(), at.y(), colour::rgb(1, 2, 3));
    QCOMPARE(image, before);
    surface::setPixel(s, 5, 4, colour::rgb(1, 2, 3));  // the last pixel inside
    QCOMPARE(surface::getPixel(s, 5, 4), colour::rgb(1, 2, 3));
    QCOMPARE(image.pixel(5, 4), qRgb(1, 2, 3));
    QCOMPARE(surface::getPixel(Surface{nullptr, 0, 0, 0}, 0, 0), colour::kInvalid);
  }
};

QTEST_MAIN(TstSurface)

#include "tst_surface.moc"
