#include <QPainter>
#include <QtTest>

#include "rotaskiv/annotation_session.h"
#include "tests/support/image_compare.h"

using capture::AnnotationSession;

QString text(QRect r) {
  return r.isEmpty() ? "none"
                     : QString::asprintf("%d,%d %dx%d", r.x(), r.y(), r.width(), r.height());
}

// Plays a script on a white 400 x 300 picture with the selection (100, 100,
// 200 x 120), drawing in red, and describes the session afterwards: snapshot
// count / redo limit, the active tool, whether the option panel shows, what
// happened on the way (with the ink a move shows), and the bounding box of
// the ink in the committed picture. Events: tA tT tE tR choose the arrow, text, ellipse or
// rectangle; d m u press, move, release "@x,y"; U undo; R redo; h press on a handle; w writes
// the text box's text, x Esc in it.
QString play(const QString& script) {
  QImage picture(400, 300, QImage::Format_RGB32);
  picture.fill(Qt::white);
  AnnotationSession session;
  session.open({picture});
  const capture::Selection selection{100, 100, 200, 120};
  bool panel = false;
  QStringList happened;
  for (const QString& event : script.split(' ')) {
    const QStringList xy = event.section('@', 1).split(',');
    const QPointF p(xy.value(0).toDouble(), xy.value(1).toDouble());
    if (event.startsWith('t')) {
      const auto tool = ToolbarButton(4 + QString("ATER").indexOf(event[1]));  // Image2(4) to (7)
      panel = session.chooseTool(tool, panel);
      session.noteButton(tool);
    }
    if (event.startsWith('d')) session.press(p, selection);
    const QRect repaint = event.startsWith('m') ? session.move(p, selection) : QRect();
    if (!repaint.isEmpty()) happened << "repaint " + text(repaint);
    if (event.startsWith('m')) {  // what the selection's screen shows while the button is held
      QImage shown = picture.copy();
      QPainter painter(&shown);
      session.paint(painter, 0, Qt::blue);
      painter.end();
      happened << "preview " + text(inkOf(shown, qRgb(0, 0, 255)));
    }
    if (event.startsWith('u')) session.release(p, selection, Qt::red);
    if (event == "U" && !session.undo()) {
      session.cancel();
      panel = false;  // the window hides it too
      happened << "cancelled";
    }
    if (event == "R") session.redo();
    if (event == "x") session.dropText();
    if (event == "w") session.writeText("H", QFont(), Qt::blue);  // blue: not counted as ink
    if (event == "h" && !session.toolLocksSelection()) {  // a resize starts; the panel hides
      session.resetToFirstSnapshot();
      panel = false;
    }
  }
  const QStringList tools{"arrow", "text", "ellipse", "rectangle"};
  QStringList words{
      QString::asprintf("%d/%d", session.history().count(), session.history().redoLimit()),
      session.toolActive() ? tools[buttonIndex(*session.tool()) - 4] : "no tool"};
  if (panel) words << "panel";
  if (session.textPending()) words << "pending";
  const QRect ink = inkOf(session.picture().copy(0, 0, 400, 300), qRgb(255, 0, 0));
  return (words + happened + QStringList{"ink " + text(ink)}).join(' ');
}

class TestAnnotationSession : public QObject {
  Q_OBJECT

 private slots:
  // clang-format off
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("rectangle, clamped") << "tR d@120,130 m@400,400 u@400,400" << "2/2 rectangle panel repaint 108,118 204x114 preview 120,130 181x91 ink 120,130 181x91";
    QTest::newRow("arrow: head 10 back, 5 aside") << "tA d@120,130 u@250,130" << "2/2 arrow panel ink 120,125 131x11";
    QTest::newRow("arrow down: the same") << "tA d@150,120 u@150,210" << "2/2 arrow panel ink 145,120 11x91";
    QTest::newRow("ellipse in its box") << "tE d@120,130 u@221,191" << "2/2 ellipse panel ink 120,130 101x61";
    QTest::newRow("ellipse two pixels wide") << "tE d@120,130 u@122,150" << "2/2 ellipse panel ink 120,130 2x20";
    QTest::newRow("no length, still committed") << "tA d@150,150 u@150,150" << "2/2 arrow panel ink none";
    QTest::newRow("a press outside") << "tR d@50,50 m@150,150 u@150,150" << "1/1 rectangle panel preview none ink none";
    QTest::newRow("and after a stroke") << "tR d@110,110 u@150,150 d@50,50 m@200,200 u@200,200" << "2/2 rectangle panel preview none ink 110,110 41x41";
    QTest::newRow("a stroke after undo discards redo") << "tR d@110,110 u@150,150 d@160,160 u@200,200 U d@250,110 u@280,150 R"
                                                       << "3/3 rectangle panel ink 110,110 171x41";
    QTest::newRow("undo then redo brings the stroke back") << "tR d@110,110 u@150,150 d@160,160 u@200,200 U R" << "3/3 rectangle panel ink 110,110 91x91";
    QTest::newRow("undo at the first snapshot") << "tR U" << "1/1 no tool cancelled ink none";
    QTest::newRow("handle after undo to the first") << "tR d@110,110 u@150,150 U h R" << "1/1 no tool ink none";
    QTest::newRow("handle, annotated") << "tR d@110,110 u@150,150 h" << "2/2 rectangle panel ink 110,110 41x41";
    QTest::newRow("same tool: panel hides") << "tR tR" << "1/1 rectangle ink none";
    QTest::newRow("text written; a click outside places none") << "tT d@120,130 u@120,130 w d@50,50 u@50,50" << "2/2 text panel ink none";
    QTest::newRow("text placed, dropped; a click outside places none") << "tT d@120,130 u@120,130 x d@50,50 u@50,50" << "1/1 text panel ink none";
    QTest::newRow("other tool: panel stays") << "tT tE" << "1/1 ellipse panel ink none";
  }
  // clang-format on

  void scripts() {
    QFETCH(QString, script);
    QTEST(play(script), "expected");
  }
};

QTEST_MAIN(TestAnnotationSession)

#include "tst_annotation_session.moc"
