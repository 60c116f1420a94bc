#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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

const QRect kSelection(100, 100, 200, 120);

class TestCaptureForm : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void opensOverTheFrozenScreen();
  void toolbarButtonsLeftToRight();
  void hoverCursorsAndColourReadout_data();
  void hoverCursorsAndColourReadout();
  void pressesOnTheStripsStayThere_data();
  void pressesOnTheStripsStayThere();
  void handleDragResizes();
  void previewShowsWhileDraggingOnly();
  void toolButtonsArrangeThePanel();
  void undoPastTheFirstSnapshotHidesEverything();
  void textIsWrittenAtTheChosenSizeColourAndPlace();
  void pendingTextIsCopiedAndSaved_data();
  void pendingTextIsCopiedAndSaved();
  void rightButtonStrokeCommitsThenCloses();
  void waysOut_data();
  void waysOut();
  void highDensityScreenKeepsItsDevicePixels();
  void failedGrabIsReportedInsteadOfABlackPicture();

 private:
  void open(qreal dpr = 1);
  void drag(QWidget* on, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);
  void select(QRect r) { drag(form_, r.topLeft(), r.topLeft() + QPoint(r.width(), r.height())); }
  void click(ToolbarButton button) {
    QTest::mouseClick(form_->Picture1->Image2[buttonIndex(button)], Qt::LeftButton);
  }
  void placeText(const QString& text);
  QImage grabbed(QRect r) const { return screen_.result.image.copy(r); }

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
  dialogs_.reset();
  cursor_override::reset();
}

void TestCaptureForm::open(qreal dpr) {
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  QImage picture = patternImage(qRound(screen.width() * dpr), qRound(screen.height() * dpr));
  picture.setDevicePixelRatio(dpr);
  screen_.result = ScreenGrab{picture, QString()};
  form_ = new CaptureForm(owner_.get());
  form_->Show();
  QVERIFY(QTest::qWaitForWindowExposed(form_));
}

void TestCaptureForm::drag(QWidget* on, QPoint from, QPoint to, Qt::MouseButton button) {
  QTest::mousePress(on, button, {}, from);
  QTest::mouseMove(on, (from + to) / 2);
  QTest::mouseMove(on, to);
  QTest::mouseRelease(on, button, {}, to);
}

// The text tool's first click at (150, 150), then typing.
void TestCaptureForm::placeText(const QString& text) {
  click(ToolbarButton::Text);
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(150, 150));
  QTest::keyClicks(form_->TextEdit, text);
}

void TestCaptureForm::opensOverTheFrozenScreen() {
  open();
  QCOMPARE(form_->geometry(), QGuiApplication::primaryScreen()->geometry());
  QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
  for (QWidget* part : QList<QWidget*>{form_->Shape1, form_->LblPos, form_->lblInfo,
                                       form_->Picture1, form_->Picture2})
    QVERIFY2(part->isHidden(), qPrintable(part->objectName()));
  const QRect area(10, 10, 50, 40);
  QCOMPARE(imageDifference(form_->grab(area).toImage(), grabbed(area)), QString());
}

void TestCaptureForm::toolbarButtonsLeftToRight() {
  open();
  select(kSelection);
  QList<QWidget*> strip =
      form_->Picture1->findChildren<QWidget*>(QRegularExpression("^(Image2|Line)"));
  std::sort(strip.begin(), strip.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
  QStringList order, tips;
  QList<QImage> icons;
  for (QWidget* w : strip) {
    order << w->objectName();
    if (w->objectName().startsWith("Line")) continue;
    tips << w->toolTip();
    const QImage icon = w->grab().toImage();
    QVERIFY2(!icons.contains(icon), qPrintable(w->objectName() + " looks like another button"));
    icons << icon;
  }
  QCOMPARE(order.join(' '), QString("Image2(7) Image2(6) Image2(5) Image2(4) Line1 Image2(0) "
                                    "Image2(8) Image2(2) Line2 Image2(3) Image2(1)"));
  QCOMPARE(tips.join(' '),
           QString("添加矩形 添加椎圆 添加文字 添加箭头 撤销 重做 保存 退出截屏 复制退出"));
}

void TestCaptureForm::hoverCursorsAndColourReadout_data() {
  QTest::addColumn<QString>("over");
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<bool>("tool");
  QTest::addColumn<Qt::CursorShape>("cursor");
  QTest::addColumn<QString>("readout");
  // The screen's pixel (x, y) is RGB(x * 7 % 256, y * 13 % 256, (x + y) * 3 % 256).
  QTest::newRow("inside the selection")
      << "CaptureForm" << QPoint(150, 150) << false << Qt::SizeAllCursor << "RGB(26,158,132)";
  QTest::newRow("outside it") << "CaptureForm" << QPoint(10, 20) << false << Qt::CrossCursor
                              << "RGB(70,4,90)";
  QTest::newRow("between two toolbar buttons")
      << "Picture1" << QPoint(27, 13) << false << Qt::ArrowCursor << "";
  QTest::newRow("on a toolbar button")
      << "Image2(4)" << QPoint(9, 9) << false << Qt::ArrowCursor << "";
  QTest::newRow("on the option panel")
      << "Picture2" << QPoint(2, 2) << true << Qt::ArrowCursor << "";
}

void TestCaptureForm::hoverCursorsAndColourReadout() {
  QFETCH(QString, over);
  QFETCH(QPoint, at);
  QFETCH(bool, tool);
  QFETCH(Qt::CursorShape, cursor);
  QFETCH(QString, readout);
  open();
  select(kSelection);
  if (tool) click(ToolbarButton::Arrow);
  cursor_override::set(Qt::BusyCursor);
  QWidget* target = over == "CaptureForm" ? form_ : form_->findChild<QWidget*>(over);
  QVERIFY2(target != nullptr && target->isVisible(), qPrintable(over));
  QTest::mouseMove(target, at);
  QCOMPARE(cursor_override::current(), std::optional(cursor));
  if (!readout.isEmpty()) QCOMPARE(form_->lblInfo->text(), readout);
}

void TestCaptureForm::pressesOnTheStripsStayThere_data() {
  QTest::addColumn<QString>("on");
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<int>("tool");  // -1: none
  QTest::addColumn<QRect>("selection");
  // Below the selection the toolbar is outside it, and a press that fell
  // through would cancel the selection; along the screen's bottom the option
  // panel lies inside it, and a press that fell through would start a stroke.
  const int h = QGuiApplication::primaryScreen()->geometry().height();
  const QRect low(100, h - 200, 400, 195);
  QTest::newRow("between two toolbar buttons") << "Picture1" << QPoint(27, 13) << -1 << kSelection;
  QTest::newRow("on a separator") << "Line1" << QPoint(1, 5) << -1 << kSelection;
  QTest::newRow("in the strip's margin") << "Picture1" << QPoint(1, 1) << -1 << kSelection;
  QTest::newRow("on the panel's background")
      << "Picture2" << QPoint(2, 2) << buttonIndex(ToolbarButton::Rectangle) << low;
  QTest::newRow("between the swatches")
      << "PicColor" << QPoint(30, 20) << buttonIndex(ToolbarButton::Rectangle) << low;
  QTest::newRow("on the font-size group")
      << "PicFont" << QPoint(1, 0) << buttonIndex(ToolbarButton::Text) << low;
}

void TestCaptureForm::pressesOnTheStripsStayThere() {
  QFETCH(QString, on);
  QFETCH(QPoint, at);
  QFETCH(int, tool);
  QFETCH(QRect, selection);
  open();
  select(selection);
  if (tool >= 0) click(ToolbarButton(tool));
  const QPoint toolbarAt = form_->Picture1->pos();
  QWidget* target = form_->findChild<QWidget*>(on);
  QVERIFY2(target != nullptr && target->isVisible(), qPrintable(on));
  drag(target, at, at + QPoint(3, 2));
  QCOMPARE(form_->Shape1->geometry(), selection);
  QVERIFY(form_->Shape1->isVisible());
  QCOMPARE(form_->Picture1->pos(), toolbarAt);
  QVERIFY(form_->Picture1->isVisible());
  QCOMPARE(form_->session().history().count(), 1);
  QVERIFY2(form_->TextEdit->isHidden(), "a text box was placed");
  QCOMPARE(imageDifference(form_->session().picture(), screen_.result.image), QString());
}

void TestCaptureForm::handleDragResizes() {
  open();
  select(kSelection);
  ResizeHandle* corner = form_->Image1[6];
  const QPoint grabPoint(2, 2), travel(40, 30);
  QTest::mousePress(corner, Qt::LeftButton, {}, grabPoint);
  QVERIFY(form_->Picture1->isHidden());
  // The pointer travels 40 right and 30 down with the button held.
  QMouseEvent move(QEvent::MouseMove, QPointF(grabPoint + travel),
                   corner->mapToGlobal(QPointF(grabPoint + travel)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(corner, &move);
  QTest::mouseRelease(corner, Qt::LeftButton, {}, grabPoint + travel);
  // The handle's top-left was at the corner less 2; the pointer 2 further in.
  QCOMPARE(form_->Shape1->geometry(), QRect(100, 100, 240, 150));
  QCOMPARE(form_->LblPos->text(), QString("240x150"));
  QCOMPARE(form_->Image1[6]->pos(), QPoint(338, 248));
  QVERIFY(form_->Picture1->isVisible());
  QCOMPARE(cursor_override::current(), std::optional(Qt::SizeFDiagCursor));
}

void TestCaptureForm::previewShowsWhileDraggingOnly() {
  open();
  select(kSelection);
  click(ToolbarButton::Rectangle);
  QTest::mousePress(form_, Qt::LeftButton, {}, QPoint(120, 130));
  QTest::mouseMove(form_, QPoint(250, 200));
  QTest::mouseMove(form_, QPoint(200, 180));
  // On screen the rectangle follows the pointer, and nothing is left of the
  // longer one; the picture itself is untouched.
  const QImage shown = form_->grab().toImage();
  QCOMPARE(shown.pixel(200, 150), qRgb(255, 0, 0));
  QCOMPARE(shown.pixel(250, 150), screen_.result.image.pixel(250, 150));
  QCOMPARE(imageDifference(form_->session().picture(), screen_.result.image), QString());
  QTest::mouseRelease(form_, Qt::LeftButton, {}, QPoint(200, 180));
  QCOMPARE(form_->session().picture().pixel(200, 150), qRgb(255, 0, 0));
}

void TestCaptureForm::toolButtonsArrangeThePanel() {
  open();
  select(kSelection);
  ToolOptionPanel* panel = form_->Picture2;
  click(ToolbarButton::Text);
  QVERIFY(panel->PicFont->isVisible());
  QCOMPARE(panel->geometry(), QRect(form_->Picture1->pos() + QPoint(0, 26 + 3), QSize(241, 37)));
  click(ToolbarButton::Ellipse);
  QVERIFY(panel->PicFont->isHidden());
  QCOMPARE(panel->width(), 241 - 73 - 2);
  QCOMPARE(panel->PicColor->x(), panel->PicFont->x());
  click(ToolbarButton::Ellipse);
  QVERIFY(panel->isHidden());
  QCOMPARE(form_->session().tool(), std::optional(ToolbarButton::Ellipse));
}

void TestCaptureForm::undoPastTheFirstSnapshotHidesEverything() {
  open();
  select(kSelection);
  placeText("x");
  click(ToolbarButton::Undo);
  QList<QWidget*> parts{form_->Shape1,   form_->LblPos,   form_->lblInfo,
                        form_->Picture1, form_->Picture2, form_->TextEdit};
  for (ResizeHandle* handle : form_->Image1) parts << handle;
  for (QWidget* part : parts) QVERIFY2(part->isHidden(), qPrintable(part->objectName()));
  // A new selection is drawn straight away.
  select(QRect(20, 20, 60, 60));
  QCOMPARE(form_->Shape1->geometry(), QRect(20, 20, 60, 60));
}

void TestCaptureForm::textIsWrittenAtTheChosenSizeColourAndPlace() {
  open();
  select(QRect(100, 100, 400, 250));
  click(ToolbarButton::Text);
  ToolOptionPanel* panel = form_->Picture2;
  // The size from the list: the drop-down button opens it, a click picks 20.
  QTest::mousePress(panel->PicCombox, Qt::LeftButton);
  QAbstractItemView* list = panel->Combo1->view();
  QTRY_VERIFY(list->isVisible());
  const QModelIndex twenty = panel->Combo1->model()->index(panel->Combo1->findText("20"), 0);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(twenty).center());
  QCOMPARE(panel->Text1->text(), QString("20"));
  QTest::mouseClick(panel->Pcolor[13], Qt::LeftButton);  // blue

  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(150, 150));
  QCOMPARE(form_->TextEdit->geometry().topLeft(), QPoint(150, 150));
  QCOMPARE(form_->TextEdit->width(), 25);
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
  const double pixels = 20 * form_->logicalDpiY() / 72.0;
  const QString box = QStringLiteral("ink (%1,%2) %3x%4 for %5 px")
                          .arg(ink.x())
                          .arg(ink.y())
                          .arg(ink.width())
                          .arg(ink.height())
                          .arg(pixels);
  QVERIFY2(
      ink.left() >= 150 && ink.left() <= 154 && ink.top() >= 150 && ink.top() <= 150 + pixels / 2,
      qPrintable(box));
  QVERIFY2(ink.height() >= 0.6 * pixels && ink.height() <= pixels, qPrintable(box));
  QVERIFY2(ink.width() > 2 * ink.height(), qPrintable(box));  // three letters side by side
}

void TestCaptureForm::pendingTextIsCopiedAndSaved_data() {
  QTest::addColumn<bool>("save");
  QTest::newRow("copy and exit") << false;
  QTest::newRow("save") << true;
}

void TestCaptureForm::pendingTextIsCopiedAndSaved() {
  QFETCH(bool, save);
  const QRect area(100, 100, 300, 200);
  // What the second click writes.
  open();
  select(area);
  placeText("Hi");
  QTest::mouseClick(form_, Qt::LeftButton, {}, QPoint(20, 20));
  const QImage expected = form_->session().picture().copy(area);
  QVERIFY(imageDifference(expected, grabbed(area)) != QString());
  QTest::keyClick(form_, Qt::Key_Escape);

  // The same text, copied or saved before that click.
  open();
  select(area);
  placeText("Hi");
  const QString path = dir_->filePath("shot.png");
  if (save) dialogs_->answerSave(path);
  click(save ? ToolbarButton::Save : ToolbarButton::CopyAndExit);
  QCOMPARE(imageDifference(save ? QImage(path) : QGuiApplication::clipboard()->image(), expected),
           QString());
}

void TestCaptureForm::rightButtonStrokeCommitsThenCloses() {
  open();
  select(kSelection);
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
  QTest::addColumn<QByteArray>("format");  // of the saved file
  QTest::newRow("copy and exit") << "Image2(1)"
                                 << "" << true << QByteArray();
  QTest::newRow("double-click inside") << "double-click"
                                       << "" << true << QByteArray();
  QTest::newRow("save as PNG") << "Image2(2)"
                               << "shot.PNG" << false << QByteArray("png");
  QTest::newRow("save as BMP") << "Image2(2)"
                               << "shot.bmp" << false << QByteArray("bmp");
  QTest::newRow("save as JPEG, quality 80") << "Image2(2)"
                                            << "shot.jpg" << false << QByteArray("jpeg");
  QTest::newRow("save cancelled") << "Image2(2)"
                                  << "-" << true << QByteArray();
  QTest::newRow("save as .jpeg: reported") << "Image2(2)"
                                           << "shot.jpeg" << false << QByteArray();
  QTest::newRow("exit capture") << "Image2(3)"
                                << "" << false << QByteArray();
  QTest::newRow("Esc") << "Esc"
                       << "" << false << QByteArray();
}

void TestCaptureForm::waysOut() {
  QFETCH(QString, how);
  QFETCH(QString, saveAs);
  QFETCH(bool, onClipboard);
  QFETCH(QByteArray, format);
  const QRect area(50, 60, 70, 40);
  open();
  select(area);
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
  const QImage clipboard = QGuiApplication::clipboard()->image();
  QCOMPARE(imageDifference(clipboard, onClipboard ? grabbed(area) : QImage()), QString());
  if (!saveAs.isEmpty()) QCOMPARE(QFileInfo::exists(path), !format.isEmpty());
  if (format == "jpeg") {
    // Quality 80: the very bytes the encoder gives at that quality.
    QByteArray at80;
    QBuffer buffer(&at80);
    buffer.open(QIODevice::WriteOnly);
    grabbed(area).save(&buffer, "JPEG", 80);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll() == at80, "not JPEG quality 80");
  } else if (!format.isEmpty()) {
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(imageDifference(reader.read(), grabbed(area)), QString());
  }
  QCOMPARE(dialogs_->messages().size(), saveAs.endsWith(".jpeg") ? 1 : 0);
  if (saveAs.isEmpty()) return;
  const FileDialogRequest& request = dialogs_->fileRequests().value(0);
  QCOMPARE(request.title, QString("保存为"));
  QCOMPARE(request.filter,
           QString("PNG文件(*.PNG)|*.PNG|JPEG文件(*.jpg;*.jpeg)|*.jpg|位图文件(*.bmp)|"
                   "*.bmp|GIF文件(*.gif)|*.gif|TIFF文件(*.TIFF)|*.tiff|所有文件(*.*)|*.*"));
  QCOMPARE(request.defaultExt, QString("PNG"));
  QCOMPARE(request.filterIndex, 1);
  QVERIFY2(!request.overwritePrompt && QFileInfo(request.initialDir).isDir(),
           qPrintable(request.initialDir));
}

void TestCaptureForm::highDensityScreenKeepsItsDevicePixels() {
  open(2.0);
  select(QRect(40, 30, 100, 50));
  click(ToolbarButton::CopyAndExit);
  QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(),
                           screen_.result.image.copy(80, 60, 200, 100)),
           QString());
}

void TestCaptureForm::failedGrabIsReportedInsteadOfABlackPicture() {
  screen_.result = ScreenGrab{QImage(), QStringLiteral("无法截取屏幕：测试")};
  form_ = new CaptureForm(owner_.get());
  form_->Show();
  QCOMPARE(dialogs_->messages().size(), 1);
  QCOMPARE(dialogs_->messages()[0].text, QStringLiteral("无法截取屏幕：测试"));
  QTRY_VERIFY(form_.isNull());
  QCOMPARE(cursor_override::current(), std::nullopt);
}

}  // namespace

QTEST_MAIN(TestCaptureForm)

#include "tst_capture_form.moc"
