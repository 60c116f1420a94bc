#include <QPainter>
#include <QTest>

#include "common/numbers.h"
#include "common/picture_box.h"
#include "common/surface.h"
#include "tests/support/test_helpers.h"
#include "tests/support/image_compare.h"

namespace {

using Mode = PictureBox::ScaleMode;
using Border = PictureBox::Border;
using Rects = QList<QRect>;

constexpr ColourRef kBack = colour::rgb(10, 20, 30);
constexpr ColourRef kInk = colour::rgb(250, 0, 0);

double unit(Mode mode) { return mode == Mode::Twips ? numbers::kTwipsPerPixel : 1.0; }

// The persistent image of a box that nothing was drawn on.
QImage composed(QSize size, ColourRef back, const QImage& picture) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour::toPixel(back));
  QPainter(&image).drawImage(0, 0, picture);
  return image;
}

void setUp(PictureBox& box, Border border, Mode mode, QSize size) {
  box.setBorder(border);
  box.setScaleMode(mode);
  box.setBackColor(kBack);
  box.resize(size);
}

}  // namespace

class TstPictureBox : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { verifyNoLeakedWindows(); }

  void drawnLayerIsEmptied_data() {
    QTest::addColumn<QString>("action");
    for (const char* action : {"back colour", "new picture", "no picture", "Cls"})
      QTest::newRow(action) << action;
  }

  void drawnLayerIsEmptied() {
    QFETCH(QString, action);
    PictureBox box;
    setUp(box, Border::None, Mode::Pixels, QSize(30, 20));
    QImage picture = patternImage(10, 8);
    box.setPicture(picture);
    QCOMPARE(imageDifference(box.Image(), composed({30, 20}, kBack, picture)), QString());
    box.Line(0, 15, 29, 15, kInk);
    box.PSet(5, 5, kInk);  // over the picture
    QCOMPARE(box.Point(5, 5), kInk);
    QCOMPARE(box.Point(20, 15), kInk);

    ColourRef back = kBack;
    if (action == "back colour") box.setBackColor(back = colour::rgb(40, 50, 60));
    if (action == "new picture") box.setPicture(picture = patternImage(4, 25));
    if (action == "no picture") box.setPicture(picture = QImage());
    if (action == "Cls") box.Cls();
    QCOMPARE(imageDifference(box.Image(), composed({30, 20}, back, picture)), QString());
    if (action == "Cls") QCOMPARE(QPointF(box.CurrentX, box.CurrentY), QPointF(0, 0));
  }

  void autoSize_data() {
    QTest::addColumn<Border>("border");
    QTest::addColumn<bool>("pictureFirst");
    QTest::newRow("no border") << Border::None << false;
    QTest::newRow("single border") << Border::FixedSingle << false;
    QTest::newRow("no border, picture first") << Border::None << true;
    QTest::newRow("single border, picture first") << Border::FixedSingle << true;
  }

  void autoSize() {
    QFETCH(Border, border);
    QFETCH(bool, pictureFirst);
    PictureBox box;
    setUp(box, border, Mode::Pixels, QSize(100, 100));
    const QImage picture = patternImage(25, 17);
    if (pictureFirst) box.setPicture(picture);
    box.setAutoSize(true);
    if (!pictureFirst) box.setPicture(picture);
    QCOMPARE(box.contentsRect().size(), picture.size());
    QCOMPARE(QSizeF(box.ScaleWidth(), box.ScaleHeight()), QSizeF(25, 17));
    QCOMPARE(box.width() > 25, border == Border::FixedSingle);
    QCOMPARE(box.width() - 25, box.height() - 17);
    QCOMPARE(imageDifference(box.Image(), picture), QString());
  }

  void points_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QPointF>("at");    // in scale units
    QTest::addColumn<QPoint>("pixel");  // outside the 30 x 20 client: no pixel
    QTest::newRow("pixels") << Mode::Pixels << QPointF(3, 4) << QPoint(3, 4);
    QTest::newRow("pixels, last") << Mode::Pixels << QPointF(29, 19) << QPoint(29, 19);
    QTest::newRow("pixels, rounded") << Mode::Pixels << QPointF(2.6, -0.4) << QPoint(3, 0);
    QTest::newRow("pixels, right") << Mode::Pixels << QPointF(30, 0) << QPoint(30, 0);
    QTest::newRow("twips") << Mode::Twips << QPointF(45, 60) << QPoint(3, 4);
    QTest::newRow("twips, down") << Mode::Twips << QPointF(52, 60) << QPoint(3, 4);
    QTest::newRow("twips, up") << Mode::Twips << QPointF(53, 60) << QPoint(4, 4);
    QTest::newRow("twips, left") << Mode::Twips << QPointF(-15, 0) << QPoint(-1, 0);
  }

  // Point reads what the device context wrote, PSet writes what Image shows,
  // both relative to the client area, which lies inside a border.
  void points() {
    QFETCH(Mode, mode);
    QFETCH(QPointF, at);
    QFETCH(QPoint, pixel);
    PictureBox box;
    box.setScaleMode(mode);
    box.setAutoSize(true);
    box.setPicture(patternImage(30, 20));
    const QImage before = box.Image();
    const bool inside = before.valid(pixel);
    if (inside) surface::setPixel(*box.hDC(), pixel.x(), pixel.y(), kInk);
    QCOMPARE(box.Point(at.x(), at.y()), inside ? kInk : colour::kInvalid);
    box.PSet(at.x(), at.y(), colour::rgb(1, 2, 3));
    if (inside) QCOMPARE(box.Image().pixel(pixel), qRgb(1, 2, 3));
    if (!inside) QCOMPARE(box.Image(), before);
  }

  void lines_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QLine>("line");  // in pixels
    QTest::addColumn<Rects>("ink");
    const Rects outline{{2, 3, 9, 1}, {2, 8, 9, 1}, {2, 3, 1, 6}, {10, 3, 1, 6}};
    for (Mode mode : {Mode::Pixels, Mode::Twips}) {
      const char* u = mode == Mode::Pixels ? "pixels" : "twips";
      QTest::addRow("across, %s", u) << mode << "line" << QLine(2, 3, 10, 3) << Rects{{2, 3, 9, 1}};
      QTest::addRow("upwards, %s", u) << mode << "line" << QLine(4, 7, 4, 1) << Rects{{4, 1, 1, 7}};
      QTest::addRow("box, %s", u) << mode << "box" << QLine(2, 3, 10, 8) << outline;
      QTest::addRow("box backwards, %s", u) << mode << "box" << QLine(10, 8, 2, 3) << outline;
      QTest::addRow("filled, %s", u)
          << mode << "filled" << QLine(10, 3, 2, 8) << Rects{{2, 3, 9, 6}};
    }
  }

  void lines() {
    QFETCH(Mode, mode);
    QFETCH(QString, kind);
    QFETCH(QLine, line);
    QFETCH(Rects, ink);
    PictureBox box;
    setUp(box, Border::FixedSingle, mode, QSize(40, 30));
    const double f = unit(mode);
    box.Line(line.x1() * f, line.y1() * f, line.x2() * f, line.y2() * f, kInk, kind != "line",
             kind == "filled");
    QCOMPARE(QPointF(box.CurrentX, box.CurrentY), QPointF(line.p2()) * f);
    QImage expected = composed(box.Image().size(), kBack, QImage());
    for (const QRect& rect : ink) QPainter(&expected).fillRect(rect, colour::toQColor(kInk));
    QCOMPARE(imageDifference(box.Image(), expected), QString());
  }

  void surfaceWritesShowInImage() {
    PictureBox box;
    setUp(box, Border::FixedSingle, Mode::Twips, QSize(24, 24));
    const QImage kept = box.Image();  // a caller's copy, which must stay as it was
    box.Line(0, 0, 150, 150, kInk);
    QImage pattern = patternImage(6, 5);
    surface::bitBlt(*box.hDC(), 8, 9, 6, 5, surface::of(pattern), 0, 0);
    surface::setPixel(*box.hDC(), 1, 18, colour::rgb(1, 2, 3));
    QCOMPARE(box.Point(15, 18 * 15), colour::rgb(1, 2, 3));
    QCOMPARE(imageDifference(box.Image().copy(8, 9, 6, 5), pattern), QString());
    QCOMPARE(colour::fromPixel(box.Image().pixel(5, 5)), kInk);
    QCOMPARE(kept, composed(kept.size(), kBack, QImage()));
  }

  void keepsDrawingWhenResized_data() {
    QTest::addColumn<bool>("shown");
    QTest::newRow("hidden") << false;
    QTest::newRow("shown") << true;
  }

  void keepsDrawingWhenResized() {
    QFETCH(bool, shown);
    PictureBox box;
    setUp(box, Border::None, Mode::Pixels, QSize(20, 15));
    if (shown) box.show();
    QVERIFY(!shown || QTest::qWaitForWindowExposed(&box));
    box.PSet(5, 5, kInk);
    box.Line(0, 14, 19, 14, colour::rgb(0, 0, 255));
    box.resize(40, 30);
    QCOMPARE(box.Image().size(), QSize(40, 30));
    QCOMPARE(box.Point(5, 5), kInk);
    QCOMPARE(box.Point(10, 14), colour::rgb(0, 0, 255));
    QCOMPARE(box.Point(30, 25), kBack);
    box.PSet(35, 25, kInk);  // the new area takes drawing at once
    QCOMPARE(box.Point(35, 25), kInk);
  }

  void mouse_data() {
    QTest::addColumn<Border>("border");
    QTest::addColumn<Mode>("mode");
    QTest::newRow("pixels, no border") << Border::None << Mode::Pixels;
    QTest::newRow("twips, single border") << Border::FixedSingle << Mode::Twips;
  }

  void mouse() {
    QFETCH(Border, border);
    QFETCH(Mode, mode);
    PictureBox box;
    setUp(box, border, mode, QSize(60, 50));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const double f = unit(mode);
    // Event, button(s), modifiers, x, y in pixels of the client area. Moves are
    // recorded without modifiers, which QTest carries over from earlier tests.
    QStringList events;
    const auto record = [&](const char* event, int buttons, int modifiers, double x, double y) {
      events << QStringLiteral("%1 %2 %3 %4,%5")
                    .arg(event)
                    .arg(buttons)
                    .arg(modifiers)
                    .arg(x / f)
                    .arg(y / f);
    };
    connect(&box, &PictureBox::mouseDown, this,
            [&](auto b, auto m, double x, double y) { record("down", b, m, x, y); });
    connect(&box, &PictureBox::mouseMove, this,
            [&](auto b, auto, double x, double y) { record("move", b, 0, x, y); });
    connect(&box, &PictureBox::mouseUp, this,
            [&](auto b, auto m, double x, double y) { record("up", b, m, x, y); });
    const QPoint origin = box.contentsRect().topLeft();
    QTest::mouseMove(&box, origin + QPoint(3, 4));  // no button held
    QTest::mousePress(&box, Qt::LeftButton, Qt::ShiftModifier, origin + QPoint(10, 5));
    QTest::mouseMove(&box, origin + QPoint(20, 15));
    QTest::mouseRelease(&box, Qt::LeftButton, Qt::ShiftModifier, origin + QPoint(25, 30));
    const int left = Qt::LeftButton, shift = Qt::ShiftModifier;
    QCOMPARE(events,
             QStringList({"move 0 0 3,4", QStringLiteral("down %1 %2 10,5").arg(left).arg(shift),
                          QStringLiteral("move %1 0 20,15").arg(left),
                          QStringLiteral("up %1 %2 25,30").arg(left).arg(shift)}));
  }
};

QTEST_MAIN(TstPictureBox)

#include "tst_picture_box.moc"
