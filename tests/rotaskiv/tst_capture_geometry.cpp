#include <QtTest>

#include <cmath>

#include "rotaskiv/capture_geometry.h"

namespace capture {
// Found by QCOMPARE through argument-dependent lookup.
static char* toString(const Selection& s) {
  return QTest::toString(
      QStringLiteral("(%1, %2, %3 x %4)").arg(s.left).arg(s.top).arg(s.width).arg(s.height));
}
}  // namespace capture

Q_DECLARE_METATYPE(capture::Selection)

using capture::Selection;

namespace {

// The toolbar as laid out in twips, on an 800 x 600 screen.
const QSizeF kToolbar(3620 / 15.0, 390 / 15.0);
const double kPanelHeight = 560 / 15.0;
const QRectF kScreen(0, 0, 800, 600);

QString text(QPointF p) { return QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y()); }

class TestCaptureGeometry : public QObject {
  Q_OBJECT

 private slots:
  void drawnSelection_data();
  void drawnSelection();
  void movedSelection_data();
  void movedSelection();
  void handles_data();
  void handles();
  void resizedSelection_data();
  void resizedSelection();
  void pressTests_data();
  void pressTests();
  void placement_data();
  void placement();
  void arrowHead_data();
  void arrowHead();
  void sizeLabelText();
};

void TestCaptureGeometry::drawnSelection_data() {
  QTest::addColumn<QPointF>("current");
  QTest::addColumn<Selection>("expected");
  // Anchor at (100, 100) throughout.
  QTest::newRow("down left") << QPointF(70, 150) << Selection{70, 100, 30, 50};
  QTest::newRow("up left") << QPointF(70, 60) << Selection{70, 60, 30, 40};
  QTest::newRow("up right") << QPointF(130, 60) << Selection{100, 60, 30, 40};
  QTest::newRow("fractions") << QPointF(100.5, 100.25) << Selection{100, 100, 0.5, 0.25};
  QTest::newRow("the anchor itself") << QPointF(100, 100) << Selection{100, 100, 0, 0};
  // The two level cases that the top-right formula would turn negative.
  QTest::newRow("level to the left") << QPointF(70, 100) << Selection{70, 100, 30, 0};
  QTest::newRow("straight below") << QPointF(100, 150) << Selection{100, 100, 0, 50};
}

void TestCaptureGeometry::drawnSelection() {
  QFETCH(QPointF, current);
  QFETCH(Selection, expected);
  QCOMPARE(capture::drawnSelection(QPointF(100, 100), current), expected);
}

void TestCaptureGeometry::movedSelection_data() {
  QTest::addColumn<QRectF>("screen");
  QTest::addColumn<QPointF>("current");
  QTest::addColumn<QSizeF>("size");
  QTest::addColumn<QPointF>("topLeft");
  // Origin (200, 100), pressed at (250, 150).
  const QSizeF small(100, 50);
  QTest::newRow("half pixels") << kScreen << QPointF(250.5, 149.5) << small << QPointF(200.5, 99.5);
  QTest::newRow("against the left") << kScreen << QPointF(0, 150) << small << QPointF(0, 100);
  QTest::newRow("against the top") << kScreen << QPointF(250, 0) << small << QPointF(200, 0);
  QTest::newRow("flush with the far corner")
      << kScreen << QPointF(2000, 2000) << small << QPointF(700, 550);
  // Left and top are confined first, so an oversized selection sticks out
  // past the left and top edges.
  QTest::newRow("wider and taller than the screen")
      << kScreen << QPointF(0, 0) << QSizeF(1000, 700) << QPointF(-200, -100);
  QTest::newRow("a screen right of the first")
      << QRectF(800, 0, 800, 600) << QPointF(0, 150) << small << QPointF(800, 100);
}

void TestCaptureGeometry::movedSelection() {
  QFETCH(QRectF, screen);
  QFETCH(QPointF, current);
  QFETCH(QSizeF, size);
  QFETCH(QPointF, topLeft);
  const Selection start{200, 100, float(size.width()), float(size.height())};
  QCOMPARE(capture::movedSelection(QPointF(200, 100), QPointF(250, 150), current, start, screen),
           (Selection{float(topLeft.x()), float(topLeft.y()), start.width, start.height}));
}

void TestCaptureGeometry::handles_data() {
  QTest::addColumn<int>("index");
  QTest::addColumn<QPointF>("topLeft");
  QTest::addColumn<Qt::CursorShape>("cursor");
  // Selection (10, 20, 100, 60); a 6 x 4 handle tells width and height apart.
  QTest::newRow("0 top-left") << 0 << QPointF(7, 18) << Qt::SizeFDiagCursor;
  QTest::newRow("1 top middle") << 1 << QPointF(57, 18) << Qt::SizeVerCursor;
  QTest::newRow("2 top-right, w / 1.5") << 2 << QPointF(106, 18) << Qt::SizeBDiagCursor;
  QTest::newRow("3 left middle") << 3 << QPointF(7, 48) << Qt::SizeHorCursor;
  QTest::newRow("4 bottom-left") << 4 << QPointF(7, 78) << Qt::SizeBDiagCursor;
  QTest::newRow("5 bottom middle") << 5 << QPointF(57, 78) << Qt::SizeVerCursor;
  QTest::newRow("6 bottom-right") << 6 << QPointF(107, 78) << Qt::SizeFDiagCursor;
  QTest::newRow("7 right middle") << 7 << QPointF(107, 48) << Qt::SizeHorCursor;
}

void TestCaptureGeometry::handles() {
  QFETCH(int, index);
  QFETCH(QPointF, topLeft);
  QFETCH(Qt::CursorShape, cursor);
  const QPointF got = capture::handlePositions(Selection{10, 20, 100, 60}, QSizeF(6, 4))[index];
  QVERIFY2(std::hypot(got.x() - topLeft.x(), got.y() - topLeft.y()) < 1e-4, qPrintable(text(got)));
  QCOMPARE(capture::handleCursor(index), cursor);
}

void TestCaptureGeometry::resizedSelection_data() {
  QTest::addColumn<int>("index");
  QTest::addColumn<QPointF>("cursor");
  QTest::addColumn<bool>("refused");
  QTest::addColumn<Selection>("expected");
  // Pressed with edges L0 100, T0 50, R0 300, B0 200; a 6 x 4 handle.
  QTest::newRow("0 keeps right at R0 + w/2, bottom at B0 + h/2")
      << 0 << QPointF(120, 70) << false << Selection{123, 72, 180, 130};
  QTest::newRow("1") << 1 << QPointF(999, 70) << false << Selection{100, 72, 200, 130};
  QTest::newRow("2") << 2 << QPointF(280, 70) << false << Selection{100, 72, 183, 130};
  QTest::newRow("3") << 3 << QPointF(120, 999) << false << Selection{123, 50, 180, 150};
  QTest::newRow("4") << 4 << QPointF(120, 180) << false << Selection{123, 50, 180, 130};
  QTest::newRow("5") << 5 << QPointF(999, 180) << false << Selection{100, 50, 200, 130};
  QTest::newRow("6") << 6 << QPointF(280, 180) << false << Selection{100, 50, 180, 130};
  QTest::newRow("7") << 7 << QPointF(280, 999) << false << Selection{100, 50, 180, 150};
  QTest::newRow("2 just reaching zero width")
      << 2 << QPointF(97, 70) << false << Selection{100, 72, 0, 130};
  QTest::newRow("0 past the right edge") << 0 << QPointF(301, 70) << true << Selection{};
  QTest::newRow("4 above the top edge") << 4 << QPointF(120, 49) << true << Selection{};
  QTest::newRow("7 left of the left edge") << 7 << QPointF(99, 120) << true << Selection{};
}

void TestCaptureGeometry::resizedSelection() {
  QFETCH(int, index);
  QFETCH(QPointF, cursor);
  QFETCH(bool, refused);
  QFETCH(Selection, expected);
  const auto resized =
      capture::resizedSelection(index, cursor, capture::Edges{100, 50, 300, 200}, QSizeF(6, 4));
  QCOMPARE(!resized.has_value(), refused);
  if (resized) QCOMPARE(*resized, expected);
}

void TestCaptureGeometry::pressTests_data() {
  QTest::addColumn<Selection>("selection");
  QTest::addColumn<QPointF>("point");
  QTest::addColumn<bool>("strictlyInside");
  QTest::addColumn<bool>("hit");
  const Selection s{10, 20, 30, 40};
  QTest::newRow("left edge counts as a hit") << s << QPointF(10, 40) << false << true;
  QTest::newRow("right edge is outside") << s << QPointF(40, 40) << false << false;
  QTest::newRow("bottom edge is outside") << s << QPointF(25, 60) << false << false;
  QTest::newRow("9.5 rounds to 10, a hit") << s << QPointF(9.5, 40) << false << true;
  QTest::newRow("39.5 rounds to 40, a miss") << s << QPointF(39.5, 40) << true << false;
  // Halves go to the even neighbour, for the point and the rectangle alike.
  const Selection odd{11, 21, 28, 38};
  QTest::newRow("10.5 rounds to 10, a miss") << odd << QPointF(10.5, 40) << false << false;
  QTest::newRow("38.5 rounds to 38, a hit") << odd << QPointF(38.5, 58.5) << true << true;
  const Selection half{11.5, 20, 20, 40};
  QTest::newRow("left edge 11.5 is 12") << half << QPointF(11, 40) << false << false;
  QTest::newRow("right edge 31.5 is 32") << half << QPointF(31, 40) << true << true;
  QTest::newRow("empty selection") << Selection{10, 20, 0, 0} << QPointF(10, 20) << false << false;
}

void TestCaptureGeometry::pressTests() {
  QFETCH(Selection, selection);
  QFETCH(QPointF, point);
  QFETCH(bool, strictlyInside);
  QFETCH(bool, hit);
  QCOMPARE(capture::strictlyInside(point, selection), strictlyInside);
  QCOMPARE(capture::hitTest(point, selection), hit);
}

// The toolbar below or inside the selection, the option panel below or above
// the toolbar.
void TestCaptureGeometry::placement_data() {
  QTest::addColumn<Selection>("selection");
  QTest::addColumn<QRectF>("screen");
  QTest::addColumn<QPointF>("toolbar");
  QTest::addColumn<double>("panelTop");
  const double right = 600 - kToolbar.width();
  QTest::newRow("below, both fit")
      << Selection{300, 100, 300, 200} << kScreen << QPointF(right, 304) << 333.0;
  QTest::newRow("toolbar just fits, panel above")
      << Selection{300, 370, 300, 200} << kScreen << QPointF(right, 574) << 574 - kPanelHeight - 3;
  QTest::newRow("toolbar inside the bottom edge")
      << Selection{300, 371, 300, 200} << kScreen << QPointF(right, 541) << 541 - kPanelHeight - 3;
  QTest::newRow("narrow, at the screen's left edge")
      << Selection{810, 100, 50, 50} << QRectF(800, 0, 800, 600) << QPointF(800, 154) << 183.0;
}

void TestCaptureGeometry::placement() {
  QFETCH(Selection, selection);
  QFETCH(QRectF, screen);
  QFETCH(QPointF, toolbar);
  QFETCH(double, panelTop);
  const QPointF got = capture::toolbarPosition(selection, kToolbar, screen);
  QVERIFY2(std::hypot(got.x() - toolbar.x(), got.y() - toolbar.y()) < 1e-3, qPrintable(text(got)));
  const QPointF panel = capture::optionPanelPosition(got, kToolbar, float(kPanelHeight), screen);
  QCOMPARE(panel.x(), got.x());
  QVERIFY2(std::abs(panel.y() - panelTop) < 1e-3, qPrintable(text(panel)));
}

void TestCaptureGeometry::arrowHead_data() {
  QTest::addColumn<QPointF>("tail");
  QTest::addColumn<QPointF>("tip");
  QTest::addColumn<QPointF>("a");
  QTest::addColumn<QPointF>("b");
  QTest::newRow("to the right") << QPointF(0, 0) << QPointF(100, 0) << QPointF(90, 5)
                                << QPointF(90, -5);
  QTest::newRow("3-4-5 slope") << QPointF(0, 0) << QPointF(30, 40) << QPointF(20, 35)
                               << QPointF(28, 29);
  QTest::newRow("shorter than the head")
      << QPointF(7, 7) << QPointF(4, 3) << QPointF(14, 8) << QPointF(6, 14);
  // Not longer than 1e-10: no head at all.
  QTest::newRow("no length") << QPointF(5, 5) << QPointF(5 + 1e-11, 5) << QPointF() << QPointF();
}

void TestCaptureGeometry::arrowHead() {
  QFETCH(QPointF, tail);
  QFETCH(QPointF, tip);
  QFETCH(QPointF, a);
  QFETCH(QPointF, b);
  const auto head = capture::arrowHead(tail, tip, 10);
  QCOMPARE(head.has_value(), a != b);
  if (!head) return;
  const QString got = text(head->a) + text(head->b);
  QVERIFY2(std::hypot(head->a.x() - a.x(), head->a.y() - a.y()) < 1e-4, qPrintable(got));
  QVERIFY2(std::hypot(head->b.x() - b.x(), head->b.y() - b.y()) < 1e-4, qPrintable(got));
}

void TestCaptureGeometry::sizeLabelText() {
  // The shortest text of each single-precision value.
  QCOMPARE(capture::sizeLabelText(320.f, 240.f), QString("320x240"));
  QCOMPARE(capture::sizeLabelText(120.4f, 0.1f), QString("120.4x0.1"));
}

}  // namespace

QTEST_MAIN(TestCaptureGeometry)

#include "tst_capture_geometry.moc"
