#include <QtTest>

#include <QAbstractItemView>
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
struct FixedScreen : ScreenSource {
  ScreenGrab grab() override { return result; }
  ScreenGrab result;
};

const QRect kSelection(100, 100, 200, 120);

class TestCaptureForm : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void toolbarButtonsLeftToRight();
  void hoverCursorsAndColourReadout();
  void pressesOnTheStripsStayThere_data();
  void pressesOnTheStripsStayThere();
  void handleDragResizes();
  void previewShowsWhileDraggingOnly();
  void undoPastTheFirstSnapshotHidesEverything();
  void textAtTheChosenSizeColourAndPlace();
  void pendingTextIsCopiedAndSaved_data();
  void pendingTextIsCopiedAndSaved();
  void rightButtonStrokeCommitsThenCloses();
  void waysOut_data();
  void waysOut();
  void highDensityScreenKeepsItsDevicePixels();
  void failedGrabIsReported();

 private:
  // Opens the window over the known picture and drags out `selection`.
  void open(QRect selection = kSelection, qreal dpr = 1);
  void drag(QWidget* on, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);
  void click(ToolbarButton button) {
    QTest::mouseClick(form_->Picture1->Image2[buttonIndex(button)], Qt::LeftButton);
  }
  // The text tool's first click at (150, 150), then typing.
  void placeText(const QString& text) {
    click(ToolbarButton::Text);
    QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(150, 150));
    QTest::keyClicks(form_->TextEdit, text);
  }
  QImage screen(QRect r = QRect()) const { return screen_.result.image.copy(r); }

  std::unique_ptr<ScriptedDialogs> dialogs_;
  FixedScreen screen_;
  std::unique_ptr<QWidget> owner_;
  QPointer<CaptureForm> form_;
  std::unique_ptr<QTemporaryDir> dir_;
};

void TestCaptureForm::init() {
  dialogs_ = std::make_unique<ScriptedDialogs>();
  dir_ = std::make_unique<QTemporaryDir>();
  installScreenSource(&screen_);
  owner_ = std::make_unique<QWidget>();
  QGuiApplication::clipboard()->clear();
}

void TestCaptureForm::cleanup() {
  QVERIFY2(dialogs_->unexpected().isEmpty(), qPrintable(dialogs_->unexpected().join(", ")));
  QCOMPARE(dialogs_->unusedAnswers(), 0);
  owner_.reset();  // takes the capture window with it
  installScreenSource(nullptr);
  cursor_override::reset();
  dialogs_.reset();  // uninstalls itself: before the next test installs its own
}

void TestCaptureForm::open(QRect selection, qreal dpr) {
  const QSize size = QGuiApplication::primaryScreen()->geometry().size() * dpr;
  screen_.result = ScreenGrab{patternImage(size.width(), size.height()), QString()};
  screen_.result.image.setDevicePixelRatio(dpr);
  form_ = new CaptureForm(owner_.get());
  form_->Show();
  QVERIFY(QTest::qWaitForWindowExposed(form_));
  drag(form_, selection.topLeft(),
       selection.topLeft() + QPoint(selection.width(), selection.height()));
}

void TestCaptureForm::drag(QWidget* on, QPoint from, QPoint to, Qt::MouseButton button) {
  QTest::mousePress(on, button, {}, from);
  QTest::mouseMove(on, (from + to) / 2);
  QTest::mouseMove(on, to);
  QTest::mouseRelease(on, button, {}, to);
}

void TestCaptureForm::toolbarButtonsLeftToRight() {
  open();
  auto strip = form_->Picture1->findChildren<QWidget*>(QRegularExpression("^(Image2|Line)"));
  std::sort(strip.begin(), strip.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
  QStringList order, tips;
  QList<QImage> icons;
  for (QWidget* w : strip) {
    order << w->objectName();
    if (w->objectName().startsWith("Line")) continue;
    tips << w->toolTip();
    QVERIFY2(!icons.contains(w->grab().toImage()),
             qPrintable(w->objectName() + " looks like another"));
    icons << w->grab().toImage();
  }
  QCOMPARE(order.join(' '), QString("Image2(7) Image2(6) Image2(5) Image2(4) Line1 Image2(0) "
                                    "Image2(8) Image2(2) Line2 Image2(3) Image2(1)"));
  QCOMPARE(tips.join(' '),
           QString("添加矩形 添加椎圆 添加文字 添加箭头 撤销 重做 保存 退出截屏 复制退出"));
}

void TestCaptureForm::hoverCursorsAndColourReadout() {
  open();
  // The screen's pixel (x, y) is RGB(x * 7 % 256, y * 13 % 256, (x + y) * 3 % 256).
  QTest::mouseMove(form_, QPoint(150, 150));
  QCOMPARE(cursor_override::current(), std::optional(Qt::SizeAllCursor));
  QCOMPARE(form_->lblInfo->text(), QString("RGB(26,158,132)"));
  QTest::mouseMove(form_, QPoint(10, 20));
  QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
  QCOMPARE(form_->lblInfo->text(), QString("RGB(70,4,90)"));
}

// Below the selection the toolbar lies outside it: a press that fell through
// would cancel the selection. Along the screen's bottom the option panel lies
// inside it: a press that fell through would start a stroke or place text.
void TestCaptureForm::pressesOnTheStripsStayThere_data() {
  QTest::addColumn<QString>("on");
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<int>("tool");  // the tool button Image2(i), or -1
  QTest::addColumn<QRect>("selection");
  const QRect low(100, QGuiApplication::primaryScreen()->geometry().height() - 200, 400, 195);
  QTest::newRow("between two toolbar buttons") << "Picture1" << QPoint(27, 13) << -1 << kSelection;
  QTest::newRow("on a separator") << "Line1" << QPoint(1, 5) << -1 << kSelection;
  QTest::newRow("in the strip's margin") << "Picture1" << QPoint(1, 1) << -1 << kSelection;
  QTest::newRow("on the panel") << "Picture2" << QPoint(2, 2) << 7 << low;
  QTest::newRow("between the swatches") << "PicColor" << QPoint(30, 20) << 7 << low;
  QTest::newRow("on the font-size group") << "PicFont" << QPoint(1, 0) << 5 << low;
}

void TestCaptureForm::pressesOnTheStripsStayThere() {
  QFETCH(QString, on);
  QFETCH(QPoint, at);
  QFETCH(int, tool);
  QFETCH(QRect, selection);
  open(selection);
  if (tool >= 0) click(ToolbarButton(tool));
  const QPoint toolbarAt = form_->Picture1->pos();
  QWidget* target = form_->findChild<QWidget*>(on);
  QVERIFY2(target != nullptr && target->isVisible(), qPrintable(on));
  cursor_override::set(Qt::BusyCursor);
  drag(target, at, at + QPoint(3, 2));
  QCOMPARE(cursor_override::current(), std::optional(Qt::ArrowCursor));  // over the strips
  QCOMPARE(form_->Shape1->geometry(), selection);
  QCOMPARE(form_->Picture1->pos(), toolbarAt);
  QVERIFY(form_->Shape1->isVisible() && form_->Picture1->isVisible() &&
          form_->TextEdit->isHidden());
  QCOMPARE(imageDifference(form_->session().picture(), screen()), QString());
}

void TestCaptureForm::handleDragResizes() {
  open();
  ResizeHandle* corner = form_->Image1[6];
  QTest::mousePress(corner, Qt::LeftButton, {}, QPoint(2, 2));
  QVERIFY(form_->Picture1->isHidden());
  // The pointer travels 40 right and 30 down with the button held.
  const QPoint to(42, 32);
  QMouseEvent move(QEvent::MouseMove, to, corner->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   {});
  QCoreApplication::sendEvent(corner, &move);
  QTest::mouseRelease(corner, Qt::LeftButton, {}, to);
  // The handle's top-left was at the corner less 2, the pointer 2 further in.
  QCOMPARE(form_->Shape1->geometry(), QRect(100, 100, 240, 150));
  QCOMPARE(form_->LblPos->text(), QString("240x150"));
  QCOMPARE(form_->Image1[6]->pos(), QPoint(338, 248));
  QCOMPARE(form_->Image1[2]->pos(), QPoint(337, 98));  // w / 1.5 in from the corner
  QVERIFY(form_->Picture1->isVisible());
  QCOMPARE(cursor_override::current(), std::optional(Qt::SizeFDiagCursor));
}

void TestCaptureForm::previewShowsWhileDraggingOnly() {
  open();
  click(ToolbarButton::Rectangle);
  QTest::mousePress(form_, Qt::LeftButton, {}, QPoint(120, 130));
  QTest::mouseMove(form_, QPoint(250, 200));
  QTest::mouseMove(form_, QPoint(200, 180));
  // The rectangle follows the pointer, nothing is left of the longer one, and
  // the picture itself is untouched.
  const QImage shown = form_->grab().toImage();
  QCOMPARE(shown.pixel(200, 150), qRgb(255, 0, 0));
  QCOMPARE(shown.pixel(250, 150), screen().pixel(250, 150));
  QCOMPARE(imageDifference(form_->session().picture(), screen()), QString());
  QTest::mouseRelease(form_, Qt::LeftButton, {}, QPoint(200, 180));
  QCOMPARE(form_->session().picture().pixel(200, 150), qRgb(255, 0, 0));
}

void TestCaptureForm::undoPastTheFirstSnapshotHidesEverything() {
  open();
  placeText("x");
  click(ToolbarButton::Undo);
  QList<QWidget*> parts{form_->Shape1,   form_->LblPos,   form_->lblInfo,
                        form_->Picture1, form_->Picture2, form_->TextEdit};
  for (ResizeHandle* handle : form_->Image1) parts << handle;
  for (QWidget* part : parts) QVERIFY2(part->isHidden(), qPrintable(part->objectName()));
  drag(form_, QPoint(20, 20), QPoint(80, 80));  // a new selection straight away
  QCOMPARE(form_->Shape1->geometry(), QRect(20, 20, 60, 60));
}

void TestCaptureForm::textAtTheChosenSizeColourAndPlace() {
  open(QRect(100, 100, 400, 250));
  click(ToolbarButton::Text);
  ToolOptionPanel* panel = form_->Picture2;
  QCOMPARE(panel->geometry(), QRect(form_->Picture1->pos() + QPoint(0, 26 + 3), QSize(241, 37)));
  // The drop-down button opens the size list, a click there picks 20.
  QTest::mousePress(panel->PicCombox, Qt::LeftButton);
  QAbstractItemView* list = panel->Combo1->view();
  QTRY_VERIFY(list->isVisible());
  const QModelIndex twenty = panel->Combo1->model()->index(panel->Combo1->findText("20"), 0);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(twenty).center());
  QCOMPARE(panel->Text1->text(), QString("20"));
  QTest::mouseClick(panel->Pcolor[13], Qt::LeftButton);  // blue

  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(150, 150));
  QCOMPARE(form_->TextEdit->geometry().topLeft(), QPoint(150, 150));
  QTest::keyClicks(form_->TextEdit, "HHHH");
  const int wide = form_->TextEdit->width();
  QVERIFY2(wide > 25, qPrintable(QString::number(wide)));
  QTest::keyClick(form_->TextEdit, Qt::Key_Backspace);
  QCOMPARE(form_->TextEdit->width(), wide);  // never narrows
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(20, 20));

  QRect ink;
  const QImage picture = form_->session().picture();
  for (int y = 100; y < 350; ++y)
    for (int x = 100; x < 500; ++x)
      if (picture.pixel(x, y) == qRgb(0, 0, 255)) ink |= QRect(x, y, 1, 1);
  // 20 points are this many pixels; a capital H stands well over half of them.
  const double px = 20 * form_->logicalDpiY() / 72.0;
  const QByteArray box = QString::asprintf("ink (%d,%d) %dx%d for %g px", ink.x(), ink.y(),
                                           ink.width(), ink.height(), px)
                             .toLatin1();
  QVERIFY2(ink.left() >= 150 && ink.left() <= 154 && ink.top() >= 150 && ink.top() <= 150 + px / 2,
           box);
  QVERIFY2(ink.height() >= 0.6 * px && ink.height() <= px && ink.width() > 2 * ink.height(), box);
}

void TestCaptureForm::pendingTextIsCopiedAndSaved_data() {
  QTest::addColumn<bool>("save");
  QTest::newRow("copy and exit") << false;
  QTest::newRow("save") << true;
}

void TestCaptureForm::pendingTextIsCopiedAndSaved() {
  QFETCH(bool, save);
  // What the second click writes...
  open();
  placeText("Hi");
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(20, 20));
  const QImage written = form_->session().picture().copy(kSelection);
  QVERIFY(imageDifference(written, screen(kSelection)) != QString());
  QTest::keyClick(form_, Qt::Key_Escape);
  // ...is what a copy or a save takes before that click.
  open();
  placeText("Hi");
  const QString path = dir_->filePath("shot.png");
  if (save) dialogs_->answerSave(path);
  click(save ? ToolbarButton::Save : ToolbarButton::CopyAndExit);
  QCOMPARE(imageDifference(save ? QImage(path) : QGuiApplication::clipboard()->image(), written),
           QString());
}

void TestCaptureForm::rightButtonStrokeCommitsThenCloses() {
  open();
  click(ToolbarButton::Rectangle);
  drag(form_, QPoint(110, 110), QPoint(150, 150), Qt::RightButton);
  QCOMPARE(form_->session().history().count(), 2);
  QVERIFY(form_->isHidden());
  QTRY_VERIFY(form_.isNull());
}

void TestCaptureForm::waysOut_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<QString>("saveAs");  // empty: no dialog; "-": cancelled
  QTest::addColumn<bool>("onClipboard");
  QTest::addColumn<bool>("saved");
  QTest::newRow("copy and exit") << "Image2(1)"
                                 << "" << true << false;
  QTest::newRow("double-click inside") << "double-click"
                                       << "" << true << false;
  QTest::newRow("save as PNG") << "Image2(2)"
                               << "shot.PNG" << false << true;
  QTest::newRow("save as JPEG") << "Image2(2)"
                                << "shot.jpg" << false << true;
  QTest::newRow("save cancelled") << "Image2(2)"
                                  << "-" << true << false;
  QTest::newRow("save as .jpeg: reported") << "Image2(2)"
                                           << "shot.jpeg" << false << false;
  QTest::newRow("exit capture") << "Image2(3)"
                                << "" << false << false;
  QTest::newRow("Esc") << "Esc"
                       << "" << false << false;
}

void TestCaptureForm::waysOut() {
  QFETCH(QString, how);
  QFETCH(QString, saveAs);
  QFETCH(bool, onClipboard);
  QFETCH(bool, saved);
  const QRect area(50, 60, 70, 40);
  open(area);
  const QString path = dir_->filePath(saveAs);
  if (!saveAs.isEmpty()) dialogs_->answerSave(saveAs == "-" ? std::nullopt : std::optional(path));
  if (how == "double-click") {
    QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(60, 70));
    QTest::mouseDClick(form_, Qt::LeftButton, {}, QPoint(60, 70));
  } else if (how == "Esc") {
    QTest::keyClick(form_, Qt::Key_Escape);
  } else {
    QTest::mouseClick(form_->findChild<QWidget*>(how), Qt::LeftButton);
  }
  QTRY_VERIFY2(form_.isNull(), "the capture window is still there");
  QCOMPARE(
      imageDifference(QGuiApplication::clipboard()->image(), onClipboard ? screen(area) : QImage()),
      QString());
  QCOMPARE(QFileInfo(path).isFile(), saved);
  QCOMPARE(dialogs_->messages().size(), saveAs.endsWith(".jpeg") ? 1 : 0);
  // A PNG keeps every pixel; a JPEG is what the encoder makes at quality 80.
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  if (saveAs.endsWith(".jpg") && buffer.open(QIODevice::WriteOnly) &&
      screen(area).save(&buffer, "JPEG", 80)) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly) && file.readAll() == jpeg, "not JPEG at quality 80");
  }
  if (saveAs.endsWith(".PNG"))
    QCOMPARE(imageDifference(QImage(path, "PNG"), screen(area)), QString());
  if (saveAs.isEmpty()) return;
  const FileDialogRequest& request = dialogs_->fileRequests().value(0);
  QCOMPARE(request.title, QString("保存为"));
  QCOMPARE(request.filter,
           QString("PNG文件(*.PNG)|*.PNG|JPEG文件(*.jpg;*.jpeg)|*.jpg|位图文件(*.bmp)|"
                   "*.bmp|GIF文件(*.gif)|*.gif|TIFF文件(*.TIFF)|*.tiff|所有文件(*.*)|*.*"));
  QCOMPARE(request.defaultExt + QString::number(request.filterIndex), QString("PNG1"));
  QVERIFY2(!request.overwritePrompt && QFileInfo(request.initialDir).isDir(),
           qPrintable(request.initialDir));
}

void TestCaptureForm::highDensityScreenKeepsItsDevicePixels() {
  open(QRect(40, 30, 100, 50), 2.0);
  click(ToolbarButton::CopyAndExit);
  QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), screen(QRect(80, 60, 200, 100))),
           QString());
}

void TestCaptureForm::failedGrabIsReported() {
  screen_.result = ScreenGrab{QImage(), QStringLiteral("无法截取屏幕：测试")};
  form_ = new CaptureForm(owner_.get());
  form_->Show();
  QCOMPARE(dialogs_->messages().value(0).text, QStringLiteral("无法截取屏幕：测试"));
  QTRY_VERIFY(form_.isNull());  // never a black picture
  QCOMPARE(cursor_override::current(), std::nullopt);
}

}  // namespace

QTEST_MAIN(TestCaptureForm)

#include "tst_capture_form.moc"
