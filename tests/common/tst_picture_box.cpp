#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "common/picture_box.h"
#include "common/surface.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

namespace {

using Mode = PictureBox::ScaleMode;
constexpr ColourRef kBack = colour::rgb(10, 20, 30), kInk = colour::rgb(250, 0, 0);

double unit(Mode mode) { return mode == Mode::Twips ? 15 : 1; }

void setUp(PictureBox& box, Mode mode, const QImage& picture = QImage(), QSize size = {30, 20}) {
  box.setBorder(PictureBox::Border::None);
  box.setScaleMode(mode);
  box.setBackColor(kBack);
  box.setPicture(picture);
  box.resize(size);
}

// Rows for both scale modes, each with every value of `column`.
void modeRows(const char* column, std::initializer_list<int> values) {
  QTest::addColumn<Mode>("mode");
  QTest::addColumn<int>(column);
  for (Mode mode : {Mode::Pixels, Mode::Twips})
    for (int value : values)
      QTest::addRow("%s, %s %d", mode == Mode::Twips ? "twips" : "pixels", column, value)
          << mode << value;
}

}  // namespace

class TstPictureBox : public QObject {
  Q_OBJECT

 private slots:
  void drawnLayerIsEmptied_data() {
    QTest::addColumn<QString>("action");
    for (const char* action : {"back colour", "new picture", "Cls"})
      QTest::newRow(action) << action;
  }
  void drawnLayerIsEmptied() {
    QFETCH(QString, action);
    PictureBox box;
    QImage picture = patternImage(10, 8);
    setUp(box, Mode::Pixels, picture);
    box.PSet(5, 5, kInk);
    QCOMPARE(box.Point(5, 5), kInk);  // over the picture
    ColourRef back = kBack;
    if (action == "back colour") box.setBackColor(back = colour::rgb(40, 50, 60));
    if (action == "new picture") box.setPicture(picture = patternImage(4, 25));
    if (action == "Cls") box.Cls();
    QImage expected = filled(30, 20, colour::toPixel(back));
    QPainter(&expected).drawImage(0, 0, picture);
    QCOMPARE(imageDifference(box.Image(), expected), QString());
  }

  // Ends land on the nearest pixel, a half going to the even one; a line w
  // pixels wide is centred on it (the odd pixel above or left), square-ended.
  void lines_data() { modeRows("width", {1, 2, 3}); }
  void lines() {
    QFETCH(Mode, mode);
    QFETCH(int, width);
    PictureBox box;
    setUp(box, mode, QImage(), {30, 30});
    box.setDrawWidth(width);
    const double u = unit(mode);
    box.Line(2.5 * u, 9 * u, 17.5 * u, 9 * u, kInk);    // pixels (2, 9) to (18, 9)
    box.Line(24 * u, 2.5 * u, 24 * u, 17.5 * u, kInk);  // pixels (24, 2) to (24, 18)
    QCOMPARE(QPointF(box.CurrentX, box.CurrentY), QPointF(24, 17.5) * u);
    const QPoint before(width / 2, width / 2), after((width - 1) / 2, (width - 1) / 2);
    QImage expected = filled(30, 30, colour::toPixel(kBack));
    QPainter painter(&expected);
    painter.fillRect(QRect(QPoint(2, 9) - before, QPoint(18, 9) + after), colour::toQColor(kInk));
    painter.fillRect(QRect(QPoint(24, 2) - before, QPoint(24, 18) + after), colour::toQColor(kInk));
    painter.end();
    QCOMPARE(imageDifference(box.Image(), expected), QString());
  }

  // The line box's top-left lands on the current point's pixel; afterwards
  // the current point starts the next line.
  void print_data() { modeRows("transparent", {0, 1}); }
  void print() {
    QFETCH(Mode, mode);
    QFETCH(int, transparent);
    PictureBox box;
    const QImage picture = patternImage(80, 50);
    setUp(box, mode, picture, picture.size());
    box.setForeColor(kInk);
    box.setFontTransparent(transparent);
    const double u = unit(mode);
    box.CurrentX = 4.5 * u;  // pixel (4, 8)
    box.CurrentY = 7.5 * u;
    box.Print("Hg");
    QCOMPARE(QPointF(box.CurrentX, box.CurrentY), QPointF(0, 7.5 * u + box.TextHeight()));
    const QRect line(4, 8, qRound(box.TextWidth("Hg") / u), qRound(box.TextHeight() / u));
    QImage outside = box.Image(), expected = picture;
    QVERIFY2(outside != picture, "nothing printed");
    for (QPoint corner : {line.topLeft(), line.topRight()})  // above the glyphs
      QCOMPARE(outside.pixel(corner), transparent ? picture.pixel(corner) : colour::toPixel(kBack));
    for (QImage* image : {&outside, &expected}) QPainter(image).fillRect(line, Qt::black);
    QCOMPARE(imageDifference(outside, expected), QString());
  }

  void paintPicture_data() { modeRows("scaled", {0, 1}); }
  void paintPicture() {
    QFETCH(Mode, mode);
    QFETCH(int, scaled);
    PictureBox box;
    setUp(box, mode);
    const QImage picture = patternImage(3, 2);
    const double u = unit(mode);
    if (scaled) box.PaintPicture(picture, 4.5 * u, 7.5 * u, 6 * u, 4 * u);
    if (!scaled) box.PaintPicture(picture, 4.5 * u, 7.5 * u);
    QImage expected = filled(30, 20, colour::toPixel(kBack));
    QPainter(&expected).drawImage(4, 8, scaled ? picture.scaled(6, 4) : picture);
    QCOMPARE(imageDifference(box.Image(), expected), QString());
  }

  void overlayNeverEntersTheImage() {
    PictureBox box;
    setUp(box, Mode::Twips);
    const QImage before = box.Image();
    box.setOverlayLine(1, {QLineF(0, 75, 450, 75), colour::rgb(0, 0, 255)});  // y = 5 pixels
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixel(10, 5), qRgb(0, 0, 255));
    QCOMPARE(shown.pixel(0, 0), colour::toPixel(kBack));  // line 0 was never set
    QCOMPARE(imageDifference(box.Image(), before), QString());
    box.setOverlayLine(1, {QLineF(0, 75, 450, 75), colour::rgb(0, 0, 255), false});
    QCOMPARE(imageDifference(box.grab().toImage(), before), QString());
  }

  void deviceContext_data() {
    QTest::addColumn<QString>("change");
    for (const char* change : {"none", "resize", "new picture", "box deleted"})
      QTest::newRow(change) << change;
  }
  void deviceContext() {
    QFETCH(QString, change);
    auto owner = std::make_unique<PictureBox>();
    QPointer<PictureBox> box = owner.get();
    setUp(*box, Mode::Pixels);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->PSet(3, 3, kInk);
    QCoreApplication::processEvents();  // shows the dot
    const auto onScreen = [&] {
      return box->screen()->grabWindow(box->winId()).toImage().pixel(5, 5);
    };
    std::optional<DeviceContext> dc = box->hDC();
    const QImage copy = box->Image();
    if (change == "resize") box->resize(40, 30);
    if (change == "new picture") box->setPicture(patternImage(2, 2));
    if (change == "box deleted") owner.reset();
    surface::setPixel(**dc, 5, 5, colour::rgb(0, 0, 255));     // nothing, on an empty surface
    QCOMPARE(copy.pixel(5, 5), colour::toPixel(kBack));        // a copy never changes
    if (change == "resize") QCOMPARE(box->Point(3, 3), kInk);  // nothing drawn is lost
    if (change != "none") {
      QCOMPARE((*dc)->bits, nullptr);
      return;
    }
    QCOMPARE(box->Point(5, 5), colour::rgb(0, 0, 255));
    QCoreApplication::processEvents();
    QCOMPARE(onScreen(), colour::toPixel(kBack));  // not on screen while the context is held
    dc.reset();
    QTRY_COMPARE(onScreen(), qRgb(0, 0, 255));
  }
};

QTEST_MAIN(TstPictureBox)

#include "tst_picture_box.moc"
