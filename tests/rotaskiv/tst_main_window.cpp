#include <QtTest>

#include <QFrame>
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

// Where source pixel (0, 0) lands in the display's image at reset, for a
// picture of the given size: the centre (376, 302) less half the picture.
QPoint originFor(QSize picture) {
  return QPoint(376 - picture.width() / 2, 302 - picture.height() / 2);
}

constexpr ColourRef kWhite = 0x00FFFFFF;

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void layout_data();
  void layout();
  void startShowsSampleCentredWithWhiteMasked();
  void slidersRedrawAndShowTheirValue_data();
  void slidersRedrawAndShowTheirValue();
  void resetRedrawsOncePerBarThatMoved_data();
  void resetRedrawsOncePerBarThatMoved();
  void importLoadsAndDraws();
  void cancelledDialogsChangeNothing();
  void importOfMissingFileOnlySetsPath();
  void undecodableFileIsReportedAndChangesNothing_data();
  void undecodableFileIsReportedAndChangesNothing();
  void backgroundPictureColourAndClear();
  void maskColourButton();
  void clickOnDisplayPicksMaskColour();
  void dropOnPathBox_data();
  void dropOnPathBox();
  void missingLibraryIsReportedOnceAndBackgroundShows();
  void cropAndSaveOpensCaptureWindowClosedWithMain();

 private:
  QString writePicture(const QString& name, const QImage& image, const char* format);
  void drop(const QString& path);

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
  dialogs_.reset();
  for (QWidget* w : QApplication::topLevelWidgets())
    QVERIFY2(!w->isVisible(), qPrintable("left open: " + w->objectName()));
}

QString TestMainWindow::writePicture(const QString& name, const QImage& image, const char* format) {
  const QString path = dir_->filePath(name);
  if (!image.save(path, format)) qWarning("cannot write %s", qPrintable(path));
  return path;
}

void TestMainWindow::drop(const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  const QPoint at(10, 10);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form_->Text1, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent dropEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form_->Text1, &dropEvent);
}

void TestMainWindow::layout_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("caption");
  QTest::newRow("Frame1") << "Frame1" << QRect(0, 2, 753, 95) << "";
  QTest::newRow("vScroll1") << "vScroll1" << QRect(62, 10, 193, 18) << "";
  QTest::newRow("HScroll1") << "HScroll1" << QRect(62, 30, 193, 18) << "";
  QTest::newRow("HScroll2") << "HScroll2" << QRect(62, 50, 193, 18) << "";
  QTest::newRow("HScroll3(2)") << "HScroll3(2)" << QRect(308, 50, 193, 18) << "";
  QTest::newRow("Label2(1)") << "Label2(1)" << QRect(510, 30, 25, 16) << "";
  QTest::newRow("Label1") << "Label1" << QRect(12, 72, 51, 19) << "图片地址";
  QTest::newRow("Text1") << "Text1" << QRect(62, 70, 473, 21) << "";
  QTest::newRow("Command3") << "Command3" << QRect(542, 14, 67, 23) << "复位";
  QTest::newRow("Command2") << "Command2" << QRect(542, 40, 67, 23) << "屏蔽色";
  QTest::newRow("Command1") << "Command1" << QRect(542, 68, 67, 23) << "导入图片";
  QTest::newRow("Command5") << "Command5" << QRect(612, 14, 67, 23) << "背景色";
  QTest::newRow("Command4") << "Command4" << QRect(612, 68, 67, 23) << "剪裁保存";
  QTest::newRow("Command6") << "Command6" << QRect(682, 14, 67, 23) << "背景图片";
  QTest::newRow("Command7") << "Command7" << QRect(682, 68, 67, 23) << "清 除";
  QTest::newRow("Picture2") << "Picture2" << QRect(0, 98, 753, 605) << "";
}

void TestMainWindow::layout() {
  QFETCH(QString, name);
  QFETCH(QRect, geometry);
  QFETCH(QString, caption);
  QCOMPARE(form_->windowTitle(), QString("Rotaskiv2.0"));
  QCOMPARE(form_->size(), QSize(753, 702));
  QVERIFY(!(form_->windowFlags() & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
  auto* widget = form_->findChild<QWidget*>(name);
  QVERIFY2(widget != nullptr, qPrintable(name));
  QCOMPARE(widget->geometry(), geometry);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(button->text(), caption);
  if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), caption);
}

void TestMainWindow::startShowsSampleCentredWithWhiteMasked() {
  QCOMPARE(calls_.size(), 1);
  QCOMPARE(form_->Command2->BackColor(), kWhite);
  const QImage sample(":/assets/sample.png");
  QCOMPARE(sample.size(), QSize(320, 240));
  QCOMPARE(form_->S->size(), QSize(320, 240));
  QVERIFY(form_->S->isHidden());
  QCOMPARE(form_->Picture2->Picture().size(), QSize(800, 600));

  // Pixel for pixel: every non-white sample pixel is in place, and where the
  // sample is white the built-in background shows.
  const QImage display = form_->Picture2->Image();
  const QImage background = form_->Picture2->Picture();
  const QPoint origin = originFor(sample.size());
  int checked = 0;
  for (int y = 0; y < sample.height(); y += 3) {
    for (int x = 0; x < sample.width(); x += 3) {
      const QRgb expected = (sample.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF
                                ? background.pixel(origin + QPoint(x, y))
                                : sample.pixel(x, y);
      QCOMPARE(display.pixel(origin + QPoint(x, y)) & 0xFFFFFF, expected & 0xFFFFFF);
      ++checked;
    }
  }
  QVERIFY(checked > 8000);
  // Outside the picture the background is untouched.
  QCOMPARE(display.pixel(5, 5), background.pixel(5, 5));
}

void TestMainWindow::slidersRedrawAndShowTheirValue_data() {
  QTest::addColumn<QString>("bar");
  QTest::addColumn<QString>("readout");
  QTest::newRow("angle") << "vScroll1"
                         << "";
  QTest::newRow("transparency") << "HScroll1"
                                << "";
  QTest::newRow("zoom") << "HScroll2"
                        << "";
  QTest::newRow("hue") << "HScroll3(0)"
                       << "Label2(0)";
  QTest::newRow("saturation") << "HScroll3(1)"
                              << "Label2(1)";
  QTest::newRow("threshold") << "HScroll3(2)"
                             << "Label2(2)";
}

void TestMainWindow::slidersRedrawAndShowTheirValue() {
  QFETCH(QString, bar);
  QFETCH(QString, readout);
  auto* scrollBar = form_->findChild<QScrollBar*>(bar);
  QVERIFY(scrollBar != nullptr);
  for (QLabel* label : form_->Label2) QVERIFY(label->text().isEmpty());
  const int before = scrollBar->value();
  const qsizetype draws = calls_.size();
  // A user clicks the bar's arrow (the left one when it stands at its maximum).
  const bool left = before == scrollBar->maximum();
  const QPoint arrow(left ? 4 : scrollBar->width() - 4, scrollBar->height() / 2);
  QTest::mouseClick(scrollBar, Qt::LeftButton, {}, arrow);
  const int after = scrollBar->value();
  QCOMPARE(std::abs(after - before), 1);
  QCOMPARE(calls_.size(), draws + 1);
  const RotateArguments& args = calls_.constLast();
  if (bar == "vScroll1") QCOMPARE(args.angle, float((62832 - 175 * after) / 10000.0));
  if (bar == "HScroll1") QCOMPARE(args.alpha, float(after / 100.0));
  if (bar == "HScroll2") QCOMPARE(args.zoom, float(after / 200.0));
  if (bar == "HScroll3(0)") QCOMPARE(args.hue, float(after / 360.0));
  if (bar == "HScroll3(1)") QCOMPARE(args.saturation, float(after / 100.0));
  if (bar == "HScroll3(2)") QCOMPARE(args.threshold, float(after / 100.0));
  if (!readout.isEmpty())
    QCOMPARE(form_->findChild<QLabel*>(readout)->text(), QString::number(after));
}

void TestMainWindow::resetRedrawsOncePerBarThatMoved_data() {
  QTest::addColumn<QStringList>("moved");
  QTest::newRow("nothing moved") << QStringList{};
  QTest::newRow("two bars") << QStringList{"vScroll1", "HScroll3(1)"};
  QTest::newRow("all six") << QStringList{"vScroll1",    "HScroll1",    "HScroll2",
                                          "HScroll3(0)", "HScroll3(1)", "HScroll3(2)"};
}

void TestMainWindow::resetRedrawsOncePerBarThatMoved() {
  QFETCH(QStringList, moved);
  for (const QString& name : moved) {
    auto* bar = form_->findChild<QScrollBar*>(name);
    bar->setValue(bar->minimum() == bar->value() ? bar->maximum() : bar->minimum());
  }
  const qsizetype draws = calls_.size();
  QTest::mouseClick(form_->Command3, Qt::LeftButton);
  QCOMPARE(calls_.size() - draws, moved.size());
  QCOMPARE(form_->vScroll1->value(), 0);
  QCOMPARE(form_->HScroll1->value(), 100);
  QCOMPARE(form_->HScroll2->value(), 200);
  QCOMPARE(form_->HScroll3[0]->value(), 0);
  QCOMPARE(form_->HScroll3[1]->value(), 100);
  QCOMPARE(form_->HScroll3[2]->value(), 100);
}

void TestMainWindow::importLoadsAndDraws() {
  const QImage picture = patternImage(64, 48);
  const QString path = writePicture("pattern.png", picture, "PNG");
  dialogs_->answerOpen(path);
  const qsizetype draws = calls_.size();
  QTest::mouseClick(form_->Command1, Qt::LeftButton);

  QCOMPARE(dialogs_->fileRequests().size(), 1);
  QCOMPARE(dialogs_->fileRequests()[0].filter,
           QString("所支持的图片|*.bmp;*.dib;*.gif;*.jpg;*.wmf;*.emf;*.ico;*.cur|Bitmaps|*.bmp;"
                   "*.dib|JPEG Images|*.jpg|Metafiles|*.wmf;*.emf|Icons|*.ico;*.cur"));
  QCOMPARE(form_->Text1->text(), path);
  QCOMPARE(form_->S->size(), QSize(64, 48));
  QCOMPARE(calls_.size(), draws + 1);
  QCOMPARE(calls_.constLast().sw, 64);
  QCOMPARE(calls_.constLast().sh, 48);
  // The new picture is on view, pixel for pixel (nothing in it is white).
  const QPoint origin = originFor(picture.size());
  QCOMPARE(imageDifference(form_->Picture2->Image().copy(QRect(origin, picture.size())), picture),
           QString());
}

void TestMainWindow::cancelledDialogsChangeNothing() {
  const QString path = writePicture("first.png", patternImage(40, 30), "PNG");
  dialogs_->answerOpen(path);
  QTest::mouseClick(form_->Command1, Qt::LeftButton);
  const QImage display = form_->Picture2->Image();
  const qsizetype draws = calls_.size();

  // Cancelling never reloads the last file nor makes it the background, and
  // a cancelled colour dialog applies no colour.
  dialogs_->answerOpen(std::nullopt);
  QTest::mouseClick(form_->Command1, Qt::LeftButton);
  dialogs_->answerOpen(std::nullopt);
  QTest::mouseClick(form_->Command6, Qt::LeftButton);
  dialogs_->answerColour(std::nullopt);
  QTest::mouseClick(form_->Command5, Qt::LeftButton);
  dialogs_->answerColour(std::nullopt);
  QTest::mouseClick(form_->Command2, Qt::LeftButton);

  QCOMPARE(calls_.size(), draws);
  QCOMPARE(form_->Text1->text(), path);
  QCOMPARE(form_->Picture2->Picture().size(), QSize(800, 600));
  QCOMPARE(form_->Picture2->BackColor(), colour::kButtonFace);
  QCOMPARE(form_->Command2->BackColor(), kWhite);
  QCOMPARE(imageDifference(form_->Picture2->Image(), display), QString());
  QVERIFY(dialogs_->messages().isEmpty());
}

void TestMainWindow::importOfMissingFileOnlySetsPath() {
  const QString missing = dir_->filePath("nowhere.bmp");
  dialogs_->answerOpen(missing);
  const qsizetype draws = calls_.size();
  QTest::mouseClick(form_->Command1, Qt::LeftButton);
  QCOMPARE(form_->Text1->text(), missing);
  QCOMPARE(form_->S->size(), QSize(320, 240));
  QCOMPARE(calls_.size(), draws);
  QVERIFY(dialogs_->messages().isEmpty());
}

void TestMainWindow::undecodableFileIsReportedAndChangesNothing_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<bool>("background");
  QTest::newRow("empty, as picture") << QByteArray() << false;
  QTest::newRow("not a picture, as background") << QByteArray("hello, world\n") << true;
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    patternImage(50, 50).save(&buffer, "PNG");
  }
  QTest::newRow("truncated PNG") << png.left(png.size() / 2) << false;
}

void TestMainWindow::undecodableFileIsReportedAndChangesNothing() {
  QFETCH(QByteArray, content);
  QFETCH(bool, background);
  const QString path = dir_->filePath("broken.bmp");
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(content);
  file.close();
  const QImage display = form_->Picture2->Image();
  const qsizetype draws = calls_.size();
  dialogs_->answerOpen(path);
  QTest::mouseClick(background ? form_->Command6 : form_->Command1, Qt::LeftButton);

  QCOMPARE(dialogs_->messages().size(), 1);
  QVERIFY(dialogs_->messages()[0].text.contains(path));
  QCOMPARE(form_->S->size(), QSize(320, 240));
  QCOMPARE(form_->Picture2->Picture().size(), QSize(800, 600));
  QCOMPARE(calls_.size(), draws);
  QCOMPARE(imageDifference(form_->Picture2->Image(), display), QString());
  // Still usable: the next slider move draws.
  form_->vScroll1->setValue(45);
  QCOMPARE(calls_.size(), draws + 1);
}

void TestMainWindow::backgroundPictureColourAndClear() {
  QImage red(100, 80, QImage::Format_RGB32);
  red.fill(qRgb(200, 0, 0));
  dialogs_->answerOpen(writePicture("red.bmp", red, "BMP"));
  qsizetype draws = calls_.size();
  QTest::mouseClick(form_->Command6, Qt::LeftButton);
  QCOMPARE(calls_.size(), draws + 1);
  QCOMPARE(form_->Picture2->Picture().size(), QSize(100, 80));
  QCOMPARE(form_->Picture2->Image().pixel(3, 3), qRgb(200, 0, 0));

  // A background colour empties the drawn layer and does not redraw.
  dialogs_->answerColour(QColor(0, 0, 255));
  draws = calls_.size();
  QTest::mouseClick(form_->Command5, Qt::LeftButton);
  QCOMPARE(calls_.size(), draws);
  QCOMPARE(form_->Picture2->BackColor(), colour::rgb(0, 0, 255));
  const QImage afterColour = form_->Picture2->Image();
  QCOMPARE(afterColour.pixel(3, 3), qRgb(200, 0, 0));      // background picture stays
  QCOMPARE(afterColour.pixel(376, 302), qRgb(0, 0, 255));  // the turned picture is gone

  // Clear removes the background picture, without a redraw either.
  QTest::mouseClick(form_->Command7, Qt::LeftButton);
  QCOMPARE(calls_.size(), draws);
  QVERIFY(form_->Picture2->Picture().isNull());
  QCOMPARE(form_->Picture2->Image().pixel(3, 3), qRgb(0, 0, 255));

  // The next slider move brings the picture back over the blue.
  form_->HScroll2->setValue(100);
  QCOMPARE(calls_.size(), draws + 1);
  QVERIFY(form_->Picture2->Image().pixel(376, 302) != qRgb(0, 0, 255));
}

void TestMainWindow::maskColourButton() {
  dialogs_->answerColour(QColor(10, 20, 30));
  QTest::mouseClick(form_->Command2, Qt::LeftButton);
  QCOMPARE(dialogs_->colourRequests().size(), 1);
  QCOMPARE(form_->Command2->BackColor(), colour::rgb(10, 20, 30));
  QCOMPARE(calls_.constLast().mask, colour::rgb(10, 20, 30));

  // Any other button: no mask colour, so white parts of the sample show.
  const qsizetype draws = calls_.size();
  QTest::mouseClick(form_->Command2, Qt::RightButton);
  QCOMPARE(calls_.size(), draws + 1);
  QCOMPARE(form_->Command2->BackColor(), colour::kButtonFace);
  QCOMPARE(calls_.constLast().mask, 0x8000000Fu);
  const QPoint whiteCorner = originFor(QSize(320, 240)) + QPoint(2, 2);
  QCOMPARE(form_->Picture2->Image().pixel(whiteCorner) & 0xFFFFFF, 0xFFFFFFu);
  QCOMPARE(dialogs_->colourRequests().size(), 1);
}

void TestMainWindow::clickOnDisplayPicksMaskColour() {
  // Where the background shows, its colour becomes the mask colour.
  const QPoint inImage(20, 20);
  const QRgb there = form_->Picture2->Image().pixel(inImage);
  const qsizetype draws = calls_.size();
  QTest::mouseClick(form_->Picture2, Qt::LeftButton, {},
                    inImage + form_->Picture2->contentsRect().topLeft());
  QCOMPARE(form_->Command2->BackColor(), colour::fromPixel(there));
  QCOMPARE(calls_.size(), draws + 1);
  QCOMPARE(calls_.constLast().mask, colour::fromPixel(there));
}

void TestMainWindow::dropOnPathBox_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("taken");
  QTest::newRow("bmp") << "a.bmp" << true;
  QTest::newRow("upper-case JPG") << "b.JPG" << true;
  QTest::newRow("gif") << "c.gif" << true;
  QTest::newRow("jpeg is refused") << "d.jpeg" << false;
  QTest::newRow("png is refused") << "e.png" << false;
  QTest::newRow("ends in bmp, no dot") << "picturebmp" << true;
}

void TestMainWindow::dropOnPathBox() {
  QFETCH(QString, name);
  QFETCH(bool, taken);
  // The content is a real picture whatever the name says.
  const QString path = writePicture(name, patternImage(30, 20), "BMP");
  const qsizetype draws = calls_.size();
  drop(path);
  QCOMPARE(form_->Text1->text(), taken ? path : QString());
  QCOMPARE(form_->S->size(), taken ? QSize(30, 20) : QSize(320, 240));
  QCOMPARE(calls_.size(), draws + (taken ? 1 : 0));
  QVERIFY(dialogs_->messages().isEmpty());
}

void TestMainWindow::missingLibraryIsReportedOnceAndBackgroundShows() {
  form_.reset();
  calls_.clear();
  form_ = std::make_unique<Form1>(
      std::make_unique<RecordingRotator>(&calls_, dir_->filePath("no-such-folder/rotate")));
  form_->show();
  QCOMPARE(dialogs_->messages().size(), 1);
  QVERIFY(dialogs_->messages()[0].text.contains("rotate"));
  // The display shows just its background, and the program goes on.
  QCOMPARE(form_->Picture2->Image().pixel(376, 302), form_->Picture2->Picture().pixel(376, 302));
  form_->vScroll1->setValue(90);
  QTest::mouseClick(form_->Command3, Qt::LeftButton);
  QCOMPARE(calls_.size(), 3);
  QCOMPARE(dialogs_->messages().size(), 1);
}

void TestMainWindow::cropAndSaveOpensCaptureWindowClosedWithMain() {
  QTest::mouseClick(form_->Command4, Qt::LeftButton);
  QPointer<CaptureForm> capture = form_->captureForm();
  QVERIFY(capture != nullptr);
  QVERIFY(capture->isVisible());
  QCOMPARE(capture->parentWidget(), form_.get());
  // The main window stays usable beside it.
  form_->HScroll2->setValue(150);
  QVERIFY(form_->close());
  QTRY_VERIFY(capture == nullptr || !capture->isVisible());
}

}  // namespace

QTEST_MAIN(TestMainWindow)

#include "tst_main_window.moc"
