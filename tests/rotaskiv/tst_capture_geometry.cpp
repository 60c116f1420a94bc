#include <QtTest>

#include <QImage>
#include <cmath>

#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/snapshot_history.h"
#include "rotaskiv/toolbar_icons.h"

namespace capture {
// Found by QCOMPARE through argument-dependent lookup; static so that no other
// test file can clash with it.
static char* toString(const Selection& s) {
  return QTest::toString(
      QStringLiteral("(%1, %2, %3 x %4)").arg(s.left).arg(s.top).arg(s.width).arg(s.height));
}
}  // namespace capture

Q_DECLARE_METATYPE(capture::Selection)

using capture::Selection;

namespace {

// The toolbar and the option panel as laid out in twips.
const QSizeF kToolbar(3620 / 15.0, 390 / 15.0);
const double kPanelHeight = 560 / 15.0;

bool near(QPointF a, QPointF b) {
  return std::abs(a.x() - b.x()) < 1e-4 && std::abs(a.y() - b.y()) < 1e-4;
}

class TestCaptureGeometry : public QObject {
  Q_OBJECT

 private slots:
  void drawnSelection_data();
  void drawnSelection();
  void movedSelectionStaysOnScreen_data();
  void movedSelectionStaysOnScreen();
  void handlePositions_data();
  void handlePositions();
  void resizedSelection_data();
  void resizedSelection();
  void pressTests_data();
  void pressTests();
  void strokeEndClampedToSelection_data();
  void strokeEndClampedToSelection();
  void toolbarPosition_data();
  void toolbarPosition();
  void optionPanelPosition_data();
  void optionPanelPosition();
  void arrowHead_data();
  void arrowHead();
  void arrowOfNoLengthHasNoHead();
  void sizeLabelText_data();
  void sizeLabelText();
  void history_data();
  void history();
  void toolbarIcons_data();
  void toolbarIcons();
  void comboButtonLooks();
};

void TestCaptureGeometry::drawnSelection_data() {
  QTest::addColumn<QPointF>("current");
  QTest::addColumn<Selection>("expected");
  // Anchor at (100, 100) throughout.
  QTest::newRow("down right") << QPointF(130, 150) << Selection{100, 100, 30, 50};
  QTest::newRow("down left") << QPointF(70, 150) << Selection{70, 100, 30, 50};
  QTest::newRow("up left") << QPointF(70, 60) << Selection{70, 60, 30, 40};
  QTest::newRow("up right") << QPointF(130, 60) << Selection{100, 60, 30, 40};
  QTest::newRow("fractions") << QPointF(100.5, 100.25) << Selection{100, 100, 0.5, 0.25};
  QTest::newRow("the anchor itself") << QPointF(100, 100) << Selection{100, 100, 0, 0};
  QTest::newRow("level to the right") << QPointF(130, 100) << Selection{100, 100, 30, 0};
  QTest::newRow("straight above") << QPointF(100, 60) << Selection{100, 60, 0, 40};
  // The two level cases that the top-right formula would turn negative.
  QTest::newRow("level to the left") << QPointF(70, 100) << Selection{70, 100, 30, 0};
  QTest::newRow("straight below") << QPointF(100, 150) << Selection{100, 100, 0, 50};
}

void TestCaptureGeometry::drawnSelection() {
  QFETCH(QPointF, current);
  QFETCH(Selection, expected);
  QCOMPARE(capture::drawnSelection(QPointF(100, 100), current), expected);
}

void TestCaptureGeometry::movedSelectionStaysOnScreen_data() {
  QTest::addColumn<QPointF>("current");
  QTest::addColumn<QSizeF>("size");
  QTest::addColumn<QPointF>("topLeft");
  // Origin (200, 100), pressed at (250, 150), screen 800 x 600.
  QTest::newRow("free") << QPointF(260, 130) << QSizeF(100, 50) << QPointF(210, 80);
  QTest::newRow("half pixels") << QPointF(250.5, 149.5) << QSizeF(100, 50) << QPointF(200.5, 99.5);
  QTest::newRow("against the left") << QPointF(0, 150) << QSizeF(100, 50) << QPointF(0, 100);
  QTest::newRow("against the top") << QPointF(250, 0) << QSizeF(100, 50) << QPointF(200, 0);
  QTest::newRow("against the right") << QPointF(900, 150) << QSizeF(100, 50) << QPointF(700, 100);
  QTest::newRow("against the bottom") << QPointF(250, 700) << QSizeF(100, 50) << QPointF(200, 550);
  QTest::newRow("flush with the far corner")
      << QPointF(2000, 2000) << QSizeF(100, 50) << QPointF(700, 550);
  // Left and top are confined first, so an oversized selection sticks out
  // past the left and top edges.
  QTest::newRow("wider and taller than the screen")
      << QPointF(0, 0) << QSizeF(1000, 700) << QPointF(-200, -100);
}

void TestCaptureGeometry::movedSelectionStaysOnScreen() {
  QFETCH(QPointF, current);
  QFETCH(QSizeF, size);
  QFETCH(QPointF, topLeft);
  const Selection start{200, 100, float(size.width()), float(size.height())};
  const Selection moved = capture::movedSelection(QPointF(200, 100), QPointF(250, 150), current,
                                                  start, QSizeF(800, 600));
  QCOMPARE(moved, (Selection{float(topLeft.x()), float(topLeft.y()), start.width, start.height}));
}

void TestCaptureGeometry::handlePositions_data() {
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

void TestCaptureGeometry::handlePositions() {
  QFETCH(int, index);
  QFETCH(QPointF, topLeft);
  QFETCH(Qt::CursorShape, cursor);
  const auto handles = capture::handlePositions(Selection{10, 20, 100, 60}, QSizeF(6, 4));
  QVERIFY2(
      near(handles[index], topLeft),
      qPrintable(QStringLiteral("got (%1, %2)").arg(handles[index].x()).arg(handles[index].y())));
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
  QTest::newRow("6 onto the opposite corner")
      << 6 << QPointF(100, 50) << false << Selection{100, 50, 0, 0};
  QTest::newRow("2 just reaching zero width")
      << 2 << QPointF(97, 70) << false << Selection{100, 72, 0, 130};
  QTest::newRow("0 past the right edge") << 0 << QPointF(301, 70) << true << Selection{};
  QTest::newRow("0 past the bottom edge") << 0 << QPointF(120, 201) << true << Selection{};
  QTest::newRow("2 past the left edge") << 2 << QPointF(96, 70) << true << Selection{};
  QTest::newRow("4 above the top edge") << 4 << QPointF(120, 49) << true << Selection{};
  QTest::newRow("5 above the top edge") << 5 << QPointF(120, 49) << true << Selection{};
  QTest::newRow("7 left of the left edge") << 7 << QPointF(99, 120) << true << Selection{};
  QTest::newRow("no such handle") << 8 << QPointF(120, 70) << true << Selection{};
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
  QTest::newRow("middle") << s << QPointF(25, 40) << true << true;
  QTest::newRow("left edge counts as a hit") << s << QPointF(10, 40) << false << true;
  QTest::newRow("top edge counts as a hit") << s << QPointF(25, 20) << false << true;
  QTest::newRow("right edge is outside") << s << QPointF(40, 40) << false << false;
  QTest::newRow("bottom edge is outside") << s << QPointF(25, 60) << false << false;
  QTest::newRow("just inside the right edge") << s << QPointF(39.9, 40) << true << false;
  QTest::newRow("9.5 rounds to 10, a hit") << s << QPointF(9.5, 40) << false << true;
  QTest::newRow("39.5 rounds to 40, a miss") << s << QPointF(39.5, 40) << true << false;
  // Halves go to the even neighbour: against edges at 11 and 39, 10.5 and
  // 38.5 become 10 and 38.
  const Selection odd{11, 21, 28, 38};
  QTest::newRow("10.5 rounds to 10, a miss") << odd << QPointF(10.5, 40) << false << false;
  QTest::newRow("38.5 rounds to 38, a hit") << odd << QPointF(38.5, 58.5) << true << true;
  // The rectangle is rounded too: 11.5 and 31.5 become 12 and 32, 12.5 becomes 12.
  const Selection half{11.5, 20, 20, 40};
  QTest::newRow("left edge 11.5 is 12") << half << QPointF(11, 40) << false << false;
  QTest::newRow("right edge 31.5 is 32") << half << QPointF(31, 40) << true << true;
  QTest::newRow("left edge 12.5 is 12")
      << Selection{12.5, 20, 20, 40} << QPointF(12, 40) << false << true;
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

void TestCaptureGeometry::strokeEndClampedToSelection_data() {
  QTest::addColumn<QPointF>("point");
  QTest::addColumn<QPointF>("clamped");
  // Selection (10, 20, 30, 40): x in [10, 40], y in [20, 60].
  QTest::newRow("inside") << QPointF(15.5, 30.25) << QPointF(15.5, 30.25);
  QTest::newRow("right") << QPointF(90, 30) << QPointF(40, 30);
  QTest::newRow("left") << QPointF(-5, 30) << QPointF(10, 30);
  QTest::newRow("above") << QPointF(15, 0) << QPointF(15, 20);
  QTest::newRow("below") << QPointF(15, 61) << QPointF(15, 60);
  QTest::newRow("past a corner") << QPointF(100, 100) << QPointF(40, 60);
}

void TestCaptureGeometry::strokeEndClampedToSelection() {
  QFETCH(QPointF, point);
  QFETCH(QPointF, clamped);
  QCOMPARE(capture::clampedToSelection(point, Selection{10, 20, 30, 40}), clamped);
}

void TestCaptureGeometry::toolbarPosition_data() {
  QTest::addColumn<Selection>("selection");
  QTest::addColumn<QPointF>("topLeft");
  // Screen height 768.
  QTest::newRow("below, right-aligned")
      << Selection{300, 100, 300, 200} << QPointF(600 - kToolbar.width(), 304);
  QTest::newRow("exactly fits below")
      << Selection{300, 538, 300, 200} << QPointF(600 - kToolbar.width(), 742);
  QTest::newRow("inside the bottom edge")
      << Selection{300, 539, 300, 200} << QPointF(600 - kToolbar.width(), 709);
  QTest::newRow("narrow at the left edge") << Selection{10, 100, 50, 50} << QPointF(0, 154);
  QTest::newRow("zero size") << Selection{400, 300, 0, 0} << QPointF(400 - kToolbar.width(), 304);
}

void TestCaptureGeometry::toolbarPosition() {
  QFETCH(Selection, selection);
  QFETCH(QPointF, topLeft);
  const QPointF got = capture::toolbarPosition(selection, kToolbar, 768);
  QVERIFY2(near(got, topLeft),
           qPrintable(QStringLiteral("got (%1, %2)").arg(got.x()).arg(got.y())));
}

void TestCaptureGeometry::optionPanelPosition_data() {
  QTest::addColumn<double>("toolbarTop");
  QTest::addColumn<double>("panelTop");
  // Screen height 768; below needs toolbar top + 26 + 3 + 37.33 <= 768.
  QTest::newRow("below") << 304.0 << 333.0;
  QTest::newRow("just fits below") << 701.0 << 730.0;
  QTest::newRow("just too low, above") << 702.0 << 702 - kPanelHeight - 3;
  QTest::newRow("at the bottom, above") << 720.0 << 720 - kPanelHeight - 3;
}

void TestCaptureGeometry::optionPanelPosition() {
  QFETCH(double, toolbarTop);
  QFETCH(double, panelTop);
  const QPointF got =
      capture::optionPanelPosition(QPointF(158.5, toolbarTop), kToolbar, float(kPanelHeight), 768);
  QVERIFY2(near(got, QPointF(158.5, panelTop)),
           qPrintable(QStringLiteral("got (%1, %2)").arg(got.x()).arg(got.y())));
}

void TestCaptureGeometry::arrowHead_data() {
  QTest::addColumn<QPointF>("tail");
  QTest::addColumn<QPointF>("tip");
  QTest::addColumn<QPointF>("a");
  QTest::addColumn<QPointF>("b");
  QTest::newRow("to the right") << QPointF(0, 0) << QPointF(100, 0) << QPointF(90, 5)
                                << QPointF(90, -5);
  QTest::newRow("downwards") << QPointF(0, 0) << QPointF(0, 50) << QPointF(-5, 40)
                             << QPointF(5, 40);
  QTest::newRow("3-4-5 slope") << QPointF(0, 0) << QPointF(30, 40) << QPointF(20, 35)
                               << QPointF(28, 29);
  QTest::newRow("shorter than the head")
      << QPointF(7, 7) << QPointF(4, 3) << QPointF(14, 8) << QPointF(6, 14);
}

void TestCaptureGeometry::arrowHead() {
  QFETCH(QPointF, tail);
  QFETCH(QPointF, tip);
  QFETCH(QPointF, a);
  QFETCH(QPointF, b);
  const auto head = capture::arrowHead(tail, tip, 10);
  QVERIFY(head.has_value());
  QVERIFY2(near(head->a, a),
           qPrintable(QStringLiteral("A (%1, %2)").arg(head->a.x()).arg(head->a.y())));
  QVERIFY2(near(head->b, b),
           qPrintable(QStringLiteral("B (%1, %2)").arg(head->b.x()).arg(head->b.y())));
  // Whatever the direction: 10 back along the shaft, 5 to each side.
  const QPointF shaft = (tail - tip) / std::hypot(tail.x() - tip.x(), tail.y() - tip.y());
  for (QPointF barb : {head->a - tip, head->b - tip}) {
    QVERIFY(std::abs(QPointF::dotProduct(barb, shaft) - 10) < 1e-4);
    QVERIFY(std::abs(std::abs(barb.x() * shaft.y() - barb.y() * shaft.x()) - 5) < 1e-4);
  }
}

void TestCaptureGeometry::arrowOfNoLengthHasNoHead() {
  QVERIFY(!capture::arrowHead(QPointF(5, 5), QPointF(5, 5), 10));
  QVERIFY(!capture::arrowHead(QPointF(5, 5), QPointF(5 + 1e-11, 5), 10));
  QVERIFY(capture::arrowHead(QPointF(5, 5), QPointF(5.001, 5), 10));
}

void TestCaptureGeometry::sizeLabelText_data() {
  QTest::addColumn<float>("width");
  QTest::addColumn<float>("height");
  QTest::addColumn<QString>("text");
  QTest::newRow("whole") << 320.f << 240.f << "320x240";
  QTest::newRow("half") << 12.5f << 3.f << "12.5x3";
  QTest::newRow("shortest single text") << 120.4f << 0.1f << "120.4x0.1";
  QTest::newRow("nothing yet") << 0.f << 0.f << "0x0";
}

void TestCaptureGeometry::sizeLabelText() {
  QFETCH(float, width);
  QFETCH(float, height);
  QFETCH(QString, text);
  QCOMPARE(capture::sizeLabelText(width, height), text);
}

// Scripts: "+x" pushes the blob "x", "u" undoes, "r" redoes, "1" resets to the
// first snapshot, "c" clears. The results list what each undo and redo gave
// ("-" for nothing).
void TestCaptureGeometry::history_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("results");
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("redoLimit");
  QTest::addColumn<int>("bytes");
  QTest::newRow("undo at 1 gives nothing") << "+a u"
                                           << "-" << 1 << 1 << 1;
  QTest::newRow("undo and redo walk the list") << "+a +b +c u u r"
                                               << "b a b" << 2 << 3 << 3;
  QTest::newRow("redo at the limit") << "+a +b r r"
                                     << "- -" << 2 << 2 << 2;
  QTest::newRow("undo at 1 keeps the redo limit") << "+a +b u u r"
                                                  << "a - b" << 2 << 2 << 2;
  QTest::newRow("push after undo discards redo") << "+a +bb +ccc u u +dddd r u"
                                                 << "bb a - a" << 1 << 2 << 5;
  QTest::newRow("reset to the first snapshot") << "+a +bb +ccc u 1 r u"
                                               << "bb - -" << 1 << 1 << 1;
  QTest::newRow("push after reset") << "+a +bb 1 +ccc u r"
                                    << "a ccc" << 2 << 2 << 4;
  QTest::newRow("empty history") << "u r 1"
                                 << "- -" << 0 << 0 << 0;
  QTest::newRow("clear starts afresh") << "+a +bb c +ccc u"
                                       << "-" << 1 << 1 << 3;
}

void TestCaptureGeometry::history() {
  QFETCH(QString, script);
  QFETCH(QString, results);
  QFETCH(int, count);
  QFETCH(int, redoLimit);
  QFETCH(int, bytes);
  SnapshotHistory history;
  QStringList got;
  auto note = [&](const std::optional<QByteArray>& blob) {
    got << (blob ? QString::fromLatin1(*blob) : QStringLiteral("-"));
  };
  for (const QString& step : script.split(' ')) {
    if (step.startsWith('+')) history.push(step.mid(1).toLatin1());
    if (step == "u") note(history.undo());
    if (step == "r") note(history.redo());
    if (step == "1") history.resetToFirst();
    if (step == "c") history.clear();
  }
  QCOMPARE(got.join(' '), results);
  QCOMPARE(history.count(), count);
  QCOMPARE(history.redoLimit(), redoLimit);
  // Every snapshot up to the redo limit is kept, and nothing beyond it.
  QCOMPARE(history.size(), qsizetype(redoLimit));
  QCOMPARE(history.bytes(), qsizetype(bytes));
}

void TestCaptureGeometry::toolbarIcons_data() {
  QTest::addColumn<qreal>("dpr");
  QTest::newRow("ratio 1") << 1.0;
  QTest::newRow("ratio 2") << 2.0;
}

void TestCaptureGeometry::toolbarIcons() {
  QFETCH(qreal, dpr);
  QList<QImage> icons;
  for (int i = 0; i < 9; ++i) {
    const QPixmap icon = toolbarIcon(i, dpr);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.devicePixelRatio(), dpr);
    QCOMPARE(icon.size(), QSize(16, 16) * dpr);
    const QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0, clear = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const int alpha = qAlpha(image.pixel(x, y));
        opaque += alpha == 255;
        clear += alpha == 0;
      }
    QVERIFY2(opaque > 0 && clear > 0, qPrintable(QString::number(i)));
    for (int j = 0; j < icons.size(); ++j)
      QVERIFY2(icons[j] != image, qPrintable(QStringLiteral("%1 looks like %2").arg(i).arg(j)));
    icons << image;
  }
}

void TestCaptureGeometry::comboButtonLooks() {
  QList<QImage> looks;
  for (int look = 0; look < 3; ++look) {
    const QPixmap picture = comboButtonPicture(look, QSize(17, 21), 2);
    QCOMPARE(picture.size(), QSize(34, 42));
    looks << picture.toImage();
  }
  QCOMPARE(looks[1].pixelColor(20, 4), QColor(148, 217, 255));
  QCOMPARE(looks[1].pixelColor(0, 0), QColor(36, 143, 251));
  QVERIFY(looks[0] != looks[1] && looks[1] != looks[2] && looks[0] != looks[2]);
}

}  // namespace

QTEST_MAIN(TestCaptureGeometry)

#include "tst_capture_geometry.moc"
