#include <QTest>

#include "common/surface.h"
#include "glyphant/pattern_tiling.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

// A canvas and a pattern; how many copies cover the canvas and where the last goes.
using Copies = std::tuple<QSize, QSize, int, QPoint>;

class TstPatternTiling : public QObject {
  Q_OBJECT

 private slots:
  // clang-format off
  void copies_data() {
    QTest::addColumn<Copies>("row");
    QTest::newRow("100 on 1000 x 1500: 11 x 16") << Copies{QSize(1000, 1500), QSize(100, 100), 176, QPoint(1000, 1500)};
    QTest::newRow("partial last row and column") << Copies{QSize(1000, 1500), QSize(300, 400), 16, QPoint(900, 1200)};
    QTest::newRow("one pixel") << Copies{QSize(3, 2), QSize(1, 1), 12, QPoint(3, 2)};
    QTest::newRow("holder without width") << Copies{QSize(1000, 1500), QSize(0, 100), 0, QPoint()};
  }
  // clang-format on
  void copies() {
    QFETCH(Copies, row);
    const auto& [canvas, pattern, copies, last] = row;
    QList<QPoint> places;
    const qint64 count =
        tiling::forEachTile(canvas.width(), canvas.height(), pattern.width(), pattern.height(),
                            [&](int x, int y) { places << QPoint(x, y); });
    QVERIFY(count == copies && places.size() == copies);
    QCOMPARE(places.value(0), copies ? QPoint(0, 0) : QPoint());
    QCOMPARE(places.value(copies - 1), last);
  }

  // Every canvas pixel shows the pattern pixel at its place modulo the
  // pattern size, the last partial row and column included.
  void coversTheCanvas_data() {
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("pattern");
    QTest::newRow("partial both ways") << QSize(61, 23) << QSize(7, 5);
    QTest::newRow("one pixel pattern") << QSize(9, 4) << QSize(1, 1);
    QTest::newRow("pattern larger") << QSize(5, 3) << QSize(7, 5);
    QTest::newRow("one column of several rows") << QSize(5, 12) << QSize(7, 5);
  }
  void coversTheCanvas() {
    QFETCH(QSize, canvas);
    QFETCH(QSize, pattern);
    QImage target = filled(canvas.width(), canvas.height(), qRgb(1, 2, 3));
    QImage source = patternImage(pattern.width(), pattern.height());
    Surface dst = surface::of(target);
    tiling::tile(dst, canvas.width(), canvas.height(), surface::of(source), pattern.width(),
                 pattern.height());
    QImage expected(canvas, QImage::Format_RGB32);
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        expected.setPixel(x, y, source.pixel(x % pattern.width(), y % pattern.height()));
    QCOMPARE(imageDifference(target, expected), QString());
  }
};

QTEST_MAIN(TstPatternTiling)

#include "tst_pattern_tiling.moc"
