#include <QTest>
#include <climits>

#include "common/surface.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

namespace {

enum Op { Copy, Or, Keyed, Blend };

void row(const QByteArray& name, QRect target, QPoint from, Op op = Copy, int param = 0,
         bool withinOne = false) {
  QTest::newRow(name.constData()) << target << from << int(op) << param << withinOne;
}

}  // namespace

class TstSurface : public QObject {
  Q_OBJECT

 private slots:
  // A 12 x 10 destination and an 8 x 6 source, or one 12 x 10 surface as
  // both: the result is then that of blitting from a snapshot of it. The
  // parameter is the key colour or the opacity.
  void blits_data() {
    QTest::addColumn<QRect>("target");  // sizes may be negative
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("param");
    QTest::addColumn<bool>("withinOne");
    row("negative x and sy", {-3, 1, 6, 3}, {0, -2});
    row("past both", {9, 8, 8, 6}, {5, 4});
    row("negative width", {5, 0, -3, 4}, {});
    row("all four sides, or", {-1, -1, 99, 99}, {-2, -3}, Or);
    row("huge size", {0, 0, INT_MAX, INT_MAX}, {});
    row("far source", {0, 0, 4, 4}, {INT_MAX, 0});
    for (Op op : {Copy, Or})
      for (QPoint by : {QPoint(2, 2), QPoint(-2, -2), QPoint(3, 0), QPoint(-3, 0)})
        row(QString("op %1 within one, by %2,%3").arg(op).arg(by.x()).arg(by.y()).toLatin1(),
            {QPoint(3, 2) + by, QSize(8, 7)}, {3, 2}, op, 0, true);
    const int present = int(colour::fromPixel(patternImage(8, 6).pixel(2, 1)));
    row("key present", {1, 1, 8, 6}, {}, Keyed, present);
    row("key off by one", {1, 1, 8, 6}, {}, Keyed, present ^ 0x010000);
    row("system colour keys nothing", {1, 1, 8, 6}, {}, Keyed, int(colour::kButtonFace));
    for (int opacity : {0, 128, 255})
      row("blend " + QByteArray::number(opacity), {-2, 5, 8, 6}, {}, Blend, opacity);
  }
  void blits() {
    QFETCH(QRect, target);
    QFETCH(QPoint, from);
    QFETCH(int, op);
    QFETCH(int, param);
    QFETCH(bool, withinOne);
    QImage dst = withinOne ? patternImage(12, 10) : filled(12, 10, qRgb(200, 100, 30));
    QImage src = withinOne ? dst.copy() : patternImage(8, 6), expected = dst.copy();
    const auto mix = [param](int s, int d) {
      return int(std::lround((s * param + d * (255 - param)) / 255.0));
    };
    // Destination pixels that have a source pixel, from the source at pixel - shift.
    const QPoint shift = target.topLeft() - from;
    const QRect hit = target & dst.rect() & src.rect().translated(shift);
    for (int y = hit.top(); y <= hit.bottom(); ++y)
      for (int x = hit.left(); x <= hit.right(); ++x) {
        const QRgb d = dst.pixel(x, y), s = src.pixel(QPoint(x, y) - shift);
        QRgb e = op == Or ? d | s : s;
        if (op == Keyed && colour::fromPixel(s) == ColourRef(param)) e = d;
        if (op == Blend)
          e = qRgb(mix(qRed(s), qRed(d)), mix(qGreen(s), qGreen(d)), mix(qBlue(s), qBlue(d)));
        expected.setPixel(x, y, e);
      }
    Surface d = surface::of(dst), s = withinOne ? d : surface::of(src);
    const int x = target.x(), y = target.y(), w = target.width(), h = target.height();
    if (op == Copy || op == Or)
      surface::bitBlt(d, x, y, w, h, s, from.x(), from.y(),
                      op == Or ? surface::RasterOp::SrcPaint : surface::RasterOp::SrcCopy);
    if (op == Keyed) surface::transparentBlt(d, x, y, w, h, s, from.x(), from.y(), w, h, param);
    if (op == Blend) surface::alphaBlend(d, x, y, w, h, s, from.x(), from.y(), w, h, param);
    QCOMPARE(imageDifference(dst, expected), QString());
  }
};

QTEST_MAIN(TstSurface)

#include "tst_surface.moc"
