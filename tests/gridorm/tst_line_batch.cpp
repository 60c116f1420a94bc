#include <QPainter>
#include <QTest>

#include "common/picture_box.h"
#include "common/surface.h"
#include "gridorm/line_batch.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

constexpr ColourRef kInk = 0x00C00000;

// `lines` stroked in one call on a white picture of 60 x 40.
static QImage batch(const QList<QLineF>& lines, int width) {
  QImage image = filled(60, 40, 0xFFFFFFFF);
  Surface surface = surface::of(image);
  strokeLines(surface, lines, width, kInk);
  return image;
}

class TstLineBatch : public QObject {
  Q_OBJECT

 private slots:
  // The hatch must look like the rules the canvas draws one by one; each
  // line is drawn across a cross of two more, in one call.
  void likeTheCanvasLines_data() {
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<int>("width");
    const QList<QLineF> lines = {{0, 0, 0, 39}, {59, 20, 70, 20}, {-5, 39, 30, 39}};
    for (int width : {2, 4, 12})
      for (const QLineF& l : lines)
        QTest::addRow("(%g,%g)-(%g,%g) width %d", l.x1(), l.y1(), l.x2(), l.y2(), width)
            << l << width;
  }
  void likeTheCanvasLines() {
    QFETCH(QLineF, line);
    QFETCH(int, width);
    PictureBox box;
    box.setBorder(PictureBox::Border::None);
    box.setScaleMode(PictureBox::ScaleMode::Pixels);
    box.resize(60, 40);
    box.setBackColor(0x00FFFFFF);
    box.setDrawWidth(width);
    const QList<QLineF> lines = {{25, 2, 25, 38}, line, {2, 20, 57, 20}};
    for (const QLineF& l : lines) box.Line(l.x1(), l.y1(), l.x2(), l.y2(), kInk);
    QCOMPARE(imageDifference(batch(lines, width), box.Image()), QString());
  }

  // A slanted line: inked from end to end, one run a row with no row left
  // out, and nothing farther from it than half its width and half a pixel's
  // diagonal.
  void slantedLineIsWholeAndThin() {
    const QLineF line(5, 3, 40, 36);
    const QImage image = batch({line}, 2);
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == 0xFFFFFFFF) continue;
        const QPointF d = QPointF(x + 0.5, y + 0.5) - line.p1();
        const double across = std::abs(d.x() * 33 - d.y() * 35) / line.length();
        QVERIFY2(across <= 1.71, qPrintable(QString("(%1,%2) %3 off").arg(x).arg(y).arg(across)));
        if (rows.isEmpty() || rows.last() != y) rows << y;
      }
    QCOMPARE(QString("%1 rows, %2 to %3").arg(rows.size()).arg(rows[0]).arg(rows.last()),
             "35 rows, 2 to 36");
  }

  void dotsAndFarLines() {
    // A line of no length is a square of the width, one pixel clear of the
    // next; lines far off draw nothing.
    const QImage got =
        batch({{25, 10, 25, 10}, {20, 10, 20, 10}, {-1e9, -1e9, -1e9, 1e9}, {1e7, 5, 2e7, 5}}, 4);
    QImage expected = filled(60, 40, 0xFFFFFFFF);
    for (int left : {18, 23}) QPainter(&expected).fillRect(left, 8, 4, 4, colour::toPixel(kInk));
    QCOMPARE(got, expected);
  }
};

QTEST_MAIN(TstLineBatch)

#include "tst_line_batch.moc"
