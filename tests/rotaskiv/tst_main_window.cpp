#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "rotaskiv/main_window.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// The real kernel, with every call's arguments kept for inspection.
class RecordingRotator : public RotateLibrary {
 public:
  explicit RecordingRotator(QList<RotateArguments>* calls, QString path = QString())
      : RotateLibrary(std::move(path)), calls_(calls) {}
  bool rotate(Surface* dst, Surface* src, const RotateArguments& args) override {
    calls_->append(args);
    return RotateLibrary::rotate(dst, src, args);
  }

 private:
  QList<RotateArguments>* calls_;
};

QString size(QSize s) {
  return s.isEmpty() ? "none" : QString::asprintf("%dx%d", s.width(), s.height());
}
QString colourName(ColourRef c) {
  return colour::isSystemColour(c) ? "face" : colour::toQColor(c).name();
}

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void startSceneAndAnImportedPicture();
  void layout();
  void scripts_data();
  void scripts();
  void missingLibraryIsReportedOnce();
  void captureWindowGoesWithTheMainWindow();

 private:
  QStringList describe() const;

  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<Form1> form_;
  QList<RotateArguments> calls_;
  std::unique_ptr<QTemporaryDir> dir_;
};

void TestMainWindow::init() {
  dialogs_ = std::make_unique<ScriptedDialogs>();
  dir_ = std::make_unique<QTemporaryDir>();
  calls_.clear();
  form_ = std::make_unique<Form1>(std::make_unique<RecordingRotator>(&calls_));
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestMainWindow::cleanup() {
  QVERIFY2(dialogs_->unexpected().isEmpty(), qPrintable(dialogs_->unexpected().join(", ")));
  QCOMPARE(dialogs_->unusedAnswers(), 0);
  form_.reset();
  dialogs_.reset();  // uninstalls itself: before the next test installs its own
}

// The window's state as "key=value" entries, the paths relative to the test's folder.
QStringList TestMainWindow::describe() const {
  const RotateArguments& a = calls_.constLast();
  return {
      QString::asprintf("draws=%d", int(calls_.size())),
      "path=" + QDir(dir_->path()).relativeFilePath(form_->Text1->text()),
      "S=" + size(form_->S->size()),
      "bg=" + size(form_->Picture2->Picture().size()),
      "back=" + colourName(form_->Picture2->BackColor()),
      "mask=" + colourName(form_->Command2->BackColor()),
      QString::asprintf("messages=%d", int(dialogs_->messages().size())),
      QString::asprintf("angle=%g zoom=%g alpha=%g", a.angle, a.zoom, a.alpha),
      QString::asprintf("hue=%g saturation=%g threshold=%g", a.hue, a.saturation, a.threshold),
      "readouts=" + form_->Label2[0]->text() + form_->Label2[1]->text() + form_->Label2[2]->text()};
}

void TestMainWindow::startSceneAndAnImportedPicture() {
  QCOMPARE(
      describe().join(' '),
      QString("draws=1 path= S=320x240 bg=800x600 back=face mask=#ffffff messages=0 angle=6.2832 "
              "zoom=1 alpha=1 hue=0 saturation=1 threshold=1 readouts="));
  QCOMPARE(QPoint(calls_[0].cx, calls_[0].cy), QPoint(376, 302));
  QCOMPARE(QSize(calls_[0].sw, calls_[0].sh), QSize(320, 240));
  // Pixel for pixel: the sample where it is not white, the background where it is.
  const QImage sample(":/assets/sample.png"), display = form_->Picture2->Image();
  const QImage background = form_->Picture2->Picture();
  for (int y = 0; y < 240; y += 3)
    for (int x = 0; x < 320; x += 3) {
      const QPoint at = QPoint(376 - 160 + x, 302 - 120 + y);
      const QRgb pixel = sample.pixel(x, y);
      QCOMPARE(display.pixel(at), (pixel & 0xFFFFFF) == 0xFFFFFF ? background.pixel(at) : pixel);
    }
  // An imported picture takes its place, centred.
  QVERIFY(patternImage(64, 48).save(dir_->filePath("p.png")));
  dialogs_->answerOpen(dir_->filePath("p.png"));
  QTest::mouseClick(form_->Command1, Qt::LeftButton);
  QCOMPARE(imageDifference(form_->Picture2->Image().copy(376 - 32, 302 - 24, 64, 48),
                           patternImage(64, 48)),
           QString());
  QCOMPARE(dialogs_->fileRequests()[0].filter,
           QString("所支持的图片|*.bmp;*.dib;*.gif;*.jpg;*.wmf;*.emf;*.ico;*.cur|Bitmaps|*.bmp;"
                   "*.dib|JPEG Images|*.jpg|Metafiles|*.wmf;*.emf|Icons|*.ico;*.cur"));
}

void TestMainWindow::layout() {
  QCOMPARE(form_->windowTitle(), QString("Rotaskiv2.0"));
  QCOMPARE(form_->size(), QSize(753, 702));
  QCOMPARE(form_->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
           Qt::WindowFlags());
  const QList<std::pair<QString, QRect>> controls{
      {"Frame1", {0, 2, 753, 95}},         {"vScroll1", {62, 10, 193, 18}},
      {"HScroll3(2)", {308, 50, 193, 18}}, {"Label2(1)", {510, 30, 25, 16}},
      {"Text1", {62, 70, 473, 21}},        {"Command2", {542, 40, 67, 23}},
      {"Command7", {682, 68, 67, 23}},     {"Picture2", {0, 98, 753, 605}}};
  for (const auto& [name, geometry] : controls)
    QCOMPARE(form_->findChild<QWidget*>(name)->geometry(), geometry);
  QStringList captions{form_->Label1->text()};
  for (FaceButton* button : form_->Frame1->findChildren<FaceButton*>()) captions << button->text();
  QCOMPARE(captions.join(' '),
           QString("图片地址 复位 屏蔽色 导入图片 背景色 剪裁保存 背景图片 清 除"));
}

// Each row plays a script of user actions on the start-up window and names
// what changed: the entries of describe() that differ from the start.
// open=NAME / open=- answers the next open dialog (a file of the test's
// folder, or cancel); colour=#rrggbb / colour=- the next colour dialog; a
// control's name clicks it, right:NAME right-clicks it; End:BAR and Home:BAR
// press that key on a bar; display@X,Y clicks the display; drop=A,B drops
// files of the test's folder or web addresses on the path box, droptext=T
// drops text. pattern.png is a 64 x 48 picture, broken.bmp is no picture,
// and a dropped file is a 30 x 20 picture whatever its name.
void TestMainWindow::scripts_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("changed");
  QTest::newRow("import") << "open=pattern.png Command1"
                          << "draws=2 path=pattern.png S=64x48";
  QTest::newRow("background picture") << "open=pattern.png Command6"
                                      << "draws=2 path=pattern.png bg=64x48";
  QTest::newRow("a file that is not there") << "open=nowhere.bmp Command1"
                                            << "path=nowhere.bmp";
  QTest::newRow("not a picture") << "open=broken.bmp Command1"
                                 << "path=broken.bmp messages=1";
  QTest::newRow("not a picture, as background") << "open=broken.bmp Command6"
                                                << "path=broken.bmp messages=1";
  QTest::newRow("a cancel loads nothing")
      << "open=pattern.png Command1 open=- Command1 open=- Command6"
      << "draws=2 path=pattern.png S=64x48";
  QTest::newRow("background colour: no draw") << "colour=#0000ff Command5"
                                              << "back=#0000ff";
  QTest::newRow("background colour cancelled") << "colour=- Command5"
                                               << "";
  QTest::newRow("clear: no draw") << "Command7"
                                  << "bg=none";
  QTest::newRow("mask colour") << "colour=#0a141e Command2"
                               << "draws=2 mask=#0a141e";
  QTest::newRow("mask colour cancelled") << "colour=- Command2"
                                         << "";
  QTest::newRow("no mask: right click") << "right:Command2"
                                        << "draws=2 mask=face";
  QTest::newRow("mask from the display") << "colour=#123456 Command5 Command7 display@20,20"
                                         << "draws=2 bg=none back=#123456 mask=#123456";
  QTest::newRow("angle at 360") << "End:vScroll1"
                                << "draws=2 angle=-0.0168 zoom=1 alpha=1";
  QTest::newRow("zoom at 20") << "Home:HScroll2"
                              << "draws=2 angle=6.2832 zoom=0.1 alpha=1";
  QTest::newRow("transparency at 0") << "Home:HScroll1"
                                     << "draws=2 angle=6.2832 zoom=1 alpha=0";
  QTest::newRow("hue at 360") << "End:HScroll3(0)"
                              << "draws=2 hue=1 saturation=1 threshold=1 readouts=360";
  QTest::newRow("saturation at 0") << "Home:HScroll3(1)"
                                   << "draws=2 hue=0 saturation=0 threshold=1 readouts=0";
  QTest::newRow("threshold at 200") << "End:HScroll3(2)"
                                    << "draws=2 hue=0 saturation=1 threshold=2 readouts=200";
  QTest::newRow("reset redraws once per bar that moved") << "End:vScroll1 End:HScroll3(1) Command3"
                                                         << "draws=5 readouts=100";
  QTest::newRow("reset with nothing moved") << "Command3"
                                            << "";
  QTest::newRow("drop bmp") << "drop=a.bmp"
                            << "draws=2 path=a.bmp S=30x20";
  QTest::newRow("drop JPG") << "drop=b.JPG"
                            << "draws=2 path=b.JPG S=30x20";
  QTest::newRow("drop the first of two") << "drop=e.gif,a.bmp"
                                         << "draws=2 path=e.gif S=30x20";
  QTest::newRow("drop a name ending in bmp") << "drop=picturebmp"
                                             << "draws=2 path=picturebmp S=30x20";
  QTest::newRow("drop jpeg: refused") << "drop=d.jpeg"
                                      << "";
  QTest::newRow("drop a web address") << "drop=https://example.org/a.bmp"
                                      << "";
  QTest::newRow("drop a web address and a file") << "drop=https://example.org/a.bmp,a.bmp"
                                                 << "draws=2 path=a.bmp S=30x20";
  QTest::newRow("drop text") << "droptext=x.bmp"
                             << "";
}

void TestMainWindow::scripts() {
  QFETCH(QString, script);
  QFETCH(QString, changed);
  QVERIFY(patternImage(64, 48).save(dir_->filePath("pattern.png")));
  QFile broken(dir_->filePath("broken.bmp"));
  QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("BM, but no picture") > 0);
  broken.close();
  const QStringList start = describe();
  for (const QString& action : script.split(' ')) {
    const QString value = action.section(QRegularExpression("[=:@]"), 1);
    if (action.startsWith("open="))
      dialogs_->answerOpen(value == "-" ? std::nullopt : std::optional(dir_->filePath(value)));
    if (action.startsWith("colour="))
      dialogs_->answerColour(value == "-" ? std::nullopt : std::optional(QColor(value)));
    if (action.startsWith("Command"))
      QTest::mouseClick(form_->findChild<QWidget*>(action), Qt::LeftButton);
    if (action.startsWith("right:"))
      QTest::mouseClick(form_->findChild<QWidget*>(value), Qt::RightButton);
    if (action.startsWith("End:") || action.startsWith("Home:"))
      QTest::keyClick(form_->findChild<QWidget*>(value),
                      action.startsWith("End") ? Qt::Key_End : Qt::Key_Home);
    if (action.startsWith("display@")) {
      const QStringList xy = value.split(',');
      QTest::mouseClick(
          form_->Picture2, Qt::LeftButton, {},
          QPoint(xy[0].toInt(), xy[1].toInt()) + form_->Picture2->contentsRect().topLeft());
    }
    if (action.startsWith("drop")) {
      QMimeData data;
      QList<QUrl> urls;
      for (const QString& name : value.split(',', Qt::SkipEmptyParts)) {
        const bool web = name.startsWith("https:");
        if (!web) QVERIFY(patternImage(30, 20).save(dir_->filePath(name), "BMP"));
        urls << (web ? QUrl(name) : QUrl::fromLocalFile(dir_->filePath(name)));
      }
      if (action.startsWith("droptext="))
        data.setText(value);
      else
        data.setUrls(urls);
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(form_->Text1, &enter);
      QDropEvent drop(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(form_->Text1, &drop);
    }
  }
  QStringList now = describe();
  now.removeIf([&](const QString& entry) { return start.contains(entry); });
  QCOMPARE(now.join(' '), changed);
}

void TestMainWindow::missingLibraryIsReportedOnce() {
  form_ = std::make_unique<Form1>(
      std::make_unique<RecordingRotator>(&calls_, dir_->filePath("nowhere/rotate")));
  form_->show();
  QCOMPARE(dialogs_->messages().size(), 1);
  QVERIFY2(dialogs_->messages()[0].text.contains("rotate"),
           qPrintable(dialogs_->messages()[0].text));
  // The display shows just its background, and the program goes on.
  QCOMPARE(form_->Picture2->Image().pixel(376, 302), form_->Picture2->Picture().pixel(376, 302));
  QTest::keyClick(form_->vScroll1, Qt::Key_End);
  QCOMPARE(dialogs_->messages().size(), 1);
}

void TestMainWindow::captureWindowGoesWithTheMainWindow() {
  QTest::mouseClick(form_->Command4, Qt::LeftButton);
  QPointer<CaptureForm> capture = form_->captureForm();
  QVERIFY(capture != nullptr && capture->isVisible());
  QCOMPARE(capture->parentWidget(), form_.get());
  QTest::keyClick(form_->HScroll2, Qt::Key_Home);  // the main window stays usable beside it
  QCOMPARE(calls_.size(), 2);
  QVERIFY(form_->close());
  QTRY_VERIFY(capture.isNull());
}

}  // namespace

QTEST_MAIN(TestMainWindow)

#include "tst_main_window.moc"
