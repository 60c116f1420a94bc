#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>

#include "common/cursor_override.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_parts.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/screen_source.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// A screen that always shows the same known picture.
class FixedScreen : public ScreenSource {
 public:
  ScreenGrab grab() override { return result; }
  ScreenGrab result;
};

using capture::Selection;

const QRgb kRed = qRgb(255, 0, 0);

class TestCaptureForm : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void opensOverTheFrozenScreen();
  void drawingASelection_data();
  void drawingASelection();
  void toolbarGoesInsideNearTheBottomAndStaysOnScreen();
  void movingIsConfinedToTheScreen_data();
  void movingIsConfinedToTheScreen();
  void resizingWithAHandle();
  void otherButtonRules();
  void escapeCloses();
  void doubleClickCopiesAndCloses();
  void strokesAreClampedCommittedAndUndoable_data();
  void strokesAreClampedCommittedAndUndoable();
  void previewShowsWhileDraggingButIsNotKept();
  void newStrokeAfterUndoDiscardsRedo();
  void undoPastTheFirstSnapshotCancelsTheSelection();
  void toolButtonTogglesThePanelButKeepsTheTool();
  void paletteSetsTheCurrentColour();
  void textIsPlacedTypedAndWritten();
  void copyAndExitPutsTheAnnotatedSelectionOnTheClipboard();
  void saveWritesTheFileAndEmptiesTheClipboard_data();
  void saveWritesTheFileAndEmptiesTheClipboard();
  void cancelledSaveKeepsTheClipboard();
  void emptySelectionCopiesAndSavesNothing();
  void failedGrabIsReportedInsteadOfABlackPicture();
  void highDensityScreenKeepsItsDevicePixels();
  void handlesAreLockedWhileAnnotating();

 private:
  void open(qreal dpr = 1);
  void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);
  void select(QRect r);
  void click(int toolbarButton);
  QImage grabbed() const { return screen_.result.image; }

  std::unique_ptr<ScriptedDialogs> dialogs_;
  FixedScreen screen_;
  std::unique_ptr<QWidget> owner_;
  QPointer<CaptureForm> form_;
  QSize screenSize_;
  std::unique_ptr<QTemporaryDir> dir_;
};

void TestCaptureForm::init() {
  dialogs_ = std::make_unique<ScriptedDialogs>();
  dir_ = std::make_unique<QTemporaryDir>();
  installScreenSource(&screen_);
  screenSize_ = QGuiApplication::primaryScreen()->geometry().size();
  owner_ = std::make_unique<QWidget>();
  QGuiApplication::clipboard()->clear();
}

void TestCaptureForm::cleanup() {
  QVERIFY2(dialogs_->unexpected().isEmpty(), qPrintable(dialogs_->unexpected().join(", ")));
  QCOMPARE(dialogs_->unusedAnswers(), 0);
  owner_.reset();  // takes the capture window with it
  installScreenSource(nullptr);
  dialogs_.reset();
  cursor_override::reset();
  for (QWidget* w : QApplication::topLevelWidgets())
    QVERIFY2(!w->isVisible(), qPrintable("left open: " + w->objectName()));
}

void TestCaptureForm::open(qreal dpr) {
  QImage picture =
      patternImage(qRound(screenSize_.width() * dpr), qRound(screenSize_.height() * dpr));
  picture.setDevicePixelRatio(dpr);
  screen_.result = ScreenGrab{picture, QString()};
  form_ = new CaptureForm(owner_.get());
  form_->Show();
  QVERIFY(QTest::qWaitForWindowExposed(form_));
}

void TestCaptureForm::drag(QPoint from, QPoint to, Qt::MouseButton button) {
  QTest::mousePress(form_, button, {}, from);
  QTest::mouseMove(form_, (from + to) / 2);
  QTest::mouseMove(form_, to);
  QTest::mouseRelease(form_, button, {}, to);
}

void TestCaptureForm::select(QRect r) {
  drag(r.topLeft(), r.topLeft() + QPoint(r.width(), r.height()));
}

void TestCaptureForm::click(int toolbarButton) {
  QTest::mouseClick(form_->Picture1->Image2[toolbarButton], Qt::LeftButton);
}

void TestCaptureForm::opensOverTheFrozenScreen() {
  open();
  QCOMPARE(form_->geometry(), QGuiApplication::primaryScreen()->geometry());
  QCOMPARE(imageDifference(form_->committedPicture(), grabbed()), QString());
  QCOMPARE(form_->history().count(), 1);
  QCOMPARE(form_->mode(), CaptureForm::Mode::Draw);
  QVERIFY(!form_->toolActive());
  QVERIFY(form_->Picture1->isHidden());
  QVERIFY(form_->Picture2->isHidden());
  QVERIFY(form_->Shape1->isHidden());
  QVERIFY(form_->LblPos->isHidden());
  QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
  // What the window shows is the frozen picture.
  const QImage shown = form_->grab(QRect(10, 10, 50, 40)).toImage();
  QCOMPARE(imageDifference(shown, grabbed().copy(10, 10, 50, 40)), QString());
}

void TestCaptureForm::drawingASelection_data() {
  QTest::addColumn<QPoint>("from");
  QTest::addColumn<QPoint>("to");
  QTest::addColumn<QRect>("expected");
  QTest::newRow("down and right") << QPoint(100, 80) << QPoint(300, 200)
                                  << QRect(100, 80, 200, 120);
  QTest::newRow("down and left") << QPoint(300, 80) << QPoint(100, 200) << QRect(100, 80, 200, 120);
  QTest::newRow("up and left") << QPoint(300, 200) << QPoint(100, 80) << QRect(100, 80, 200, 120);
  QTest::newRow("up and right") << QPoint(100, 200) << QPoint(300, 80) << QRect(100, 80, 200, 120);
}

void TestCaptureForm::drawingASelection() {
  QFETCH(QPoint, from);
  QFETCH(QPoint, to);
  QFETCH(QRect, expected);
  open();
  drag(from, to);
  const Selection s = form_->selection();
  QCOMPARE(QRectF(s.left, s.top, s.width, s.height), QRectF(expected));
  QCOMPARE(form_->mode(), CaptureForm::Mode::Move);
  QCOMPARE(form_->LblPos->text(), QString("200x120"));
  QCOMPARE(form_->LblPos->pos(), expected.topLeft() + QPoint(2, 2));
  QVERIFY(form_->lblInfo->text().startsWith("RGB("));
  QVERIFY(form_->Shape1->isVisible());
  // Handles around it: 0 at the top-left corner, 6 at the bottom-right.
  QCOMPARE(form_->Image1[0]->pos(), expected.topLeft() - QPoint(2, 2));
  QCOMPARE(form_->Image1[6]->pos(), expected.topLeft() + QPoint(198, 118));
  for (ResizeHandle* handle : form_->Image1) QVERIFY(handle->isVisible());
  // The toolbar just below, right-aligned with the selection.
  QVERIFY(form_->Picture1->isVisible());
  QCOMPARE(form_->Picture1->y(), expected.bottom() + 1 + 4);
  QCOMPARE(form_->Picture1->x() + form_->Picture1->width(), expected.right() + 1);
}

void TestCaptureForm::toolbarGoesInsideNearTheBottomAndStaysOnScreen() {
  open();
  const int h = screenSize_.height();
  select(QRect(2, h - 60, 100, 50));
  QCOMPARE(form_->Picture1->y(), h - 10 - form_->Picture1->height() - 4);
  QCOMPARE(form_->Picture1->x(), 0);  // narrower than the toolbar, at the left edge
}

void TestCaptureForm::movingIsConfinedToTheScreen_data() {
  QTest::addColumn<QPoint>("by");
  QTest::addColumn<QPoint>("topLeft");
  QTest::newRow("inside") << QPoint(30, -20) << QPoint(130, 80);
  QTest::newRow("past the left and top") << QPoint(-500, -500) << QPoint(0, 0);
  QTest::newRow("past the right and bottom") << QPoint(5000, 5000) << QPoint(-1, -1);
}

void TestCaptureForm::movingIsConfinedToTheScreen() {
  QFETCH(QPoint, by);
  QFETCH(QPoint, topLeft);
  open();
  select(QRect(100, 100, 200, 120));
  drag(QPoint(150, 150), QPoint(150, 150) + by);
  if (topLeft == QPoint(-1, -1))
    topLeft = QPoint(screenSize_.width() - 200, screenSize_.height() - 120);
  const Selection s = form_->selection();
  QCOMPARE(QPointF(s.left, s.top), QPointF(topLeft));
  QCOMPARE(QSizeF(s.width, s.height), QSizeF(200, 120));
  QCOMPARE(form_->mode(), CaptureForm::Mode::Move);
}

void TestCaptureForm::resizingWithAHandle() {
  open();
  select(QRect(100, 100, 200, 120));
  ResizeHandle* corner = form_->Image1[6];
  const QPoint grabPoint(2, 2), travel(40, 30);
  const QPointF cursor = form_->mapFromGlobal(corner->mapToGlobal(QPointF(grabPoint + travel)));
  QTest::mousePress(corner, Qt::LeftButton, {}, grabPoint);
  QVERIFY(form_->Picture1->isHidden());
  // The pointer travels 40 right and 30 down with the button held.
  QMouseEvent move(QEvent::MouseMove, QPointF(grabPoint + travel),
                   corner->mapToGlobal(QPointF(grabPoint + travel)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(corner, &move);
  QTest::mouseRelease(corner, Qt::LeftButton, {}, grabPoint + travel);
  const Selection s = form_->selection();
  QCOMPARE(QRectF(s.left, s.top, s.width, s.height),
           QRectF(100, 100, cursor.x() - 100, cursor.y() - 100));
  QCOMPARE(form_->LblPos->text(),
           QStringLiteral("%1x%2").arg(cursor.x() - 100).arg(cursor.y() - 100));
  QVERIFY(form_->Picture1->isVisible());
  QCOMPARE(cursor_override::current(), std::optional(Qt::SizeFDiagCursor));
}

void TestCaptureForm::otherButtonRules() {
  // Before any selection a right click closes the window at once.
  open();
  QTest::mouseClick(form_, Qt::RightButton, {}, QPoint(50, 50));
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());

  // With a selection, the first right click only cancels it; the second closes.
  open();
  select(QRect(100, 100, 200, 120));
  QTest::mouseClick(form_, Qt::RightButton, {}, QPoint(150, 150));
  QVERIFY(form_->isVisible());
  QCOMPARE(form_->mode(), CaptureForm::Mode::Draw);
  QVERIFY(form_->Shape1->isHidden());
  QCOMPARE(cursor_override::current(), std::nullopt);
  QTest::mouseClick(form_, Qt::RightButton, {}, QPoint(150, 150));
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
  QCOMPARE(cursor_override::current(), std::nullopt);
}

void TestCaptureForm::escapeCloses() {
  open();
  select(QRect(10, 10, 50, 50));
  QTest::keyClick(form_, Qt::Key_Escape);
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
}

void TestCaptureForm::doubleClickCopiesAndCloses() {
  open();
  select(QRect(40, 30, 120, 90));
  // A real double click: press, release, then the double-click press and release.
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(60, 60));
  QTest::mouseDClick(form_, Qt::LeftButton, {}, QPoint(60, 60));
  QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), grabbed().copy(40, 30, 120, 90)),
           QString());
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
}

void TestCaptureForm::strokesAreClampedCommittedAndUndoable_data() {
  QTest::addColumn<int>("tool");
  QTest::addColumn<QPoint>("end");
  QTest::addColumn<QList<QPoint>>("painted");
  // The selection is (100,100)-(300,220); the stroke starts at (120,130).
  QTest::newRow("rectangle, dragged outside: ends on the border")
      << int(kRectangleTool) << QPoint(400, 400)
      << QList<QPoint>{{120, 130}, {300, 130}, {120, 220}, {300, 220}, {200, 220}};
  QTest::newRow("arrow along a row: shaft and tip")
      << int(kArrowTool) << QPoint(250, 130) << QList<QPoint>{{130, 130}, {200, 130}, {250, 130}};
  QTest::newRow("ellipse: the sides of its box")
      << int(kEllipseTool) << QPoint(221, 191) << QList<QPoint>{{170, 130}, {120, 160}, {220, 160}};
}

void TestCaptureForm::strokesAreClampedCommittedAndUndoable() {
  QFETCH(int, tool);
  QFETCH(QPoint, end);
  QFETCH(QList<QPoint>, painted);
  open();
  select(QRect(100, 100, 200, 120));
  click(tool);
  QVERIFY(form_->toolActive());
  QCOMPARE(form_->currentTool(), CaptureToolbar::tooltip(tool));
  QVERIFY(form_->Picture2->isVisible());
  drag(QPoint(120, 130), end);
  QCOMPARE(form_->history().count(), 2);
  const QImage annotated = form_->committedPicture();
  for (const QPoint& p : painted)
    QVERIFY2(annotated.pixel(p) == kRed,
             qPrintable(QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y())));
  // Nothing outside the selection is touched.
  QCOMPARE(imageDifference(annotated.copy(0, 0, 100, 600), grabbed().copy(0, 0, 100, 600)),
           QString());
  // The selection did not move while drawing.
  QCOMPARE(form_->selection(), (Selection{100, 100, 200, 120}));

  click(kUndo);
  QCOMPARE(imageDifference(form_->committedPicture(), grabbed()), QString());
  click(kRedo);
  QCOMPARE(imageDifference(form_->committedPicture(), annotated), QString());
  click(kRedo);  // at the limit: nothing
  QCOMPARE(form_->history().count(), 2);
}

void TestCaptureForm::previewShowsWhileDraggingButIsNotKept() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kRectangleTool);
  QTest::mousePress(form_, Qt::LeftButton, {}, QPoint(120, 130));
  QTest::mouseMove(form_, QPoint(250, 200));
  QTest::mouseMove(form_, QPoint(200, 180));
  // On screen: the rectangle to the pointer, and nothing left of the longer one.
  const QImage shown = form_->grab().toImage();
  QCOMPARE(shown.pixel(200, 150), kRed);
  QVERIFY(shown.pixel(250, 150) != kRed);
  QVERIFY(form_->committedPicture().pixel(200, 150) != kRed);
  QCOMPARE(form_->history().count(), 1);
  QTest::mouseRelease(form_, Qt::LeftButton, {}, QPoint(200, 180));
  QCOMPARE(form_->committedPicture().pixel(200, 150), kRed);
  QCOMPARE(form_->history().count(), 2);
}

void TestCaptureForm::newStrokeAfterUndoDiscardsRedo() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kRectangleTool);
  drag(QPoint(110, 110), QPoint(150, 150));
  drag(QPoint(160, 160), QPoint(200, 200));
  QCOMPARE(form_->history().count(), 3);
  click(kUndo);
  drag(QPoint(250, 110), QPoint(280, 150));
  QCOMPARE(form_->history().count(), 3);
  QCOMPARE(form_->history().redoLimit(), 3);
  const QImage now = form_->committedPicture();
  QVERIFY(now.pixel(110, 110) == kRed);
  QVERIFY(now.pixel(160, 160) != kRed);  // the undone stroke stays undone
  click(kRedo);
  QCOMPARE(imageDifference(form_->committedPicture(), now), QString());
}

void TestCaptureForm::undoPastTheFirstSnapshotCancelsTheSelection() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kArrowTool);
  click(kUndo);
  QCOMPARE(form_->mode(), CaptureForm::Mode::Draw);
  QVERIFY(!form_->toolActive());
  QVERIFY(form_->Picture1->isHidden());
  QVERIFY(form_->Picture2->isHidden());
  QVERIFY(form_->Shape1->isHidden());
  for (ResizeHandle* handle : form_->Image1) QVERIFY(handle->isHidden());
  QCOMPARE(form_->selection().width, 0.f);
  QCOMPARE(form_->history().count(), 1);
  // A new selection can be drawn straight away.
  select(QRect(20, 20, 60, 60));
  QCOMPARE(form_->selection(), (Selection{20, 20, 60, 60}));
}

void TestCaptureForm::toolButtonTogglesThePanelButKeepsTheTool() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kTextTool);
  ToolOptionPanel* panel = form_->Picture2;
  QVERIFY(panel->isVisible());
  QVERIFY(panel->PicFont->isVisible());
  QCOMPARE(panel->width(), 241);
  QCOMPARE(panel->pos(), QPoint(form_->Picture1->x(), form_->Picture1->y() + 26 + 3));
  click(kTextTool);
  QVERIFY(panel->isHidden());
  QCOMPARE(form_->currentTool(), QString("添加文字"));
  click(kEllipseTool);
  QVERIFY(panel->isVisible());
  QVERIFY(panel->PicFont->isHidden());
  QCOMPARE(panel->width(), 241 - 73 - 2);
  QCOMPARE(panel->PicColor->x(), panel->PicFont->x());
  QCOMPARE(form_->currentTool(), QString("添加椎圆"));
  click(kRectangleTool);
  QVERIFY(panel->isVisible());
}

void TestCaptureForm::paletteSetsTheCurrentColour() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kRectangleTool);
  ToolOptionPanel* panel = form_->Picture2;
  QCOMPARE(panel->currentColour(), colour::rgb(255, 0, 0));
  QTest::mouseMove(panel->Pcolor[13], QPoint(3, 3));
  QCOMPARE(panel->Pcolor[13]->borderColour().has_value(), true);
  QTest::mouseClick(panel->Pcolor[13], Qt::LeftButton);
  QCOMPARE(panel->currentColour(), colour::rgb(0, 0, 255));
  QTest::mouseClick(panel->Pcolor[16], Qt::RightButton);  // the current colour itself: no change
  QCOMPARE(panel->currentColour(), colour::rgb(0, 0, 255));
  drag(QPoint(110, 110), QPoint(150, 150));
  QCOMPARE(form_->committedPicture().pixel(110, 110), qRgb(0, 0, 255));
}

void TestCaptureForm::textIsPlacedTypedAndWritten() {
  open();
  select(QRect(100, 100, 300, 200));
  click(kTextTool);
  ToolOptionPanel* panel = form_->Picture2;
  panel->Combo1->setCurrentIndex(panel->Combo1->findText("20"));
  emit panel->Combo1->activated(panel->Combo1->currentIndex());
  QCOMPARE(panel->Text1->text(), QString("20"));

  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(150, 150));
  QVERIFY(form_->TextEdit->isVisible());
  QCOMPARE(form_->TextEdit->pos(), QPoint(150, 150));
  QCOMPARE(form_->TextEdit->width(), 25);
  QCOMPARE(form_->history().count(), 1);  // nothing committed yet
  QTest::keyClicks(form_->TextEdit, "Hello ");
  QInputMethodEvent typed;  // Chinese arrives through the input method
  typed.setCommitString(QStringLiteral("你好"));
  QCoreApplication::sendEvent(form_->TextEdit, &typed);
  QCOMPARE(form_->TextEdit->text(), QStringLiteral("Hello 你好"));
  const int wide = form_->TextEdit->width();
  QVERIFY(wide > 25);
  QTest::keyClick(form_->TextEdit, Qt::Key_Backspace);
  QCOMPARE(form_->TextEdit->width(), wide);  // never narrows

  // The next release anywhere writes it.
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(20, 20));
  QVERIFY(form_->TextEdit->isHidden());
  QVERIFY(form_->TextEdit->text().isEmpty());
  QCOMPARE(form_->history().count(), 2);
  const QImage written = form_->committedPicture().copy(150, 150, wide, 40);
  int red = 0;
  for (int y = 0; y < written.height(); ++y)
    for (int x = 0; x < written.width(); ++x) red += written.pixel(x, y) == kRed ? 1 : 0;
  QVERIFY2(red > 30, qPrintable(QString::number(red)));
}

void TestCaptureForm::copyAndExitPutsTheAnnotatedSelectionOnTheClipboard() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kRectangleTool);
  drag(QPoint(110, 110), QPoint(150, 150));
  const QImage expected = form_->committedPicture().copy(100, 100, 200, 120);
  click(kCopyAndExit);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  QVERIFY(data != nullptr);
  QVERIFY(data->hasFormat("image/png"));
  QCOMPARE(imageDifference(QImage::fromData(data->data("image/png"), "PNG"), expected), QString());
  QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), expected), QString());
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
}

void TestCaptureForm::saveWritesTheFileAndEmptiesTheClipboard_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("format");
  QTest::newRow("png") << "shot.png" << QByteArray("png");
  QTest::newRow("upper-case PNG") << "shot.PNG" << QByteArray("png");
  QTest::newRow("bmp") << "shot.bmp" << QByteArray("bmp");
}

void TestCaptureForm::saveWritesTheFileAndEmptiesTheClipboard() {
  QFETCH(QString, name);
  QFETCH(QByteArray, format);
  open();
  select(QRect(50, 60, 70, 40));
  const QString path = dir_->filePath(name);
  dialogs_->answerSave(path);
  click(kSave);
  QCOMPARE(dialogs_->fileRequests().size(), 1);
  const FileDialogRequest& request = dialogs_->fileRequests()[0];
  QCOMPARE(request.title, QString("保存为"));
  QCOMPARE(request.defaultExt, QString("PNG"));
  QCOMPARE(request.filterIndex, 1);
  QVERIFY(!request.overwritePrompt);
  QCOMPARE(request.filter,
           QString("PNG文件(*.PNG)|*.PNG|JPEG文件(*.jpg;*.jpeg)|*.jpg|位图文件(*.bmp)|"
                   "*.bmp|GIF文件(*.gif)|*.gif|TIFF文件(*.TIFF)|*.tiff|所有文件(*.*)|*.*"));
  QVERIFY(QFileInfo(request.initialDir).isDir());
  QImageReader reader(path);
  QCOMPARE(reader.format(), format);
  QCOMPARE(imageDifference(reader.read(), grabbed().copy(50, 60, 70, 40)), QString());
  QVERIFY(QGuiApplication::clipboard()->image().isNull());
  QVERIFY(dialogs_->messages().isEmpty());
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
}

void TestCaptureForm::cancelledSaveKeepsTheClipboard() {
  open();
  select(QRect(50, 60, 70, 40));
  dialogs_->answerSave(std::nullopt);
  click(kSave);
  QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), grabbed().copy(50, 60, 70, 40)),
           QString());
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());

  // A name the saver does not know is reported, and nothing is written.
  open();
  select(QRect(50, 60, 70, 40));
  const QString path = dir_->filePath("shot.jpeg");
  dialogs_->answerSave(path);
  click(kSave);
  QCOMPARE(dialogs_->messages().size(), 1);
  QCOMPARE(dialogs_->messages()[0].title, QString("错误"));
  QVERIFY(!QFileInfo::exists(path));
}

void TestCaptureForm::emptySelectionCopiesAndSavesNothing() {
  open();
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(200, 200));
  QCOMPARE(form_->mode(), CaptureForm::Mode::Move);
  QVERIFY(form_->Picture1->isVisible());
  for (ResizeHandle* handle : form_->Image1) QVERIFY(handle->isHidden());
  click(kSave);  // no dialog is scripted: none may open
  QVERIFY(QGuiApplication::clipboard()->image().isNull());
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
}

void TestCaptureForm::failedGrabIsReportedInsteadOfABlackPicture() {
  screen_.result = ScreenGrab{QImage(), QStringLiteral("无法截取屏幕：测试")};
  form_ = new CaptureForm(owner_.get());
  form_->Show();
  QCOMPARE(dialogs_->messages().size(), 1);
  QVERIFY(dialogs_->messages()[0].text.contains("无法截取屏幕"));
  QTRY_VERIFY(form_ == nullptr || !form_->isVisible());
  QCOMPARE(cursor_override::current(), std::nullopt);
}

void TestCaptureForm::highDensityScreenKeepsItsDevicePixels() {
  open(2.0);
  select(QRect(40, 30, 100, 50));
  click(kCopyAndExit);
  const QImage copied = QGuiApplication::clipboard()->image();
  QCOMPARE(copied.size(), QSize(200, 100));
  QCOMPARE(imageDifference(copied, grabbed().copy(80, 60, 200, 100)), QString());
}

void TestCaptureForm::handlesAreLockedWhileAnnotating() {
  open();
  select(QRect(100, 100, 200, 120));
  click(kRectangleTool);
  drag(QPoint(110, 110), QPoint(150, 150));
  QTest::mousePress(form_->Image1[6], Qt::LeftButton, {}, QPoint(2, 2));
  QVERIFY(form_->Picture1->isVisible());  // a resize would have hidden it
  QTest::mouseRelease(form_->Image1[6], Qt::LeftButton, {}, QPoint(2, 2));
  QCOMPARE(form_->history().count(), 2);
  QCOMPARE(form_->selection(), (Selection{100, 100, 200, 120}));
}

}  // namespace

QTEST_MAIN(TestCaptureForm)

#include "tst_capture_form.moc"
