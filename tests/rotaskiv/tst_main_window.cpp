#include <sys/stat.h>

#include <QtTest>

#include <QtWidgets>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "rotaskiv/main_window.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_helpers.h"

// The real kernel, with every call's arguments kept for inspection.
struct RecordingRotator : RotateLibrary {
  RecordingRotator(QList<RotateArguments>* calls, QString path = QString())
      : RotateLibrary(std::move(path)), calls(calls) {}
  bool rotate(Surface* dst, Surface* src, const RotateArguments& args) override {
    calls->append(args);
    return RotateLibrary::rotate(dst, src, args);
  }
  QList<RotateArguments>* calls;
};

// A control's name, its rectangle in its parent (a label's top-left only), and
// its caption or, for a bar, its range, start value and steps.
using Control = std::tuple<QString, QRect, QString>;

class TestMainWindow : public WindowTest {
  Q_OBJECT

  std::unique_ptr<Form1> form_;
  QList<RotateArguments> calls_;

  // The window's state as "key=value" entries, paths relative to the test's folder.
  QStringList describe() const {
    const auto size = [](QSize s) {
      return s.isEmpty() ? "none" : QString::asprintf("%dx%d", s.width(), s.height());
    };
    const auto name = [](ColourRef c) {
      return colour::isSystemColour(c) ? "face" : colour::toQColor(c).name();
    };
    const RotateArguments& a = calls_.constLast();
    return {
        QString::asprintf("draws=%d", int(calls_.size())),
        "path=" + QDir(dir_->path()).relativeFilePath(form_->Text1->text()),
        "S=" + size(form_->S->size()) + (form_->S->isVisible() ? " shown" : ""),
        "bg=" + size(form_->Picture2->Picture().size()),
        "back=" + name(form_->Picture2->BackColor()),
        "mask=" + name(form_->Command2->BackColor()),
        QString::asprintf("messages=%d", int(dialogs_->messages().size())),
        QString::asprintf("angle=%g zoom=%g alpha=%g", a.angle, a.zoom, a.alpha),
        QString::asprintf("hue=%g saturation=%g threshold=%g", a.hue, a.saturation, a.threshold),
        "readouts=" + form_->Label2[0]->text() + form_->Label2[1]->text() +
            form_->Label2[2]->text()};
  }

 private slots:
  void init() {
    startWindowTest();
    calls_.clear();
    form_ = std::make_unique<Form1>(std::make_unique<RecordingRotator>(&calls_));
    QVERIFY(exposed(form_.get()));
  }

  void cleanup() { endWindowTest(form_); }

  void startScene() {
    QCOMPARE(describe().join(' '),
             QString("draws=1 path= S=320x240 bg=800x600 back=face mask=#ffffff messages=0 "
                     "angle=6.2832 zoom=1 alpha=1 hue=0 saturation=1 threshold=1 readouts="));
    // The colours drawn above the panel and in it, between its buttons.
    const QImage drawn = onScreen(form_.get());
    QCOMPARE(form_->windowTitle() + QString::asprintf(" %dx%d ", form_->width(), form_->height()) +
                 QColor(drawn.pixel(400, 0)).name() + QColor(drawn.pixel(700, 52)).name(),
             "Rotaskiv2.0 753x702 #38a0f5#38a0f5");
    // Pixel for pixel, centred on the display's 753 x 605 halved, a half to the
    // even neighbour (376, 302): the sample where it is not white, the
    // background where it is.
    const QImage sample(":/assets/sample.png"), display = form_->Picture2->Image(),
                                                backdrop = form_->Picture2->Picture();
    for (int y = 0; y < 240; y += 3)
      for (int x = 0; x < 320; x += 3) {
        const QRgb pixel = sample.pixel(x, y), shown = display.pixel(216 + x, 182 + y);
        QCOMPARE(shown, (pixel & 0xFFFFFF) == 0xFFFFFF ? backdrop.pixel(216 + x, 182 + y) : pixel);
      }
    // At a tenth of its size, the background shows again where the sample's top was.
    QTest::keyClick(form_->HScroll2, Qt::Key_Home);
    const QRect top(216, 182, 320, 100);
    QCOMPARE(imageDifference(form_->Picture2->Image().copy(top), backdrop.copy(top)), QString());
  }

  // Every control where the window's layout puts it, in its parent (the
  // panel Frame1 for the rows inside it); the labels by their top-left only.
  // A caption, or for the six bars: range, start value, and a step of 1 by
  // arrow and by track.
  // clang-format off
  void layout_data() {
    QTest::addColumn<Control>("row");
    const QList<Control> controls{
        {"Frame1", {0, 2, 753, 95}, ""}, {"Picture2", {0, 98, 753, 605}, ""},
        {"vScroll1", {62, 10, 193, 18}, "0-360 0 1/1"}, {"HScroll1", {62, 30, 193, 18}, "0-100 100 1/1"},
        {"HScroll2", {62, 50, 193, 18}, "20-400 200 1/1"},
        {"Label4", {12, 16, 0, 0}, "角度"}, {"Label5", {12, 36, 0, 0}, "透明度"}, {"Label6", {12, 52, 0, 0}, "缩放"},
        {"HScroll3(0)", {308, 10, 193, 18}, "0-360 0 1/1"}, {"HScroll3(1)", {308, 30, 193, 18}, "0-200 100 1/1"},
        {"HScroll3(2)", {308, 50, 193, 18}, "0-200 100 1/1"},
        {"Label7", {270, 14, 0, 0}, "色度"}, {"Label8", {270, 34, 0, 0}, "饱和度"}, {"Label9", {270, 52, 0, 0}, "阀值"},
        {"Label2(0)", {510, 12, 25, 16}, ""}, {"Label2(1)", {510, 30, 25, 16}, ""}, {"Label2(2)", {510, 50, 25, 16}, ""},
        {"Label1", {12, 72, 51, 19}, "图片地址"}, {"Text1", {62, 70, 473, 21}, ""},
        {"Command3", {542, 14, 67, 23}, "复位"}, {"Command2", {542, 40, 67, 23}, "屏蔽色"},
        {"Command1", {542, 68, 67, 23}, "导入图片"}, {"Command5", {612, 14, 67, 23}, "背景色"},
        {"Command4", {612, 68, 67, 23}, "剪裁保存"}, {"Command6", {682, 14, 67, 23}, "背景图片"},
        {"Command7", {682, 68, 67, 23}, "清 除"}};
    for (const auto& [name, rect, caption] : controls)
      QTest::newRow(qPrintable(name)) << Control{name, rect, caption};
  }
  // clang-format on

  void layout() {
    QFETCH(Control, row);
    const auto& [name, expected, caption] = row;
    const QWidget* control = form_->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(expected.isEmpty() ? QRect(control->pos(), QSize(0, 0)) : control->geometry(),
             expected);
    const auto* bar = qobject_cast<const QScrollBar*>(control);
    QCOMPARE(bar != nullptr ? QString::asprintf("%d-%d %d %d/%d", bar->minimum(), bar->maximum(),
                                                bar->value(), bar->singleStep(), bar->pageStep())
                            : control->property("text").toString(),
             caption);
    QVERIFY(bar == nullptr || bar->orientation() == Qt::Horizontal);
  }

  // Each row plays user actions on the start-up window and lists the entries
  // of describe() that changed. open=NAME / open=- answers the next open
  // dialog (a file of the test's folder, or cancel), colour=#rrggbb / colour=-
  // the next colour dialog; a control's name clicks it, right:NAME right-clicks
  // it; End:BAR and Home:BAR press that key on a bar, BAR=N sets it to N (as
  // its thumb dragged there would); display@X,Y clicks the
  // display; drop=A,B drops files of the test's folder or web addresses on the
  // path box, droptext=T drops text. pattern.png is a 64 x 48 picture,
  // broken.bmp none, and a dropped file is a 30 x 20 picture whatever its name
  // but that one.
  // clang-format off
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("changed");
    QTest::newRow("import") << "open=pattern.png Command1" << "draws=2 path=pattern.png S=64x48";
    QTest::newRow("background picture") << "open=pattern.png Command6" << "draws=2 path=pattern.png bg=64x48";
    QTest::newRow("a file that is not there") << "open=nowhere.bmp Command1" << "path=nowhere.bmp";
    QTest::newRow("not a picture") << "open=broken.bmp Command6" << "path=broken.bmp messages=1";
    QTest::newRow("a pipe") << "open=pipe Command1" << "path=pipe messages=1";
    QTest::newRow("a cancel loads nothing") << "open=pattern.png Command1 open=- Command1 open=- Command6" << "draws=2 path=pattern.png S=64x48";
    QTest::newRow("cancelled colours") << "colour=- Command5 colour=- Command2" << "";
    QTest::newRow("clear: no draw") << "Command7" << "bg=none";
    QTest::newRow("mask colour") << "colour=#0a141e Command2" << "draws=2 mask=#0a141e";
    QTest::newRow("no mask: right click") << "right:Command2" << "draws=2 mask=face";
    QTest::newRow("mask from the display") << "colour=#123456 Command5 Command7 display@20,20" << "draws=2 bg=none back=#123456 mask=#123456";
    QTest::newRow("angle 359") << "vScroll1=359" << "draws=2 angle=0.0007 zoom=1 alpha=1";
    QTest::newRow("angle at 360") << "End:vScroll1" << "draws=2 angle=-0.0168 zoom=1 alpha=1";
    QTest::newRow("zoom at 20") << "Home:HScroll2" << "draws=2 angle=6.2832 zoom=0.1 alpha=1";
    QTest::newRow("hue at 360") << "End:HScroll3(0)" << "draws=2 hue=1 saturation=1 threshold=1 readouts=360";
    QTest::newRow("factors") << "HScroll2=123 HScroll1=37 HScroll3(0)=120 HScroll3(1)=200 HScroll3(2)=199" << "draws=6 angle=6.2832 zoom=0.615 alpha=0.37 hue=0.333333 saturation=2 threshold=1.99 readouts=120200199";
    QTest::newRow("reset: a draw per bar moved") << "End:vScroll1 End:HScroll3(1) End:HScroll2 Command3" << "draws=7 readouts=100";
    QTest::newRow("drop JPG") << "drop=b.JPG" << "draws=2 path=b.JPG S=30x20";
    QTest::newRow("drop a name ending in bmp") << "drop=picturebmp" << "draws=2 path=picturebmp S=30x20";
    QTest::newRow("drop jpeg: refused") << "drop=d.jpeg" << "";
    QTest::newRow("drop a broken bitmap") << "drop=broken.bmp" << "path=broken.bmp messages=1";
    QTest::newRow("drop a web address and a file") << "drop=https://example.org/a.bmp,a.bmp" << "draws=2 path=a.bmp S=30x20";
    QTest::newRow("drop text") << "droptext=x.bmp" << "";
  }
  // clang-format on

  void scripts() {
    QFETCH(QString, script);
    QVERIFY(patternImage(64, 48).save(dir_->filePath("pattern.png")));
    QVERIFY(written(dir_->filePath("broken.bmp"), "BM, but no picture"));
    QCOMPARE(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    const QStringList start = describe();
    for (const QString& action : script.split(' ')) {
      const QString value = action.section(QRegularExpression("[=:@]"), 1);
      QWidget* control = form_->findChild<QWidget*>(value.isEmpty() ? action : value);
      const QStringList xy = value.split(',');
      if (action.startsWith("open="))
        dialogs_->answerOpen(value == "-" ? std::nullopt : std::optional(dir_->filePath(value)));
      if (action.startsWith("colour="))
        dialogs_->answerColour(value == "-" ? std::nullopt : std::optional(QColor(value)));
      if (action.startsWith("Command") || action.startsWith("right:"))
        QTest::mouseClick(control, action.startsWith("right:") ? Qt::RightButton : Qt::LeftButton);
      waitForPictures();
      if (action.contains(QRegularExpression("Scroll.*=")))
        form_->findChild<QScrollBar*>(action.section('=', 0, 0))->setValue(value.toInt());
      if (action.startsWith("End:") || action.startsWith("Home:"))
        QTest::keyClick(control, action.startsWith("End") ? Qt::Key_End : Qt::Key_Home);
      if (action.startsWith("display@"))
        QTest::mouseClick(
            form_->Picture2, Qt::LeftButton, {},
            QPoint(xy[0].toInt(), xy[1].toInt()) + form_->Picture2->contentsRect().topLeft());
      if (!action.startsWith("drop")) continue;
      QMimeData data;
      QList<QUrl> urls;
      for (const QString& name : xy) {
        const bool web = name.startsWith("https:");
        QVERIFY(web || name == "broken.bmp" || patternImage(30, 20).save(path(name), "BMP"));
        urls << (web ? QUrl(name) : QUrl::fromLocalFile(path(name)));
      }
      action.startsWith("droptext=") ? data.setText(value) : data.setUrls(urls);
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(form_->Text1, &enter);
      QDropEvent drop(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      const QString pathBefore = form_->Text1->text();
      QCoreApplication::sendEvent(form_->Text1, &drop);
      waitForPictures();
      // Taken when the box takes it.
      QCOMPARE(drop.isAccepted(), form_->Text1->text() != pathBefore);
    }
    // Every kind the loader opens, PNG and JPEG too, comes first; then the usual choices.
    for (const FileDialogRequest& asked : dialogs_->fileRequests())
      QVERIFY2(asked.filter.startsWith("所支持的图片|*.bmp;*.dib;*.gif;*.jpg;*.jpeg;*.png;") &&
                   asked.filter.endsWith("|Bitmaps|*.bmp;*.dib|JPEG Images|*.jpg|Metafiles|"
                                         "*.wmf;*.emf|Icons|*.ico;*.cur|所有文件|*.*"),
               qPrintable(asked.filter));
    QStringList now = describe();
    now.removeIf([&](const QString& entry) { return start.contains(entry); });
    QTEST(now.join(' '), "changed");
  }

  void missingLibraryIsReportedOnce() {
    form_ = std::make_unique<Form1>(
        std::make_unique<RecordingRotator>(&calls_, path("nowhere/rotate")));
    form_->show();
    QCOMPARE(dialogs_->messages().size(), 1);
    QVERIFY2(dialogs_->messages()[0].text.contains("rotate"),
             qPrintable(dialogs_->messages()[0].text));
    // The display shows just its background, and the program goes on.
    QCOMPARE(form_->Picture2->Image().pixel(376, 302), form_->Picture2->Picture().pixel(376, 302));
    QTest::keyClick(form_->vScroll1, Qt::Key_End);
    QCOMPARE(dialogs_->messages().size(), 1);
  }

  void captureWindowGoesWithTheMainWindow() {
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    QPointer<CaptureForm> capture = form_->captureForm();
    QVERIFY(capture != nullptr && capture->isVisible());
    QTest::keyClick(form_->HScroll2, Qt::Key_Home);  // the main window stays usable beside it
    QVERIFY(calls_.size() == 2 && form_->close());
    QTRY_VERIFY(capture.isNull());
  }
};

QTEST_MAIN(TestMainWindow)

#include "tst_main_window.moc"
