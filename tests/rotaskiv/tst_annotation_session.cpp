#include <QtTest>

#include "rotaskiv/annotation_session.h"

using capture::AnnotationSession;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
// The tools in the order of their button numbers, Image2(4) to Image2(7).
const QString kTools = "ATER";
const QStringList kToolNames{"arrow", "text", "ellipse", "rectangle"};

QString text(QRect r) {
  return QString::asprintf("%d,%d %dx%d", r.x(), r.y(), r.width(), r.height());
}

// The bounding box of the red pixels: what the strokes drew.
QString ink(const QImage& picture) {
  QRect box;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) == kRed) box |= QRect(x, y, 1, 1);
  return box.isEmpty() ? "no ink" : "ink " + text(box);
}

// Plays a script on a white 400 x 300 picture with the selection (100, 100,
// 200 x 120), drawing in red, and describes the session afterwards: snapshot
// count / redo limit, the active tool, the option panel, what happened on the
// way, and the ink in the committed picture.
// Events: tA tE tR tT choose a tool, d m u press, move, release "@x,y", U
// undo, R redo, h press on a handle.
QString play(const QString& script) {
  QImage white(400, 300, QImage::Format_RGB32);
  white.fill(Qt::white);
  AnnotationSession session;
  session.open(white);
  const capture::Selection selection{100, 100, 200, 120};
  bool panel = false;
  QStringList happened;
  for (const QString& event : script.split(' ', Qt::SkipEmptyParts)) {
    const QStringList xy = event.section('@', 1).split(',');
    const QPointF p(xy.value(0).toDouble(), xy.value(1).toDouble());
    if (event.startsWith('t')) {
      const auto tool = ToolbarButton(4 + kTools.indexOf(event[1]));
      panel = session.chooseTool(tool, panel);
      session.noteButton(tool);
    }
    if (event.startsWith('d')) session.press(p, selection);
    if (event.startsWith('m')) {
      const QRect area = session.move(p, selection);
      if (!area.isEmpty()) happened << "repaint " + text(area);
    }
    if (event.startsWith('u')) {
      const auto release = session.release(p, selection, Qt::red);
      if (release == AnnotationSession::Release::PlaceText)
        happened
            << QStringLiteral("placed@%1,%2").arg(session.textAt().x()).arg(session.textAt().y());
      if (release == AnnotationSession::Release::WriteText) {
        session.writeText(QString(), QFont(), Qt::red);  // the text itself: see the window's test
        happened << "written";
      }
    }
    if (event == "U" && !session.undo()) {
      session.cancel();  // and the window hides the panel
      panel = false;
      happened << "cancelled";
    }
    if (event == "R") session.redo();
    if (event == "h") {
      if (session.toolLocksSelection()) {
        happened << "locked";
      } else {
        session.resetToFirstSnapshot();  // and the window hides the panel
        panel = false;
      }
    }
  }
  QStringList words = {
      QStringLiteral("%1/%2").arg(session.history().count()).arg(session.history().redoLimit()),
      session.toolActive() ? kToolNames[buttonIndex(*session.tool()) - 4] : "no tool"};
  if (panel) words << "panel";
  if (session.textPending()) words << "pending";
  return (words + happened + QStringList{ink(session.picture())}).join(' ');
}

class TestAnnotationSession : public QObject {
  Q_OBJECT

 private slots:
  void scripts_data();
  void scripts();
};

void TestAnnotationSession::scripts_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("expected");
  QTest::newRow("a rectangle dragged outside ends on the selection's border")
      << "tR d@120,130 m@400,400 u@400,400"
      << "2/2 rectangle panel repaint 108,118 204x114 ink 120,130 181x91";
  QTest::newRow("an arrow: shaft and a head 10 back, 5 to each side")
      << "tA d@120,130 u@250,130"
      << "2/2 arrow panel ink 120,125 131x11";
  QTest::newRow("an ellipse inside its box, right and bottom exclusive")
      << "tE d@120,130 u@221,191"
      << "2/2 ellipse panel ink 120,130 101x61";
  QTest::newRow("a stroke ending where it began still commits") << "tA d@150,150 u@150,150"
                                                                << "2/2 arrow panel no ink";
  QTest::newRow("a press outside the selection draws nothing") << "tR d@50,50 m@150,150 u@150,150"
                                                               << "1/1 rectangle panel no ink";
  QTest::newRow("a dragged stroke is a preview until released")
      << "tR d@120,130 m@200,180"
      << "1/1 rectangle panel repaint 108,118 104x74 no ink";
  QTest::newRow("undo and redo step through the strokes")
      << "tR d@110,110 u@150,150 d@160,160 u@200,200 U R R"
      << "3/3 rectangle panel ink 110,110 91x91";
  QTest::newRow("a stroke after an undo discards redo")
      << "tR d@110,110 u@150,150 d@160,160 u@200,200 U d@250,110 u@280,150 R"
      << "3/3 rectangle panel ink 110,110 171x41";
  QTest::newRow("undo at the first snapshot cancels everything") << "tR U"
                                                                 << "1/1 no tool cancelled no ink";
  QTest::newRow("a handle press after undoing back to the first snapshot discards redo")
      << "tR d@110,110 u@150,150 U h R"
      << "1/1 no tool no ink";
  QTest::newRow("with annotations a handle press is locked")
      << "tR d@110,110 u@150,150 h"
      << "2/2 rectangle panel locked ink 110,110 41x41";
  QTest::newRow("text: the first click places the box, the second writes it")
      << "tT d@150,150 u@150,150 d@20,20 u@20,20"
      << "2/2 text panel placed@150,150 written no ink";
  QTest::newRow("the text tool shows no preview") << "tT d@150,150 m@200,200"
                                                  << "1/1 text panel no ink";
  QTest::newRow("the same tool again hides the panel") << "tR tR"
                                                       << "1/1 rectangle no ink";
  QTest::newRow("another tool shows it again") << "tR tR tE"
                                               << "1/1 ellipse panel no ink";
  QTest::newRow("another tool keeps it shown") << "tT tE"
                                               << "1/1 ellipse panel no ink";
}

void TestAnnotationSession::scripts() {
  QFETCH(QString, script);
  QFETCH(QString, expected);
  QCOMPARE(play(script), expected);
}

}  // namespace

QTEST_MAIN(TestAnnotationSession)

#include "tst_annotation_session.moc"
