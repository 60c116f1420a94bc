#include <QtTest>
#include <QtWidgets>
#include <thread>

#include "common/fonts.h"
#include "common/picture_box.h"
#include "common/surface.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

namespace {

using Mode = PictureBox::ScaleMode;
constexpr ColourRef kBack = colour::rgb(10, 20, 30), kInk = colour::rgb(255, 0, 0);  // Qt::red

// A borderless box of 40 x 40 pixels; returns the mode's units a pixel.
double setUp(PictureBox& box, Mode mode, const QImage& picture = QImage()) {
  box.setBorder(PictureBox::Border::None);
  box.setScaleMode(mode);
  box.setBackColor(kBack);
  box.setPicture(picture);
  box.resize(40, 40);
  return mode == Mode::Twips ? 15 : 1;
}

}  // namespace

// The box's mode, and the faces and pieces of the line printed.
using Printed = std::tuple<PictureBox::ScaleMode, QStringList, QStringList>;

class TstPictureBox : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // A symbol-encoded face (fonts-urw-base35, which scripts/install-deps.sh installs).
    QVERIFY(QFontDatabase::addApplicationFont(
                "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf") >= 0);
  }

  // Positions land on the nearest pixel, a half going to the even one. A line
  // w pixels wide is centred on its pixels (the odd one above or left) with
  // square ends; a picture is scaled to the nearest pixel. Overlay lines are
  // shown over the image and never enter it.
  void drawsOnWholePixels_data() {
    QTest::addColumn<Mode>("mode");
    QTest::newRow("pixels") << Mode::Pixels;
    QTest::newRow("twips") << Mode::Twips;
  }
  void drawsOnWholePixels() {
    QFETCH(Mode, mode);
    PictureBox box;
    const double u = setUp(box, mode);
    QVERIFY(exposed(&box));
    // What the screen shows once the box has had its events, no repaint forced.
    const auto shown = [&] { return QCoreApplication::processEvents(), onScreen(&box); };
    shown();
    QImage expected = filled(40, 40, colour::toPixel(kBack)), picture = patternImage(3, 2);
    QPainter painter(&expected);
    for (int width = 1; width <= 3; ++width) {  // from (2, y) to (18, y), y = 4, 10, 16
      const int y = 6 * width - 2, before = width / 2, after = (width - 1) / 2;
      box.setDrawWidth(width);
      box.Line(2.5 * u, (y + 0.5) * u, 17.5 * u, (y + 0.5) * u, kInk);
      painter.fillRect(QRect(QPoint(2 - before, y - before), QPoint(18 + after, y + after)),
                       Qt::red);
    }
    QCOMPARE(QPointF(box.CurrentX, box.CurrentY), QPointF(17.5, 16.5) * u);
    QCOMPARE(imageDifference(shown(), expected), QString());
    box.PaintPicture(picture, 2.5 * u, 24.5 * u);
    box.PaintPicture(picture, 20.5 * u, 24.5 * u, 6 * u, 4 * u);
    painter.drawImage(2, 24, picture);
    painter.drawImage(20, 24, picture.scaled(6, 4));
    painter.end();
    QCOMPARE(imageDifference(shown(), expected), QString());
    box.setOverlayLine(1, {QLineF(0, 35 * u, 40 * u, 35 * u), colour::rgb(0, 0, 255)});
    QCOMPARE(shown().pixel(10, 35), qRgb(0, 0, 255));  // over the image, never in it
    QCOMPARE(imageDifference(box.Image(), expected), QString());
    box.setPicture(picture);  // a new picture, then a back colour, show at once
    QCOMPARE(shown().pixel(0, 0), picture.pixel(0, 0));
    box.setBackColor(colour::rgb(0, 128, 0));
    QCOMPARE(shown().pixel(30, 2), qRgb(0, 128, 0));
  }

  // The line box's top-left lands on the current point's pixel, (4, 8), and
  // the current point moves to the start of the next line. A face draws the
  // letters it has, and a symbol face, which Qt never falls back from, lends
  // the others (𠮟 beyond 16 bits too) to the CJK faces (face ""), on one
  // baseline below the larger ascent. Opaque text stands on a box of the background colour.
  void print_data() {
    QTest::addColumn<Printed>("row");
    QTest::newRow("pixels") << Printed{Mode::Pixels, {"DejaVu Sans"}, {"Hg"}};
    QTest::newRow("twips") << Printed{Mode::Twips, {"DejaVu Sans"}, {"Hg"}};
    QTest::newRow("symbols") << Printed{Mode::Pixels, {"Standard Symbols PS", ""}, {"a", "𠮟大"}};
  }
  void print() {
    QFETCH(Printed, row);
    const auto& [mode, faces, pieces] = row;
    const auto fontOf = [](const QString& face) {
      return QFont(face.isEmpty() ? fonts::cjkFallback() : QStringList{face}, 9);
    };
    for (bool transparent : {true, false}) {
      PictureBox box;
      QImage expected = patternImage(40, 40);
      const double u = setUp(box, mode, expected);
      QVERIFY(exposed(&box));
      box.setFont(fontOf(faces[0]));
      box.setForeColor(kInk);
      box.setFontTransparent(transparent);
      box.CurrentX = 4.5 * u, box.CurrentY = 7.5 * u;
      QCoreApplication::processEvents();  // shown before the text
      // Placed here and drawn on another thread, as long operations do, the same text.
      QImage drawnElsewhere = box.Image();
      const PictureBox::TextPlacement placed = box.placeText(pieces.join(QString()));
      std::thread([&] { PictureBox::drawText(drawnElsewhere, placed); }).join();
      box.CurrentX = 4.5 * u, box.CurrentY = 7.5 * u;
      box.Print(pieces.join(QString()));
      QCOMPARE(drawnElsewhere, box.Image());
      // The platform's own text output, piece by piece, from (4, 8).
      int width = 0, ascent = 0, descent = 0;
      for (int i = 0; i < faces.size(); ++i) {
        const QFontMetrics metrics(fontOf(faces[i]), &expected);
        width += metrics.horizontalAdvance(pieces[i]);
        ascent = std::max(ascent, metrics.ascent());
        descent = std::max(descent, metrics.descent());
      }
      const int next = QFontMetrics(box.font(), &expected).height();
      QCOMPARE(QPointF(box.CurrentX, box.CurrentY), QPointF(0, (7.5 + next) * u));
      QCOMPARE(box.TextWidth(pieces.join(QString())), width * u);
      QPainter painter(&expected);
      if (!transparent) painter.fillRect(4, 8, width, ascent + descent, colour::toQColor(kBack));
      painter.setPen(Qt::red);
      for (int x = 4, i = 0; i < faces.size(); ++i) {
        painter.setFont(fontOf(faces[i]));
        painter.drawText(x, 8 + ascent, pieces[i]);
        x += painter.fontMetrics().horizontalAdvance(pieces[i]);
      }
      painter.end();
      QCoreApplication::processEvents();  // the screen as the box left it, no repaint forced
      QCOMPARE(imageDifference(onScreen(&box), expected), QString());
    }
  }

  // What the box's device context and its drawn layer (a dot at (3, 3) over
  // An opaque picture that fills its box is shown without copying its pixels
  // (a large one would hold the window up), yet what is drawn on the box never
  // reaches the caller's picture, and Cls brings the picture back.
  void fillingPictureIsNotCopied() {
    PictureBox box;
    box.setAutoSize(true);
    const QImage picture = patternImage(12, 9).convertToFormat(QImage::Format_RGB32),
                 before = picture.copy();
    box.setPicture(picture);
    QCOMPARE(box.Image().constBits(), picture.constBits());
    box.PSet(2, 2, kInk);
    surface::setPixel(*box.hDC(), 4, 4, kInk);
    QVERIFY(picture == before && box.Point(2, 2) == kInk && box.Point(4, 4) == kInk);
    box.Cls();
    QCOMPARE(box.Image(), before);
  }

  // a picture) come to when the box changes as the row's name says.
  void deviceContextAndDrawnLayer_data() {
    QTest::addColumn<bool>("usable");  // the context still reaches the image
    QTest::addColumn<bool>("kept");    // the dot is still drawn
    QTest::newRow("none") << true << true;
    QTest::newRow("resize") << false << true;
    QTest::newRow("new picture") << false << false;
    QTest::newRow("back colour") << true << false;
    QTest::newRow("box deleted") << false << false;
  }
  void deviceContextAndDrawnLayer() {
    const QByteArray change = QTest::currentDataTag();
    QFETCH(bool, usable);
    auto owner = std::make_unique<PictureBox>();  // hidden: it learns its size when used
    QPointer<PictureBox> box = owner.get();
    setUp(*box, Mode::Pixels, patternImage(10, 8));
    box->PSet(3, 3, kInk);
    std::optional<DeviceContext> dc = box->hDC();
    if (change == "resize") box->resize(50, 30);
    if (change == "resize") QCOMPARE(box->Point(45, 25), kBack);  // read at once: at its new size
    if (change == "new picture") box->setPicture(patternImage(2, 2));
    if (change == "back colour") box->setBackColor(colour::rgb(40, 50, 60));
    if (change == "box deleted") owner.reset();
    if (box) QCOMPARE(box->Image().size(), box->contentsRect().size());  // the image fills it
    surface::setPixel(**dc, 20, 20, kInk);  // nothing, on an empty surface
    QCOMPARE((*dc)->bits != nullptr, usable);
    if (!box) return;
    QTEST(box->Point(3, 3) == kInk, "kept");
    QCOMPARE(box->Point(20, 20) == kInk, usable);
    if (change != "none") return;
    // What goes through the context reaches the screen once it is released.
    QVERIFY(exposed(box));
    surface::setPixel(**dc, 21, 21, kInk);
    const auto shown = [&] { return onScreen(box).pixel(21, 21); };
    QCoreApplication::processEvents();
    QCOMPARE(shown(), colour::toPixel(kBack));
    *dc = DeviceContext();  // released by taking an empty one in its place
    QTRY_COMPARE(shown(), colour::toPixel(kInk));
  }
};

QTEST_MAIN(TstPictureBox)

#include "tst_picture_box.moc"
