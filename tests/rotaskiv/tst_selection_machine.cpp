#include <QtTest>

#include "rotaskiv/selection_machine.h"

using capture::SelectionMachine;

// Draws the selection (100, 80) - (300, 200).
const QString kSelect = "dL@100,80 mL@300,200 uL@300,200";

// Plays a script of events and describes the machine afterwards: mode, frame,
// what shows (Frame, Labels, Handles, Toolbar@where), the cursor, the size
// label, and what the window was asked to do on the way. Events: dL dR press,
// m mL move (no button, the left held), uL uR release, dc double-click; hdI
// (hDI: locked by a tool) press on handle I, hmI move over it, huI release on
// it; x cancel everything; kL kR kU kD the arrow keys, KL KR KU KD with Shift
// (a device pixel each); "@x,y" the point. The screen is 800 x 600; a
// script that begins with "two" has a second one right of it, 400 x 300 at two
// device pixels a pixel ("on1": the selection is there).
QString play(const QString& script) {
  std::vector<ScreenLayout> screens{{QRect(0, 0, 800, 600), 1}};
  if (script.startsWith("two")) screens.push_back({QRect(800, 0, 400, 300), 2});
  SelectionMachine machine(screens, QSizeF(3620 / 15.0, 26), QSizeF(4, 4));
  QStringList asked;
  for (const QString& event : script.split(' ')) {
    const QString op = event.section('@', 0, 0);
    const QStringList xy = event.section('@', 1).split(',');
    const QPointF p(xy.value(0).toDouble(), xy.value(1).toDouble());
    const Qt::MouseButton button = op.endsWith('L') ? Qt::LeftButton : Qt::RightButton;
    const int handle = op.right(1).toInt();
    capture::SelectionStep step;
    if (op == "dL" || op == "dR") step = machine.press(button, p);
    if (op == "m" || op == "mL") step = machine.move(op == "m" ? Qt::NoButton : button, p);
    if (op == "uL" || op == "uR") step = machine.release(button, p);
    if (op == "dc") step = machine.doubleClick();
    if (op == "x") machine.cancelAll();
    if (op.startsWith("hd", Qt::CaseInsensitive)) step = machine.handlePress(handle, op[1] == 'D');
    if (op.startsWith("hm")) step = machine.handleMove(handle, p);
    if (op.startsWith("hu")) step = machine.handleRelease(handle);
    if (op.size() == 2 && (op[0] == 'k' || op[0] == 'K')) {
      const int dx = op[1] == 'L' ? -1 : op[1] == 'R', dy = op[1] == 'U' ? -1 : op[1] == 'D';
      step = op[0] == 'k' ? machine.nudge(dx, dy, 0, 0) : machine.nudge(0, 0, dx, dy);
    }
    asked << QString(step.close ? "close " : "") + (step.copyAndClose ? "copy " : "") +
                 (step.handleDragStarted ? "drag" : "");
  }
  const capture::SelectionView& v = machine.view();
  QString shown = QString(v.frameShown ? "F" : "-") + (v.labelsShown ? "L" : "-") +
                  (v.handlesShown ? "H" : "-") + (v.toolbarShown ? "T" : "-");
  if (v.toolbarShown)
    shown += QString::asprintf("@%d,%d", qRound(v.toolbarAt.x()), qRound(v.toolbarAt.y()));
  const QMap<int, QString> cursors{{Qt::CrossCursor, "cross"},     {Qt::SizeAllCursor, "sizeall"},
                                   {Qt::SizeFDiagCursor, "fdiag"}, {Qt::SizeBDiagCursor, "bdiag"},
                                   {Qt::SizeVerCursor, "ver"},     {Qt::SizeHorCursor, "hor"}};
  QStringList words{machine.mode() == SelectionMachine::Mode::Draw ? "draw" : "move",
                    QString::asprintf("%g,%g %gx%g", double(v.frame.left), double(v.frame.top),
                                      double(v.frame.width), double(v.frame.height)),
                    shown, machine.cursor() ? cursors.value(*machine.cursor()) : "none",
                    v.sizeText};
  if (machine.handleDrag() == SelectionMachine::HandleDrag::Start) words << "resizing";
  if (machine.screenIndex() != 0) words << QString("on%1").arg(machine.screenIndex());
  return (words + asked).join(' ').simplified();
}

class TestSelectionMachine : public QObject {
  Q_OBJECT

 private slots:
  // clang-format off
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    const QString S = kSelect + " ";
    QTest::newRow("level left: no negative width") << "dL@100,100 mL@70,100 uL@70,100" << "move 70,100 30x0 FLHT@0,104 cross 30x0";
    QTest::newRow("straight below: a line down") << "dL@100,100 mL@100,160 uL@100,160" << "move 100,100 0x60 FLHT@0,164 cross 0x60";
    QTest::newRow("a click: zero size") << "dL@200,150 uL@200,150" << "move 200,150 0x0 F--T@0,154 cross";
    QTest::newRow("moved up to an edge") << S + "dL@150,150 mL@-500,-500 uL@-500,-500" << "move 0,0 200x120 FLHT@0,124 sizeall 200x120";
    QTest::newRow("moved down to the other edges, toolbar inside") << S + "dL@150,150 mL@900,700 uL@900,700" << "move 600,480 200x120 FLHT@559,570 sizeall 200x120";
    const QString T = "two dL@900,80 mL@1100,200 uL@1100,200 ";  // on the second screen
    QTest::newRow("moved to its edge") << T + "dL@950,150 mL@0,150 uL@0,150" << "move 800,80 200x120 FLHT@800,204 sizeall 400x240 on1";
    QTest::newRow("resized past its edge") << T + "hd0 hm0@700,50" << "move 802,52 300x150 FLH- fdiag 600x300 resizing on1 drag";
    // The hit rectangle holds its left and top edges, not its right and bottom ones.
    QTest::newRow("pressed on its top-left corner: moved") << S + "dL@100,80 mL@110,90 uL@110,90" << "move 110,90 200x120 FLHT@69,214 sizeall 200x120";
    QTest::newRow("a press inside: the crosshair until the pointer moves") << S + "m@150,150 dL@150,150" << "move 100,80 200x120 FLH- cross 200x120";
    QTest::newRow("pressed on its right edge: a new one") << S + "dL@300,150 uL@300,150" << "move 300,150 0x0 ---T@59,154 none 200x120";
    QTest::newRow("pressed on its bottom edge: a new one") << S + "dL@150,200 uL@150,200" << "move 150,200 0x0 ---T@0,204 none 200x120";
    QTest::newRow("a second one closes") << S + "dR@150,150 uR@150,150 dR@150,150 uR@150,150" << "draw 150,150 0x0 F--- none 200x120 close";
    QTest::newRow("right click at first: closes") << "dR@50,50 uR@50,50" << "draw 50,50 0x0 F--- cross close";
    QTest::newRow("double-click outside") << S + "dL@500,400 uL@500,400 dc" << "move 500,400 0x0 ---T@259,404 none 200x120";
    QTest::newRow("double-click outside after one inside") << S + "dL@150,150 uL@150,150 dL@500,400 uL@500,400 dc" << "move 500,400 0x0 ---T@259,404 none 200x120";
    QTest::newRow("handle 0") << S + "hd0 hm0@120,100 hu0" << "move 122,102 180x100 FLHT@61,206 fdiag 180x100 drag";
    QTest::newRow("past the far edge") << S + "hd0 hm0@400,100" << "move 100,80 200x120 FLH- fdiag 200x120 resizing drag";
    // L0 100, T0 80, R0 300, B0 200; half a handle is 2.
    QTest::newRow("handle 1") << S + "hd1 hm1@150,60 hu1" << "move 100,62 200x140 FLHT@59,206 ver 200x140 drag";
    QTest::newRow("handle 2") << S + "hd2 hm2@350,50" << "move 100,52 252x150 FLH- bdiag 252x150 resizing drag";
    QTest::newRow("handle 3") << S + "hd3 hm3@50,150 hu3" << "move 52,80 250x120 FLHT@61,204 hor 250x120 drag";
    QTest::newRow("handle 4") << S + "hd4 hm4@60,260" << "move 62,80 240x180 FLH- bdiag 240x180 resizing drag";
    QTest::newRow("handle 5") << S + "hd5 hm5@150,250" << "move 100,80 200x170 FLH- ver 200x170 resizing drag";
    QTest::newRow("handle 7") << S + "hd7 hm7@400,150" << "move 100,80 300x120 FLH- hor 300x120 resizing drag";
    QTest::newRow("handle 7 onto the left edge") << S + "hd7 hm7@100,150" << "move 100,80 0x120 FLH- hor 0x120 resizing drag";
    QTest::newRow("the toolbar just fits below") << "dL@100,400 mL@300,570 uL@300,570" << "move 100,400 200x170 FLHT@59,574 cross 200x170";
    QTest::newRow("keys stop at the screen's edges") << "dL@700,500 mL@800,600 uL@800,600 kR KR KD" << "move 700,500 100x100 FLHT@559,570 cross 100x100";
    QTest::newRow("no selection, no nudge") << "kR KD" << "draw 0,0 0x0 ---- cross";
    QTest::newRow("not while a handle is dragged") << S + "hd6 kR" << "move 100,80 200x120 FLH- cross 200x120 resizing drag";
    QTest::newRow("locked by a tool") << S + "hD6 hm6@340,250" << "move 100,80 200x120 FLHT@59,204 fdiag 200x120";
    QTest::newRow("everything cancelled") << S + "x" << "draw 100,80 0x0 ---- cross 200x120";
  }
  // clang-format on

  void scripts() {
    QFETCH(QString, script);
    QTEST(play(script), "expected");
  }
};

QTEST_MAIN(TestSelectionMachine)

#include "tst_selection_machine.moc"
