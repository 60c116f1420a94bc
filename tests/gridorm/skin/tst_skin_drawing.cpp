#include <QTest>
#include <QtGui>

#include "gridorm/skin/button_face.h"
#include "gridorm/skin/control_painters.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_drawing.h"
#include "gridorm/skin/skin_geometry.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

namespace {

using namespace skin;
const QRgb kGrey = qRgb(128, 128, 128);
QRgb rgb(ColourRef c) { return colour::toPixel(c); }

}  // namespace

class TstSkinDrawing : public QObject {
  Q_OBJECT

  std::unique_ptr<SkinBitmaps> skin_ = BuildSkinBitmaps();

 private slots:
  // The hot button cell (7 x 21, margins 3) drawn at (2, 2) in many sizes.
  void skinPartKeepsItsCorners_data() {
    QTest::addColumn<QSize>("size");
    for (QSize size : {QSize(20, 60), QSize(7, 21), QSize(50, 8), QSize(6, 6), QSize(4, 4),
                       QSize(2, 30), QSize(0, 10), QSize(-5, 10)})
      QTest::addRow("%dx%d", size.width(), size.height()) << size;
  }
  void skinPartKeepsItsCorners() {
    QFETCH(QSize, size);
    QImage dst = filled(60, 70, kGrey);
    Surface s = surface::of(dst);
    const Cell cell = buttonCell(kHot);
    const int w = size.width(), h = size.height();
    DrawSkinPart(s, 2, 2, w, h, ReadingSurface(skin_->ButtonSkin), cell, kButtonMargins);
    const QImage source = skin_->ButtonSkin.copy(cell.x, cell.y, cell.width, cell.height);
    QImage outside = dst;  // nothing is drawn outside the place
    QPainter(&outside).fillRect(QRect(QPoint(2, 2), size), kGrey);
    QCOMPARE(outside, filled(60, 70, kGrey));
    if (size.isEmpty()) return;
    // Corners unscaled (clipped, or one over another, in a smaller place);
    // between them each row is one row of the cell stretched, in its order.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        QList<QRgb> corners;
        for (int right : {0, 1})
          for (int bottom : {0, 1})
            if (const int cx = x - right * (w - 3), cy = y - bottom * (h - 3);
                cx >= 0 && cx < 3 && cy >= 0 && cy < 3)
              corners << source.pixel(right * 4 + cx, bottom * 18 + cy);
        QVERIFY(corners.isEmpty() || corners.contains(dst.pixel(2 + x, 2 + y)));
      }
    int row = 0;
    for (int y = 3; y < h - 3 && w >= 7; ++y) {
      while (row < 21 && source.pixel(3, row) != dst.pixel(2 + w / 2, 2 + y)) ++row;
      QVERIFY2(row < 21 && dst.copy(2, 2 + y, 3, 1) == source.copy(0, row, 3, 1), "in order");
    }
  }

  // Grey only when disabled, and in the middle: a button without an icon has Qt's icon size
  // all the same.
  void captionsGreyOnlyWhenDisabledAndCentred() {
    const ButtonLook look{{80, 24}, "保存", QFont(), false, {}, {16, 16}};
    for (int state = 0; state < 4; ++state) {
      const QImage image = ButtonStateImage(*skin_, look, state);
      const QRect grey = inkOf(image, rgb(kCaptionDisabled)), black = inkOf(image, rgb(kCaption));
      QCOMPARE(grey.isEmpty() + 2 * black.isEmpty(), state == kDisabled ? 2 : 1);  // either ink
      const QRect ink = grey | black;
      QVERIFY(std::abs(ink.left() + ink.right() - 79) <= 2);
    }
  }

  // The dotted focus rectangle: every other pixel of each side, from the side's
  // top or left end on, even at the surface's own first row and column.
  void focusRectangleIsDotted() {
    QImage dst = filled(9, 7, kGrey), expected = dst;
    Surface s = surface::of(dst);
    FocusRect(s, 0, 0, 8, 7, kCaption);
    FocusRect(s, 8, 0, 0, 7, kCaption);  // of no width, neither draws anything
    FrameRect(s, 8, 0, 0, 7, kCaption);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 8; ++x)
        if (((y == 0 || y == 6) && x % 2 == 0) || ((x == 0 || x == 7) && y % 2 == 0))
          expected.setPixel(x, y, 0xFF000000);
    QCOMPARE(imageDifference(dst, expected), QString());
  }

  // A caption beside an icon is cut only when it does not fit: the file
  // dialog's "Open" reads "Open", not "Op…". Its ink is that of the same
  // caption drawn with all the room in the world (an elided one has far less).
  void captionsBesideIconsAreWhole_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("points");
    for (const char* text : {"Open", "&Open", "Save"}) QTest::newRow(text) << QString(text) << 9.0;
    QTest::newRow("Cancel") << QString("Cancel") << 10.0;
  }
  void captionsBesideIconsAreWhole() {
    QFETCH(QString, text);
    QFETCH(double, points);
    QFont font;
    font.setPointSizeF(points);
    QPixmap clear(16, 16);  // an icon that takes room and shows nothing
    clear.fill(Qt::transparent);
    const auto ink = [&](int width, bool icon) {
      const QSize iconSize = icon ? QSize(16, 16) : QSize();
      ButtonLook look{{width, 26}, text, font, false, icon ? QIcon(clear) : QIcon(), iconSize};
      const QImage with = ButtonStateImage(*skin_, look, kNormal);
      look.text.clear();
      const QImage without = ButtonStateImage(*skin_, look, kNormal);
      qint64 sum = 0;
      for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
          sum += std::abs(qGray(with.pixel(x, y)) - qGray(without.pixel(x, y)));
      return sum;
    };
    const double share = double(ink(80, true)) / double(ink(400, false));
    QVERIFY2(share > 0.9 && share < 1.1, qPrintable(QString::number(share)));
  }

  // Each cell at its corners and the middles of its edges, and where a colour
  // is quoted for a cell's inside, there: "surface x,y=colour ...;", colours
  // as ColourRef hex (FF00FF is the key colour).
  void bitmapsCarryTheQuotedColours_data() {
    QTest::addColumn<uint>("colour");  // at the surface, x and y of the row's name
    const QString table =
        "button 3,0=D58F1B 0,0=F9E1BF 3,83=E8C387 6,20=F9E1BF 0,31=D58F1B 0,42=F9E1BF 6,52=D58F1B"
        " 0,1=D58F1B 3,62=D58F1B 0,73=E8C387 3,1=FFFFFF 3,3=FCF8F1 3,19=EAD0B1 3,22=FCEED2"
        " 3,40=F2D4A7 3,43=F3D49F 3,61=FDEAC3 3,64=FBF7F2 3,82=F3E3D2 5,19=EAD0B1 1,40=F2D4A7;"
        "combo 8,0=5F5519 14,0=5F5519 11,3=5F5519 0,0=D1A04E 4,17=D1A04E 2,0=FFF9E8 6,0=F3E1BE"
        " 1,0=FFF9E8 5,17=FEF8E6 6,17=FEF8E6 8,4=ACA584 11,7=ACA584 10,3=FF00FF 8,7=FF00FF"
        " 14,17=FF00FF;mark 0,0=FF00FF 4,4=13A948 13,4=87D3A2 4,12=10A445 13,12=86D1A0 2,18=FF00FF"
        " 4,20=12A847 13,20=88D3A3 0,9=FF00FF 17,23=FF00FF;box 0,0=FF00FF 0,6=D2A683 1,6=FFFFFF"
        " 0,19=D2A683 6,6=FFFFFF 0,32=C18964 0,45=E8D2C1 6,45=FFFFFF;header 1,19=F2DAC0 0,19=F2DAC0"
        " 4,19=F2DAC0 8,19=F2DAC0 1,0=FEF5EA 1,18=F6E5D3 4,0=FEEED3 4,18=FDE0AE 7,0=FBD797"
        " 7,18=FFE8B3 3,10=FAC25E 6,5=FAC25E;";
    for (const QString& surface : table.split(';', Qt::SkipEmptyParts)) {
      const QStringList entries = surface.split(' ');
      for (const QString& entry : entries.mid(1)) {
        const QString where = entries[0] + ' ' + entry.section('=', 0, 0).replace(',', ' ');
        QTest::newRow(qPrintable(where)) << rgb(entry.section('=', 1).toUInt(nullptr, 16));
      }
    }
  }
  void bitmapsCarryTheQuotedColours() {
    const QStringList at = QString(QTest::currentDataTag()).split(' ');
    const QImage* surfaces[] = {&skin_->ButtonSkin, &skin_->ComboSkin, &skin_->MarkSkin,
                                &skin_->BoxSkin, &skin_->HeaderSkin};
    const auto index = QStringList{"button", "combo", "mark", "box", "header"}.indexOf(at[0]);
    QTEST(surfaces[index]->pixel(at[1].toInt(), at[2].toInt()), "colour");
    // The header's cells are painted to their edges: white is only the normal one's highlight.
    QCOMPARE(inkOf(skin_->HeaderSkin, qRgb(255, 255, 255)), QRect(0, 0, 1, 1));
  }

  void geometry() {
    // Borders: half the difference, half to even; outside scroll bars are no border.
    QCOMPARE(BorderSize({100, 50}, {97, 45}), QPoint(2, 2));
    QCOMPARE(BorderSize({120, 50}, {80, 29}, 17, 17), QPoint(12, 2));
    // Neighbouring header items share their boundary, and the first one has it.
    const QList<ItemSpan> items{{0, 50}, {50, 120}, {1, 0}, {120, 200}};
    QCOMPARE(QList({itemAt(items, 50), itemAt(items, 51), itemAt(items, 130), itemAt(items, 201)}),
             QList({0, 1, 3, -1}));
    // An editable combo box's drop button: as wide as a scroll bar, 2 in from the edges.
    for (QPoint at : {QPoint(81, 2), QPoint(100, 22)}) QVERIFY(inDropButtonArea({102, 24}, 19, at));
    for (QPoint at : {QPoint(80, 10), QPoint(101, 10), QPoint(90, 1), QPoint(90, 23)})
      QVERIFY(!inDropButtonArea({102, 24}, 19, at));
    // A progress bar's share never leaves 0..1, nor overflows.
    QCOMPARE(ProgressFraction(0, INT_MIN, INT_MAX), 2147483648.0 / 4294967295.0);
    QCOMPARE(ProgressFraction(-10, 0, 100) + ProgressFraction(300, 0, 100), 1.0);
  }
};

QTEST_MAIN(TstSkinDrawing)

#include "tst_skin_drawing.moc"
