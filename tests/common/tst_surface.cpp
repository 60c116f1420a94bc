#include <QTest>
#include <climits>

#include "common/surface.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

namespace {

enum Op { Copy, Or, Keyed, Blend, Mirrored };

// w x h pixels from `from` to the target's top-left; the parameter is the key
// colour or the opacity. The destination is 12 x 10 and the source 8 x 6, or
// both are one 12 x 10 surface: the result is then that of blitting from a
// snapshot of it.
struct Blit {
  QRect target;  // sizes may be negative
  QPoint from;
  Op op = Copy;
  int param = 0;
  bool withinOne = false;
};

}  // namespace

class TstSurface : public QObject {
  Q_OBJECT

 private slots:
  // clang-format off
  void blits_data() {
    QTest::addColumn<Blit>("blit");
    QTest::newRow("past both") << Blit{{9, 8, 8, 6}, {5, 4}};
    QTest::newRow("all four sides, or") << Blit{{-1, -1, 99, 99}, {-2, -3}, Or};
    QTest::newRow("huge size") << Blit{{0, 0, INT_MAX, INT_MAX}, {}};
    for (Op op : {Copy, Or})
      for (QPoint by : {QPoint(2, 2), QPoint(-2, -2), QPoint(3, 0), QPoint(-3, 0)})
        QTest::addRow("op %d within one, by %d,%d", op, by.x(), by.y()) << Blit{{QPoint(3, 2) + by, QSize(8, 7)}, {3, 2}, op, 0, true};
    const int present = int(colour::fromPixel(patternImage(8, 6).pixel(2, 1)));
    QTest::newRow("key present") << Blit{{1, 1, 8, 6}, {}, Keyed, present};
    QTest::newRow("system colour keys nothing") << Blit{{1, 1, 8, 6}, {}, Keyed, int(colour::kButtonFace)};
    for (int opacity : {-5, 0, 128, 255, 256})
      QTest::addRow("blend %d", opacity) << Blit{{-2, 5, 8, 6}, {}, Blend, opacity};
    QTest::newRow("mirrored both ways, cut at the corner") << Blit{{6, 5, 8, 6}, {}, Mirrored};
  }
  // clang-format on
  // A pixel set at each corner reads back; one just outside reads as no
  // colour and changes nothing.
  void pixelsAtTheEdges() {
    QImage image = filled(4, 3, qRgb(1, 2, 3)), expected = image;
    Surface s = surface::of(image);
    const ColourRef ink = colour::rgb(9, 8, 7);
    for (QPoint at : QList<QPoint>{{0, 0}, {3, 2}, {-1, 0}, {4, 0}, {0, -1}, {0, 3}}) {
      surface::setPixel(s, at.x(), at.y(), ink);
      const bool inside = expected.rect().contains(at);
      if (inside) expected.setPixel(at, colour::toPixel(ink));
      QCOMPARE(surface::getPixel(s, at.x(), at.y()), inside ? ink : colour::kInvalid);
    }
    surface::bitBlt(s, 0, 0, 4, 3, Surface{}, 0, 0);  // from no surface: nothing
    QCOMPARE(imageDifference(image, expected), QString());
  }

  void blits() {
    QFETCH(Blit, blit);
    const auto [target, from, op, param, withinOne] = blit;
    QImage dst = withinOne ? patternImage(12, 10) : filled(12, 10, qRgb(200, 100, 30));
    QImage src = withinOne ? dst.copy() : patternImage(8, 6), expected = dst.copy();
    const auto mix = [a = std::clamp(param, 0, 255)](int s, int d) {  // opacities past the ends
      return int(std::lround((s * a + d * (255 - a)) / 255.0));       // are the ends
    };
    // Destination pixels that have a source pixel, at pixel - shift.
    const QPoint shift = target.topLeft() - from;
    const QRect hit = target & dst.rect() & src.rect().translated(shift);
    for (int y = hit.top(); y <= hit.bottom(); ++y)
      for (int x = hit.left(); x <= hit.right(); ++x) {
        const QPoint at(x, y), mirrored = from + target.bottomRight() - at;
        const QRgb d = dst.pixel(at), s = src.pixel(op == Mirrored ? mirrored : at - shift);
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
    if (op == Mirrored) surface::stretchBlt(d, x, y, w, h, s, from.x() + w, from.y() + h, -w, -h);
    if (op == Blend) surface::alphaBlend(d, x, y, w, h, s, from.x(), from.y(), w, h, param);
    QCOMPARE(imageDifference(dst, expected), QString());
  }
};

QTEST_MAIN(TstSurface)

#include "tst_surface.moc"
