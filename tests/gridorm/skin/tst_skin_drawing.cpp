#include <QPainter>
#include <QTest>

#include "gridorm/skin/button_face.h"
#include "gridorm/skin/control_painters.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_drawing.h"
#include "gridorm/skin/skin_geometry.h"
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
    DrawSkinPart(s, 2, 2, size.width(), size.height(), ReadingSurface(skin_->ButtonSkin), cell,
                 kButtonMargins);
    const QImage source = skin_->ButtonSkin.copy(cell.x, cell.y, cell.width, cell.height);
    QImage outside = dst;  // nothing is drawn outside the place
    QPainter(&outside).fillRect(QRect(QPoint(2, 2), size), kGrey);
    QCOMPARE(outside, filled(60, 70, kGrey));
    if (size.isEmpty()) return;
    // Corners unscaled (clipped, or one over another, in a smaller place);
    // between them each row is one row of the cell stretched, in its order.
    const int w = size.width(), h = size.height();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        QList<QRgb> corners;
        for (int right : {0, 1})
          for (int bottom : {0, 1}) {
            const int cx = right ? x - (w - 3) : x, cy = bottom ? y - (h - 3) : y;
            if (cx >= 0 && cx < 3 && cy >= 0 && cy < 3)
              corners << source.pixel(right * 4 + cx, bottom * 18 + cy);
          }
        QVERIFY(corners.isEmpty() || corners.contains(dst.pixel(2 + x, 2 + y)));
      }
    int row = 0;
    for (int y = 3; y < h - 3 && w >= 7; ++y) {
      while (row < 21 && source.pixel(3, row) != dst.pixel(2 + w / 2, 2 + y)) ++row;
      QVERIFY2(row < 21 && dst.copy(2, 2 + y, 3, 1) == source.copy(0, row, 3, 1), "in order");
    }
  }

  void keyColourLetsTheBackgroundShow() {
    QImage dst = filled(13, 52, kGrey);
    Surface s = surface::of(dst);
    DrawSkinPart(s, 0, 0, 13, 52, ReadingSurface(skin_->BoxSkin), {0, 0, 13, 52}, kBoxMargins,
                 kKey);
    for (int i = 0; i < 13 * 52; ++i) {
      const QRgb pixel = skin_->BoxSkin.pixel(i % 13, i / 13);
      QCOMPARE(dst.pixel(i % 13, i / 13), pixel == rgb(kKey) ? kGrey : pixel);
    }
  }

  void captionsAreGreyOnlyWhenDisabled() {
    const ButtonLook look{{80, 24}, "保存", QFont(), false, {}, {}};
    for (int state = 0; state < 4; ++state) {
      const QImage image = ButtonStateImage(*skin_, look, state);
      const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
      const auto count = [&](ColourRef c) { return std::count(pixels, pixels + 1920, rgb(c)); };
      QCOMPARE(count(kCaptionDisabled) > 0, state == kDisabled);
      QCOMPARE(count(kCaption) > 0, state != kDisabled);
    }
  }

  // clang-format off
  void bitmapsCarryTheQuotedColours_data() {
    QTest::addColumn<QString>("where");  // surface, x, y
    QTest::addColumn<uint>("colour");
    const std::pair<const char*, ColourRef> pixels[] = {
        {"button 3 0", 0x00D58F1B}, {"button 0 0", 0x00F9E1BF}, {"button 3 83", 0x00E8C387},
        {"combo 8 0", 0x005F5519}, {"combo 4 9", 0x00D1A04E}, {"combo 11 7", 0x00ACA584},
        {"combo 10 3", kKey}, {"mark 4 12", 0x0010A445}, {"mark 13 12", 0x0086D1A0},
        {"mark 4 20", 0x0012A847}, {"mark 13 20", 0x0088D3A3}, {"mark 0 9", kKey}, {"box 0 0", kKey},
        {"box 0 6", 0x00D2A683}, {"box 6 6", kWhite}, {"box 0 32", 0x00C18964},
        {"box 0 45", 0x00E8D2C1}, {"header 1 19", 0x00F2DAC0}, {"header 6 5", 0x00FAC25E}};
    for (const auto& [where, c] : pixels) QTest::newRow(where) << QString(where) << uint(c);
  }
  // clang-format on
  void bitmapsCarryTheQuotedColours() {
    QFETCH(QString, where);
    QFETCH(uint, colour);
    const QStringList at = where.split(' ');
    const QImage* surfaces[] = {&skin_->ButtonSkin, &skin_->ComboSkin, &skin_->MarkSkin,
                                &skin_->BoxSkin, &skin_->HeaderSkin};
    const auto index = QStringList{"button", "combo", "mark", "box", "header"}.indexOf(at[0]);
    QCOMPARE(surfaces[index]->pixel(at[1].toInt(), at[2].toInt()), rgb(colour));
  }

  void geometry() {
    // Borders: half the difference, half to even; outside scroll bars are no border.
    QCOMPARE(BorderSize({100, 50}, {97, 45}), QPoint(2, 2));
    QCOMPARE(BorderSize({120, 50}, {80, 29}, 17, 17), QPoint(12, 2));
    // A button's shape is its rectangle without the four corner pixels.
    const QRegion corners =
        QRegion(0, 0, 1, 1) + QRegion(9, 0, 1, 1) + QRegion(0, 5, 1, 1) + QRegion(9, 5, 1, 1);
    QCOMPARE(RoundedButtonRegion({10, 6}) ^ QRegion(0, 0, 10, 6), corners);
    // Neighbouring header items share their boundary, and the first one has it.
    const QList<ItemSpan> items{{0, 50}, {50, 120}, {1, 0}, {120, 200}};
    QCOMPARE(QList({itemAt(items, 50), itemAt(items, 51), itemAt(items, 130), itemAt(items, 201)}),
             QList({0, 1, 3, -1}));
    // An editable combo box's drop button: as wide as a scroll bar, 2 in from the edges.
    for (QPoint at : {QPoint(81, 2), QPoint(100, 22)}) QVERIFY(inDropButtonArea({102, 24}, 19, at));
    for (QPoint at : {QPoint(80, 10), QPoint(101, 10), QPoint(90, 1), QPoint(90, 23)})
      QVERIFY(!inDropButtonArea({102, 24}, 19, at));
    // A fade from nothing to opaque takes 86 ticks.
    int ticks = 1;
    for (FadeTick tick = fadeTick(0); !tick.finished; ++ticks) tick = fadeTick(tick.nextOpacity);
    QCOMPARE(ticks, 86);
    // A progress bar's share never leaves 0..1, nor overflows.
    QCOMPARE(ProgressFraction(0, INT_MIN, INT_MAX), 2147483648.0 / 4294967295.0);
    QCOMPARE(ProgressFraction(-10, 0, 100) + ProgressFraction(300, 0, 100), 1.0);
  }
};

QTEST_MAIN(TstSkinDrawing)

#include "tst_skin_drawing.moc"
