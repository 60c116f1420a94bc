#include <QtTest>

#include "rotaskiv/selection_machine.h"

using capture::SelectionMachine;

namespace {

// Draws the selection (100, 80) - (300, 200).
const QString kSelect = QStringLiteral("dL@100,80 mL@300,200 uL@300,200");

QString cursorName(std::optional<Qt::CursorShape> shape) {
  static const QMap<int, QString> names{
      {Qt::CrossCursor, "cross"}, {Qt::SizeAllCursor, "sizeall"}, {Qt::SizeFDiagCursor, "fdiag"}};
  return shape ? names.value(*shape, QString::number(*shape)) : "none";
}

// Plays a script of events and describes the machine afterwards:
// mode, frame, what shows (Frame, Labels, Handles, Toolbar@where), cursor,
// the size label, and what the window was asked to do on the way.
// Events: dL/dR press, m/mL move (no button, left held), uL/uR release, dc
// double-click, hdI / hDI press on handle I (free / locked by a tool), hmI
// move over it, huI release on it, x cancel everything; "@x,y" the point.
// A script may begin with "right", for a screen of 800 x 600 right of one
// at the origin.
QString play(QString script) {
  const bool right = script.startsWith("right");
  SelectionMachine machine(QRectF(right ? 800 : 0, 0, 800, 600), QSizeF(3620 / 15.0, 26),
                           QSizeF(4, 4));
  QStringList asked;
  for (const QString& event : script.split(' ', Qt::SkipEmptyParts)) {
    const QString op = event.section('@', 0, 0);
    const QStringList xy = event.section('@', 1).split(',');
    const QPointF p(xy.value(0).toDouble(), xy.value(1).toDouble());
    const int handle = op.right(1).toInt();
    capture::SelectionStep step;
    if (op == "dL" || op == "dR")
      step = machine.press(op == "dL" ? Qt::LeftButton : Qt::RightButton, p);
    if (op == "m" || op == "mL") step = machine.move(op == "m" ? Qt::NoButton : Qt::LeftButton, p);
    if (op == "uL" || op == "uR")
      step = machine.release(op == "uL" ? Qt::LeftButton : Qt::RightButton, p);
    if (op == "dc") step = machine.doubleClick();
    if (op == "x") machine.cancelAll();
    if (op.startsWith("hd") || op.startsWith("hD"))
      step = machine.handlePress(handle, op[1] == 'D');
    if (op.startsWith("hm")) step = machine.handleMove(handle, p);
    if (op.startsWith("hu")) step = machine.handleRelease(handle);
    if (step.close) asked << "close";
    if (step.copyAndClose) asked << "copy";
    if (step.handleDragStarted) asked << "drag";
  }
  const capture::SelectionView& v = machine.view();
  QString shown = QString(v.frameShown ? "F" : "-") + (v.labelsShown ? "L" : "-") +
                  (v.handlesShown ? "H" : "-") + (v.toolbarShown ? "T" : "-");
  if (v.toolbarShown)
    shown += QStringLiteral("@%1,%2").arg(qRound(v.toolbarAt.x())).arg(qRound(v.toolbarAt.y()));
  QStringList words = {machine.mode() == SelectionMachine::Mode::Draw ? "draw" : "move",
                       QStringLiteral("%1,%2").arg(v.frame.left).arg(v.frame.top),
                       QStringLiteral("%1x%2").arg(v.frame.width).arg(v.frame.height), shown,
                       cursorName(machine.cursor())};
  if (!v.sizeText.isEmpty()) words << v.sizeText;
  if (machine.handleDrag() == SelectionMachine::HandleDrag::Start) words << "resizing";
  return (words + asked).join(' ');
}

class TestSelectionMachine : public QObject {
  Q_OBJECT

 private slots:
  void scripts_data();
  void scripts();
};

void TestSelectionMachine::scripts_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("expected");
  QTest::newRow("a drag draws a selection, the toolbar goes below it")
      << kSelect << "move 100,80 200x120 FLHT@59,204 cross 200x120";
  QTest::newRow("drawn up and to the left") << "dL@300,200 mL@100,80 uL@100,80"
                                            << "move 100,80 200x120 FLHT@59,204 cross 200x120";
  QTest::newRow("level to the left: a line, not a negative width")
      << "dL@100,100 mL@70,100 uL@70,100"
      << "move 70,100 30x0 FLHT@0,104 cross 30x0";
  QTest::newRow("straight below: a line, not a negative height")
      << "dL@100,100 mL@100,150 uL@100,150"
      << "move 100,100 0x50 FLHT@0,154 cross 0x50";
  QTest::newRow("a click without a drag: zero size, no handles")
      << "dL@200,150 uL@200,150"
      << "move 200,150 0x0 F--T@0,154 cross";
  QTest::newRow("near the screen's bottom the toolbar goes inside")
      << "dL@2,540 mL@102,590 uL@102,590"
      << "move 2,540 100x50 FLHT@0,560 cross 100x50";
  QTest::newRow("hovering inside: four-way move")
      << kSelect + " m@150,150"
      << "move 100,80 200x120 FLHT@59,204 sizeall 200x120";
  QTest::newRow("hovering outside: crosshair") << kSelect + " m@150,150 m@50,50"
                                               << "move 100,80 200x120 FLHT@59,204 cross 200x120";
  QTest::newRow("a left drag inside moves it") << kSelect + " dL@150,150 mL@180,130 uL@180,130"
                                               << "move 130,60 200x120 FLHT@89,184 sizeall 200x120";
  QTest::newRow("a move stops flush with the screen's edge")
      << kSelect + " dL@150,150 mL@-500,-500 uL@-500,-500"
      << "move 0,0 200x120 FLHT@0,124 sizeall 200x120";
  QTest::newRow("on a screen right of the first, moves stop at its left edge")
      << "right dL@900,80 mL@1100,200 uL@1100,200 dL@950,150 mL@0,150 uL@0,150"
      << "move 800,80 200x120 FLHT@800,204 sizeall 200x120";
  QTest::newRow("a press at 99.5 hits the left edge, rounded to 100")
      << kSelect + " dL@99.5,150 uL@99.5,150"
      << "move 100,80 200x120 FLHT@59,204 cross 200x120";
  QTest::newRow("a press at 299.5 misses the right edge, rounded to 300")
      << kSelect + " dL@299.5,150"
      << "draw 299.5,150 0x0 ---- none 200x120";
  QTest::newRow("a left press outside cancels it") << kSelect + " dL@500,400"
                                                   << "draw 500,400 0x0 ---- none 200x120";
  QTest::newRow("and the next drag draws a new one")
      << kSelect + " dL@500,400 mL@600,450 uL@600,450"
      << "move 500,400 100x50 FLHT@359,454 cross 100x50";
  QTest::newRow("a right click inside cancels, the window stays")
      << kSelect + " dR@150,150 uR@150,150"
      << "draw 150,150 0x0 ---- none 200x120";
  QTest::newRow("a second right click closes")
      << kSelect + " dR@150,150 uR@150,150 dR@150,150 uR@150,150"
      << "draw 150,150 0x0 F--- none 200x120 close";
  QTest::newRow("a right click before any selection closes") << "dR@50,50 uR@50,50"
                                                             << "draw 50,50 0x0 F--- cross close";
  QTest::newRow("a double-click inside copies") << kSelect + " dL@150,150 uL@150,150 dc"
                                                << "move 100,80 200x120 -LH- cross 200x120 copy";
  QTest::newRow("a double-click outside does nothing")
      << kSelect + " dL@500,400 uL@500,400 dc"
      << "move 500,400 0x0 ---T@259,404 none 200x120";
  QTest::newRow("nor after an earlier press inside")
      << kSelect + " dL@150,150 uL@150,150 dL@500,400 uL@500,400 dc"
      << "move 500,400 0x0 ---T@259,404 none 200x120";
  QTest::newRow("the bottom-right handle resizes")
      << kSelect + " hd6 hm6@340,250 hu6"
      << "move 100,80 240x170 FLHT@99,254 fdiag 240x170 drag";
  QTest::newRow("the top-left handle keeps the far edges half a handle out")
      << kSelect + " hd0 hm0@120,100 hu0"
      << "move 122,102 180x100 FLHT@61,206 fdiag 180x100 drag";
  QTest::newRow("a handle drag past the opposite edge is refused")
      << kSelect + " hd0 hm0@400,100"
      << "move 100,80 200x120 FLH- fdiag 200x120 resizing drag";
  QTest::newRow("no resize while a tool locks the selection")
      << kSelect + " hD6 hm6@340,250"
      << "move 100,80 200x120 FLHT@59,204 fdiag 200x120";
  QTest::newRow("no resize before there is a selection") << "hd6 hm6@340,250"
                                                         << "draw 0,0 0x0 ---- fdiag";
  QTest::newRow("cancelling everything") << kSelect + " x"
                                         << "draw 100,80 0x0 ---- cross 200x120";
}

void TestSelectionMachine::scripts() {
  QFETCH(QString, script);
  QFETCH(QString, expected);
  QCOMPARE(play(script), expected);
}

}  // namespace

QTEST_MAIN(TestSelectionMachine)

#include "tst_selection_machine.moc"
