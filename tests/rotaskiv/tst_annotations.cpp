#include <QtTest>

#include "rotaskiv/annotation_layer.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

using capture::Annotation;
using capture::AnnotationKind;
using capture::AnnotationLayer;

namespace {

QImage atScale(QImage image, qreal ratio) {
  image.setDevicePixelRatio(ratio);
  return image;
}

QImage rendered(const QImage& picture, const Annotation& a) {
  AnnotationLayer layer;
  layer.add(a);
  return capture::renderAnnotations(picture, layer);
}

// One of each kind, in window pixels, on a 100 x 80 picture.
std::vector<Annotation> everyKind() {
  const QColor red(255, 0, 0);
  QFont font;
  font.setPointSize(11);
  return {Annotation::box(AnnotationKind::Rectangle, {5, 6}, {40, 30}, red, 1),
          Annotation::box(AnnotationKind::Ellipse, {50, 6}, {90, 36}, red, 1),
          Annotation::box(AnnotationKind::Arrow, {10, 70}, {60, 45}, red, 1),
          Annotation::textAt({12, 12}, "Wg", font, Qt::blue),
          Annotation::stroke(AnnotationKind::Pen, {{20, 20}, {35, 50}, {70, 30}}, red, 5),
          Annotation::stroke(AnnotationKind::Highlighter, {{5, 60}, {95, 62}}, Qt::yellow, 16),
          Annotation::box(AnnotationKind::Line, {80, 75}, {95, 40}, Qt::green, 3),
          Annotation::marker({70, 60}, 7, Qt::darkBlue, 11),
          Annotation::box(AnnotationKind::Pixelate, {30.5, 20.5}, {75, 55}, red, 6),
          Annotation::box(AnnotationKind::Blur, {2, 40}, {45.5, 78}, red, 10)};
}

}  // namespace

class TestAnnotations : public QObject {
  Q_OBJECT

 private slots:
  void scales_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("scale 1") << 1.0;
    QTest::newRow("scale 2") << 2.0;
  }

  // Every block is flat, the mean of what it covers, and no pixel of the
  // fine pattern below shows through; nothing outside the box changes.
  void pixelate_data() { scales_data(); }
  void pixelate() {
    QFETCH(qreal, ratio);
    QImage source(int(80 * ratio), int(60 * ratio), QImage::Format_RGB32);
    QRandomGenerator noise(7);  // no mean of a block is any pixel of it
    for (int y = 0; y < source.height(); ++y)
      for (int x = 0; x < source.width(); ++x) source.setPixel(x, y, noise.generate() | 0xff000000);
    source = atScale(source, ratio);
    const QImage out =
        rendered(source, Annotation::box(AnnotationKind::Pixelate, {10.5, 7}, {45, 40.25}, {}, 8));
    // The edges on device pixels, 8 x 8 blocks laid from the top-left; a
    // sliver narrower than 4 at the right or bottom joins the block before it.
    const QRect box(QPoint(qRound(10.5 * ratio), qRound(7 * ratio)),
                    QPoint(qRound(45 * ratio) - 1, qRound(40.25 * ratio) - 1));
    for (int y = 0; y < out.height(); ++y)
      for (int x = 0; x < out.width(); ++x) {
        const QPoint p(x, y);
        if (!box.contains(p)) {
          QCOMPARE(out.pixel(p), source.pixel(p));
          continue;
        }
        QVERIFY2(out.pixel(p) != source.pixel(p), qPrintable(QString("%1,%2").arg(x).arg(y)));
        const int bx = std::min((x - box.left()) / 8, (box.width() - 4) / 8);
        const int by = std::min((y - box.top()) / 8, (box.height() - 4) / 8);
        QCOMPARE(out.pixel(p), out.pixel(box.topLeft() + QPoint(bx, by) * 8));
      }
    int red = 0;  // the first block's mean red, worked out here
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) red += qRed(source.pixel(box.topLeft() + QPoint(x, y)));
    QCOMPARE(qRed(out.pixel(box.topLeft())), (red + 32) / 64);
  }

  // Stripes two device pixels wide, like the strokes of small text, come
  // out as a grey without readable edges, exactly over the box.
  void blurHidesText_data() { scales_data(); }
  void blurHidesText() {
    QFETCH(qreal, ratio);
    QImage source(int(120 * ratio), int(60 * ratio), QImage::Format_RGB32);
    for (int x = 0; x < source.width(); ++x)
      for (int y = 0; y < source.height(); ++y)
        source.setPixel(x, y, x / 2 % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    source = atScale(source, ratio);
    const QImage out =
        rendered(source, Annotation::box(AnnotationKind::Blur, {20, 10}, {100, 50}, {}, 1));
    const QRect box(QPoint(20, 10) * ratio, QPoint(100, 50) * ratio - QPoint(1, 1));
    const QRect grey = boundsOf(out, [](QRgb c) { return qGray(c) > 80 && qGray(c) < 175; });
    QCOMPARE(grey, box);
    for (int y = box.top(); y <= box.bottom(); ++y)  // no edge left: a step of 255 at most 8
      for (int x = box.left(); x < box.right(); ++x)
        QVERIFY(std::abs(qGray(out.pixel(x, y)) - qGray(out.pixel(x + 1, y))) <= 8);
    QCOMPARE(out.copy(box.adjusted(-2, 0, -box.width(), 0)),
             source.copy(box.adjusted(-2, 0, -box.width(), 0)));
  }

  // The highlighter multiplies: nothing gets lighter, black stays black.
  void highlighterOnlyDarkens() {
    QImage source = patternImage(60, 40);
    for (int x = 0; x < 60; ++x)
      for (int y = 15; y < 20; ++y) source.setPixel(x, y, qRgb(0, 0, 0));
    const QImage out = rendered(source, Annotation::stroke(AnnotationKind::Highlighter,
                                                           {{0, 18}, {60, 18}}, Qt::yellow, 16));
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x) {
        const QRgb was = source.pixel(x, y), is = out.pixel(x, y);
        QVERIFY(qRed(is) <= qRed(was) && qGreen(is) <= qGreen(was) && qBlue(is) <= qBlue(was));
        if (y >= 15 && y < 20) QCOMPARE(is, qRgb(0, 0, 0));
      }
    QVERIFY(qBlue(out.pixel(30, 12)) < qBlue(source.pixel(30, 12)) / 2);  // tinted yellow
  }

  // The number shows in black or white, whichever stands out on the fill.
  void markerNumber_data() {
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QColor>("number");
    QTest::newRow("yellow") << QColor(Qt::yellow) << QColor(Qt::black);
    QTest::newRow("dark blue") << QColor(0, 0, 128) << QColor(Qt::white);
    QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white);
    QTest::newRow("light grey") << QColor(192, 192, 192) << QColor(Qt::black);
  }
  void markerNumber() {
    QFETCH(QColor, fill);
    QFETCH(QColor, number);
    const QImage out =
        rendered(filled(40, 40, qRgb(128, 128, 128)), Annotation::marker({20, 20}, 8, fill, 11));
    QCOMPARE(out.pixel(20, 10), fill.rgb());  // above the number, inside the circle
    QVERIFY(inkOf(out, number.rgb()).width() >= 4);
  }

  // What each kind paints stays in its painted region (the strips along an
  // outline), which stays in its painted rect: what the window repaints.
  void paintedRectHoldsTheInk_data() { scales_data(); }
  void paintedRectHoldsTheInk() {
    QFETCH(qreal, ratio);
    const QImage source = atScale(patternImage(int(100 * ratio), int(80 * ratio)), ratio);
    std::vector<Annotation> all = everyKind();  // a flat ellipse, closed at its ends; a click's dot
    all.push_back(Annotation::box(AnnotationKind::Ellipse, {4, 70}, {96, 76}, Qt::red, 1));
    all.push_back(Annotation::stroke(AnnotationKind::Highlighter, {{50, 40}}, Qt::blue, 6));
    for (const Annotation& a : all) {
      const QImage out = rendered(source, a);
      const QRegion area = a.paintedDeviceRegion(ratio);
      int changed = 0;
      for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
          if (out.pixel(x, y) != source.pixel(x, y)) {
            ++changed;
            QVERIFY2(area.contains(QPoint(x, y)), qPrintable(QString::number(int(a.kind))));
          }
      QVERIFY(changed > 0 && a.paintedDeviceRect(ratio).contains(area.boundingRect()));
    }
  }

  // Dragging one annotation among the others, under and over pixelate and
  // blur boxes, the window's picture is always the one drawn from scratch.
  void rendererFollowsEdits_data() { scales_data(); }
  void rendererFollowsEdits() {
    QFETCH(qreal, ratio);
    QImage source = atScale(patternImage(int(100 * ratio), int(80 * ratio)), ratio);
    source.setDotsPerMeterX(5669);  // a screen of 144 dpi: the text is larger than at 96
    source.setDotsPerMeterY(5669);
    AnnotationLayer layer;
    for (const Annotation& a : everyKind()) layer.add(a);
    capture::AnnotationRenderer renderer;
    renderer.setPicture(source);
    QCOMPARE(renderer.update(layer), QRect(0, 0, 100, 80));
    QCOMPARE(renderer.update(layer), QRect());
    const auto differs = [&] {  // the first pixel that differs, if any
      renderer.update(layer);
      return imageDifference(renderer.composed(), capture::renderAnnotations(source, layer));
    };
    for (int index : {0, 4, 7, 8}) {  // under both filters, between, over them
      for (int step = 0; step < 6; ++step) {
        layer.replace(index, layer.at(index).moved({7.5, 5}));
        QCOMPARE(differs(), QString());
      }
    }
    layer.replace(9, layer.at(9).restyled(Qt::blue, 14));
    QCOMPARE(differs(), QString());
    layer.remove(8);
    QCOMPARE(differs(), QString());
    layer.add(Annotation::box(AnnotationKind::Pixelate, {0, 0}, {50, 50}, {}, 5));
    QCOMPARE(differs(), QString());
  }

  void hitTopmostFirst_data() {
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("hit");  // -1: none
    QTest::newRow("rectangle's outline") << QPointF(10, 30) << 0;
    QTest::newRow("near the outline") << QPointF(13, 30) << 0;
    QTest::newRow("inside the rectangle") << QPointF(30, 30) << -1;
    QTest::newRow("marker inside it") << QPointF(52, 52) << 1;
    QTest::newRow("pixelate over the outline") << QPointF(90, 20) << 2;
    QTest::newRow("line, width 3") << QPointF(20, 102) << 3;
    QTest::newRow("beside the line") << QPointF(20, 110) << -1;
  }
  void hitTopmostFirst() {
    QFETCH(QPointF, point);
    AnnotationLayer layer;
    layer.add(Annotation::box(AnnotationKind::Rectangle, {10, 10}, {90, 90}, Qt::red, 1));
    layer.add(Annotation::marker({50, 50}, 1, Qt::red, 11));
    layer.add(Annotation::box(AnnotationKind::Pixelate, {80, 0}, {120, 40}, {}, 10));
    layer.add(Annotation::box(AnnotationKind::Line, {0, 100}, {100, 100}, Qt::red, 3));
    QTEST(layer.topmostAt(point).value_or(-1), "hit");
  }

  void handles() {
    const Annotation box = Annotation::box(AnnotationKind::Ellipse, {50, 40}, {10, 10}, {}, 1);
    QCOMPARE(box.handles().size(), 8);
    QCOMPARE(box.handleAt({30, 41}), 5);  // bottom middle
    QCOMPARE(box.withHandleAt(6, {60, 70}).box(), QRectF(10, 10, 50, 60));
    QCOMPARE(box.withHandleAt(1, {0, 30}).box(), QRectF(10, 30, 40, 10));
    QCOMPARE(box.withHandleAt(0, {70, 80}).box(), QRectF(50, 40, 20, 40));  // flipped
    const Annotation line = Annotation::box(AnnotationKind::Line, {0, 0}, {10, 10}, {}, 3);
    QCOMPARE(line.withHandleAt(1, {20, 5}).points, QPolygonF({{0, 0}, {20, 5}}));
    QCOMPARE(Annotation::marker({5, 5}, 1, {}, 11).handles().size(), 0);
    QCOMPARE(box.moved({0.5, -1}).box(), QRectF(10.5, 9, 40, 30));
    AnnotationLayer layer;
    for (int n : {1, 3, 2}) layer.add(Annotation::marker({}, n, {}, 11));
    QCOMPARE(layer.nextMarkerNumber(), 4);
    layer.remove(1);
    QCOMPARE(layer.nextMarkerNumber(), 3);
  }

  // Shift snaps the line to the nearest 15 degrees and keeps its length.
  void snap_data() {
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("degrees");
    QTest::newRow("nearly level") << QPointF(100, 10) << 0;
    QTest::newRow("diagonal") << QPointF(50, 50) << 45;
    QTest::newRow("75") << QPointF(26, 100) << 75;
    QTest::newRow("nearly upright") << QPointF(-1, -80) << 270;
    QTest::newRow("back, 11 degrees down") << QPointF(-100, 20) << 165;
  }
  void snap() {
    QFETCH(QPointF, to);
    QFETCH(int, degrees);
    const QPointF from(10, 20);
    const qreal length = std::hypot(to.x(), to.y()), t = qDegreesToRadians(qreal(degrees));
    const QPointF snapped = capture::snappedAngle(from, from + to) - from;
    QVERIFY2(
        std::hypot(snapped.x() - length * std::cos(t), snapped.y() - length * std::sin(t)) < 1e-9,
        qPrintable(QString("%1,%2").arg(snapped.x()).arg(snapped.y())));
  }
};

QTEST_MAIN(TestAnnotations)

#include "tst_annotations.moc"
