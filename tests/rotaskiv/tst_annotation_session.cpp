#include <QPainter>
#include <QtTest>
#include <map>

#include "rotaskiv/annotation_session.h"
#include "tests/support/image_compare.h"

using capture::AnnotationSession;

QString text(QRect r) {
  return r.isEmpty() ? "none"
                     : QString::asprintf("%d,%d %dx%d", r.x(), r.y(), r.width(), r.height());
}

// Plays a script on a white 400 x 300 picture with the selection (100, 100,
// 200 x 120), drawing in red, and describes the session afterwards: snapshot
// count / redo limit, the active tool, whether the option panel shows, the
// annotations and the selected one, what happened on the way (what a move
// repaints), and the bounding box of the red ink the picture shows. Events: tA tT tE tR tS tM
// choose the arrow, text, ellipse, rectangle, select or marker tool; d m u press, move, release
// "@x,y"; U undo; R redo; h press on a handle; w writes the text box's text, x Esc in it,
// e@x,y a double-click there.
const std::map<QChar, std::pair<ToolbarButton, QString>> kTools{
    {'A', {ToolbarButton::Arrow, "arrow"}},     {'T', {ToolbarButton::Text, "text"}},
    {'E', {ToolbarButton::Ellipse, "ellipse"}}, {'R', {ToolbarButton::Rectangle, "rectangle"}},
    {'S', {ToolbarButton::Select, "select"}},   {'M', {ToolbarButton::Marker, "marker"}}};

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
    (void)session.takeDirty();
    if (event.startsWith('t')) {
      const auto tool = kTools.at(event[1]).first;
      panel = session.chooseTool(tool, panel);
      session.noteButton(tool);
    }
    if (event.startsWith('d')) session.press(p, selection, {Qt::red, 11});
    if (event.startsWith('m')) session.move(p, selection);
    if (event.startsWith('m')) happened << "repaint " + text(session.takeDirty().boundingRect());
    if (event.startsWith('u')) session.release(p, selection);
    if (event == "U" && !session.undo()) {
      session.cancel();
      panel = false;  // the window hides it too
      happened << "cancelled";
    }
    if (event == "R") session.redo();
    if (event == "x") session.dropText();
    if (event == "w") session.writeText("H", {Qt::blue, 11});  // blue: not counted as ink
    if (event.startsWith("e@")) session.dropClickDrawing();    // as the window does
    if (event.startsWith("e@")) happened << (session.editTextAt(p) ? "editing" : "no text");
    if (event == "h" && !session.toolLocksSelection()) {  // a resize starts; the panel hides
      session.resetToFirstSnapshot();
      panel = false;
    }
  }
  QStringList words{
      QString::asprintf("%d/%d", session.history().count(), session.history().redoLimit()),
      "no tool"};
  for (const auto& [letter, tool] : kTools)
    if (session.toolActive() && tool.first == session.tool()) words[1] = tool.second;
  if (panel) words << "panel";
  if (session.textPending()) words << "pending";
  if (!session.annotations().empty())
    words << QString::asprintf("%d annotated", session.annotations().count());
  if (session.selected()) words << QString::asprintf("%d selected", *session.selected() + 1);
  for (const capture::Annotation& a : session.annotations().items())
    if (a.kind == capture::AnnotationKind::Marker) words << QString::number(a.number);
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
    // What a move repaints: the old and the new rectangle, each with a pixel either side and a
    // device pixel more; each 1-px outline is as wide as its box plus one.
    QTest::newRow("rectangle, clamped") << "tR d@120,130 m@400,400 u@400,400" << "2/2 rectangle panel 1 annotated 1 selected repaint 118,128 184x94 ink 120,130 181x91";
    QTest::newRow("arrow: head 10 back, 5 aside") << "tA d@120,130 u@250,130" << "2/2 arrow panel 1 annotated 1 selected ink 120,125 131x11";
    QTest::newRow("arrow down: the same") << "tA d@150,120 u@150,210" << "2/2 arrow panel 1 annotated 1 selected ink 145,120 11x91";
    QTest::newRow("ellipse in its box") << "tE d@120,130 u@221,191" << "2/2 ellipse panel 1 annotated 1 selected ink 120,130 101x61";
    QTest::newRow("ellipse two pixels wide") << "tE d@120,130 u@122,150" << "2/2 ellipse panel 1 annotated 1 selected ink 120,130 2x20";
    QTest::newRow("no length: a step, nothing kept") << "tA d@150,150 u@150,150" << "2/2 arrow panel ink none";
    QTest::newRow("drawing elsewhere lets go of the last one") << "tR d@110,110 u@150,150 d@200,160 m@250,200" << "2/2 rectangle panel 1 annotated repaint 198,158 54x44 ink 110,110 141x91";
    QTest::newRow("a press outside") << "tR d@50,50 m@150,150 u@150,150" << "1/1 rectangle panel repaint none ink none";
    QTest::newRow("and after a stroke") << "tR d@110,110 u@150,150 d@50,50 m@200,200 u@200,200" << "2/2 rectangle panel 1 annotated 1 selected repaint none ink 110,110 41x41";
    QTest::newRow("a stroke after undo discards redo") << "tR d@110,110 u@150,150 d@160,160 u@200,200 U d@250,110 u@280,150 R"
                                                       << "3/3 rectangle panel 2 annotated 2 selected ink 110,110 171x41";
    QTest::newRow("undo then redo brings the stroke back") << "tR d@110,110 u@150,150 d@160,160 u@200,200 U R" << "3/3 rectangle panel 2 annotated ink 110,110 91x91";
    QTest::newRow("undo at the first snapshot") << "tR U" << "1/1 no tool cancelled ink none";
    QTest::newRow("handle after undo to the first") << "tR d@110,110 u@150,150 U h R" << "1/1 no tool ink none";
    QTest::newRow("handle, annotated") << "tR d@110,110 u@150,150 h" << "2/2 rectangle panel 1 annotated 1 selected ink 110,110 41x41";
    QTest::newRow("same tool: panel hides") << "tR tR" << "1/1 rectangle ink none";
    QTest::newRow("text written; a click outside places none") << "tT d@120,130 u@120,130 w d@50,50 u@50,50" << "2/2 text panel 1 annotated 1 selected ink none";
    QTest::newRow("text placed, dropped; a click outside places none") << "tT d@120,130 u@120,130 x d@50,50 u@50,50" << "1/1 text panel ink none";
    QTest::newRow("other tool: panel stays") << "tT tE" << "1/1 ellipse panel ink none";
    QTest::newRow("a tool of another kind lets go, select keeps") << "tR d@110,110 u@150,150 tE d@200,110 u@240,150 tS tR" << "3/3 rectangle panel 2 annotated ink 110,110 130x41";
    QTest::newRow("where two cross, the upper one is picked") << "tR d@110,110 u@150,150 d@120,120 u@160,160 tS d@110,130 u@110,130 d@150,120 u@150,120" << "3/3 select panel 2 annotated 2 selected ink 110,110 51x51";
    QTest::newRow("a click on it only selects it") << "tR d@110,110 u@150,150 d@110,130 u@110,130" << "2/2 rectangle panel 1 annotated 1 selected ink 110,110 41x41";
    QTest::newRow("select tool, a click on nothing") << "tR d@110,110 u@150,150 tS d@130,130 u@130,130" << "2/2 select panel 1 annotated ink 110,110 41x41";
    QTest::newRow("the undone marker's number comes back") << "tM d@120,120 u@120,120 d@160,120 u@160,120 U d@200,120 u@200,120" << "3/3 marker panel 2 annotated 2 selected 1 2 ink 110,110 100x20";
    QTest::newRow("a text typed again, Esc keeps it") << "tT d@120,130 u@120,130 w e@123,138 x" << "2/2 text panel 1 annotated 1 selected editing ink none";
    QTest::newRow("a double-click with the marker keeps none") << "tT d@120,130 u@120,130 w tM d@200,200 u@200,200 d@123,138 u@123,138 e@123,138" << "3/3 marker panel pending 2 annotated 1 selected 1 editing ink 190,190 20x20";
    QTest::newRow("the same words again are no step") << "tT d@120,130 u@120,130 w e@123,138 d@10,10 w" << "2/2 text panel 1 annotated 1 selected editing ink none";
  }
  // clang-format on

  void scripts() {
    QFETCH(QString, script);
    QTEST(play(script), "expected");
  }
};

QTEST_MAIN(TestAnnotationSession)

#include "tst_annotation_session.moc"
