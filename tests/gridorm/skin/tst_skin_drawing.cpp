#include <QTest>

#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_drawing.h"
#include "gridorm/skin/skin_geometry.h"
#include "tests/support/test_helpers.h"

namespace {

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
    const skin::Cell cell = skin::buttonCell(skin::kHot);
    skin::DrawSkinPart(s, 2, 2, size.width(), size.height(),
                       skin::ReadingSurface(skin_->ButtonSkin), cell, skin::kButtonMargins);
    const QImage source = skin_->ButtonSkin.copy(cell.x, cell.y, cell.width, cell.height);
    const QRect drawn(QPoint(2, 2), size);
    for (int y = 0; y < dst.height(); ++y)
      for (int x = 0; x < dst.width(); ++x)
        if (!drawn.contains(x, y)) QCOMPARE(dst.pixel(x, y), kGrey);
    if (drawn.isEmpty()) return;
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
      QVERIFY2(row < 21 && dst.copy(2, 2 + y, 3, 1) == source.copy(0, row, 3, 1),
               qPrintable(QString("row %1 is no row of the cell in order").arg(y)));
    }
  }

  void keyColourLetsTheBackgroundShow() {
    for (int state = 0; state < 4; ++state) {
      QImage dst = filled(26, 26, kGrey);
      Surface s = surface::of(dst);
      const skin::Cell cell = skin::boxCell(state);
      skin::DrawSkinPart(s, 0, 0, 13, 13, skin::ReadingSurface(skin_->BoxSkin), cell,
                         skin::kBoxMargins, skin::kKey);
      for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
          const QRgb pixel = skin_->BoxSkin.pixel(cell.x + x, cell.y + y);
          QCOMPARE(dst.pixel(x, y), pixel == rgb(skin::kKey) ? kGrey : pixel);
        }
    }
    // A system colour as key is the palette's colour: the window colour keys out white.
    QImage dst = filled(7, 21, kGrey);
    Surface s = surface::of(dst);
    skin::TransparentCopy(s, 0, 0, 7, 21, skin::ReadingSurface(skin_->ButtonSkin), 0, 0,
                          colour::kWindowBackground);
    const QImage cell = skin_->ButtonSkin.copy(0, 0, 7, 21);
    for (int i = 0; i < 7 * 21; ++i)
      QCOMPARE(dst.pixel(i % 7, i / 7) == kGrey, cell.pixel(i % 7, i / 7) == qRgb(255, 255, 255));
  }

  // clang-format off
  void bitmapsCarryTheQuotedColours_data() {
    QTest::addColumn<QString>("where");  // surface, x, y
    QTest::addColumn<uint>("colour");
    const std::pair<const char*, ColourRef> pixels[] = {
        {"button 3 0", 0x00D58F1B}, {"button 0 0", 0x00F9E1BF}, {"button 3 1", 0x00FFFFFF},
        {"button 3 63", 0x00E8C387}, {"button 3 83", 0x00E8C387}, {"combo 0 9", 0x00D1A04E},
        {"combo 4 9", 0x00D1A04E}, {"combo 11 0", 0x005F5519}, {"combo 8 0", 0x005F5519},
        {"combo 11 7", 0x00ACA584}, {"combo 10 3", skin::kKey}, {"combo 14 17", skin::kKey},
        {"mark 4 12", 0x0010A445}, {"mark 13 12", 0x0086D1A0}, {"mark 4 20", 0x0012A847},
        {"mark 13 20", 0x0088D3A3}, {"mark 17 23", skin::kKey}, {"mark 0 9", skin::kKey},
        {"box 0 0", skin::kKey}, {"box 0 6", 0x00D2A683}, {"box 6 6", skin::kWhite},
        {"box 0 19", 0x00D2A683}, {"box 0 32", 0x00C18964}, {"box 0 45", 0x00E8D2C1},
        {"box 6 45", skin::kWhite}, {"box 12 51", skin::kKey}, {"header 1 19", 0x00F2DAC0},
        {"header 3 5", 0x00FAC25E}, {"header 6 5", 0x00FAC25E}, {"header 7 19", 0x00F2DAC0}};
    for (const auto& [where, c] : pixels) QTest::newRow(where) << QString(where) << uint(c);
  }
  // clang-format on
  void bitmapsCarryTheQuotedColours() {
    QFETCH(QString, where);
    QFETCH(uint, colour);
    const QStringList parts = where.split(' ');
    const std::map<QString, QImage*> surfaces = {{"button", &skin_->ButtonSkin},
                                                 {"combo", &skin_->ComboSkin},
                                                 {"mark", &skin_->MarkSkin},
                                                 {"box", &skin_->BoxSkin},
                                                 {"header", &skin_->HeaderSkin}};
    QCOMPARE(surfaces.at(parts[0])->pixel(parts[1].toInt(), parts[2].toInt()), rgb(colour));
  }

  void geometry() {
    // Borders: half the difference, half to even; outside scroll bars are no border.
    QCOMPARE(skin::BorderSize({100, 50}, {96, 46}), QPoint(2, 2));
    QCOMPARE(skin::BorderSize({100, 50}, {97, 45}), QPoint(2, 2));
    QCOMPARE(skin::BorderSize({100, 50}, {95, 49}, 0, 0), QPoint(2, 0));
    QCOMPARE(skin::BorderSize({120, 50}, {80, 29}, 17, 17), QPoint(12, 2));
    // A button's shape loses exactly its corner pixels.
    const QRegion shape = skin::RoundedButtonRegion({10, 6});
    int inside = 0;
    for (int i = 0; i < 60; ++i) inside += shape.contains(QPoint(i % 10, i / 10));
    QCOMPARE(inside, 60 - 4);
    for (QPoint corner : {QPoint(0, 0), QPoint(9, 0), QPoint(0, 5), QPoint(9, 5)}) {
      QVERIFY(!shape.contains(corner));
      QVERIFY(shape.contains(corner + QPoint(corner.x() ? -1 : 1, 0)));
    }
    // Neighbouring header items share their boundary: the first one wins it.
    QCOMPARE(skin::itemAt({{0, 50}, {50, 120}, {1, 0}, {120, 200}}, 50), 0);
    QCOMPARE(skin::itemAt({{0, 50}, {50, 120}, {1, 0}, {120, 200}}, 51), 1);
    QCOMPARE(skin::itemAt({{0, 50}, {50, 120}, {1, 0}, {120, 200}}, 130), 3);
    QCOMPARE(skin::itemAt({{0, 50}}, 51), -1);
    // An editable combo box's drop button: 17 wide, 2 in from the edges.
    for (auto [at, inside] : {std::pair{QPoint(81, 2), true},
                              {QPoint(100, 22), true},
                              {QPoint(80, 10), false},
                              {QPoint(101, 10), false},
                              {QPoint(90, 1), false},
                              {QPoint(90, 23), false}})
      QCOMPARE(skin::inDropButtonArea({102, 24}, 19, at), inside);
  }

  void progressShareOfItsRange() {
    QCOMPARE(skin::ProgressFraction(15000, 0, 30000), 0.5);
    QCOMPARE(skin::ProgressFraction(42, 0, 100), 0.42);
    QCOMPARE(skin::ProgressFraction(-10, 0, 100), 0.0);
    QCOMPARE(skin::ProgressFraction(300, 0, 100), 1.0);
    QCOMPARE(skin::ProgressFraction(5, 5, 5), 0.0);
    QCOMPARE(skin::ProgressFraction(0, INT_MIN, INT_MAX), 2147483648.0 / 4294967295.0);
  }
};

QTEST_MAIN(TstSkinDrawing)

#include "tst_skin_drawing.moc"
