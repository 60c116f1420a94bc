#include <QtTest>

#include <zstd.h>
#include <QPainter>
#include <cmath>
#include <limits>

#include "rotaskiv/excel_property_bag.h"
#include "tests/support/image_compare.h"

namespace {

QByteArray zstdFrame(const QImage& image) {
  QByteArray frame(qsizetype(ZSTD_compressBound(size_t(image.sizeInBytes()))), Qt::Uninitialized);
  frame.resize(qsizetype(ZSTD_compress(frame.data(), size_t(frame.size()), image.constBits(),
                                       size_t(image.sizeInBytes()), 1)));
  return frame;
}

// A blob laid out by hand as the header documents, so that each bad blob
// below differs from a good one in exactly one field.
struct Fields {
  quint32 magic = 0x45504247;
  quint16 version = 2;
  QString key = QStringLiteral("pic");
  qint32 width = 6;
  qint32 height = 4;
  double ratio = 1.0;
  qint32 format = QImage::Format_RGB32;
  QList<quint32> colours;
  QByteArray pixels = zstdFrame(patternImage(6, 4));
};

QByteArray handMade(const Fields& f) {
  QByteArray blob;
  QDataStream out(&blob, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << f.magic << f.version << f.key << f.width << f.height << f.ratio << f.format
      << quint32(f.colours.size());
  for (quint32 c : f.colours) out << c;
  out << f.pixels;
  return blob;
}

QImage withAlpha(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgba(x * 29 % 256, y * 53 % 256, 200, (x * 17 + y * 5) % 256));
  return image;
}

// Mostly flat colour, lines of text and a few gradients, like a desktop.
QImage screenshotLike() {
  QImage image(3840, 2160, QImage::Format_RGB32);
  image.fill(QColor(0xF0, 0xF0, 0xF0));
  QPainter p(&image);
  p.fillRect(0, 0, 3840, 48, QColor(0x2B, 0x57, 0x9A));
  QLinearGradient sky(0, 48, 0, 400);
  sky.setColorAt(0, Qt::white);
  sky.setColorAt(1, QColor(190, 205, 230));
  p.fillRect(0, 48, 3840, 352, sky);
  p.setPen(Qt::black);
  for (int y = 430; y < 2100; y += 20)
    p.drawText(40, y,
               QStringLiteral("第 %1 行 — the quick brown fox jumps over the lazy dog").arg(y));
  for (int i = 0; i < 12; ++i)
    p.fillRect(2400 + i * 110, 600, 90, 90, QColor::fromHsv(i * 30, 180, 220));
  return image;
}

class TestExcelPropertyBag : public QObject {
  Q_OBJECT

 private slots:
  void roundTripKeepsEveryPixel_data();
  void roundTripKeepsEveryPixel();
  void nullPictureReadsBackNull();
  void handMadeBlobReads();
  void foreignBlobReadsNull_data();
  void foreignBlobReadsNull();
  void truncatedBlobReadsNull();
  void screenshotBlobIsSmall();
};

void TestExcelPropertyBag::roundTripKeepsEveryPixel_data() {
  QTest::addColumn<QImage>("picture");
  QImage retina = patternImage(20, 10);
  retina.setDevicePixelRatio(2);
  QImage indexed = patternImage(11, 7).convertToFormat(QImage::Format_Indexed8);
  QImage mono(13, 5, QImage::Format_Mono);  // 13 bits: a row ends mid-byte
  mono.setColorTable({qRgb(10, 20, 30), qRgb(240, 230, 220)});
  for (int y = 0; y < mono.height(); ++y)
    for (int x = 0; x < mono.width(); ++x) mono.setPixel(x, y, (x * y + x) % 3 == 0);
  QTest::newRow("1 x 1") << patternImage(1, 1);
  QTest::newRow("RGB32") << patternImage(37, 23);
  QTest::newRow("ARGB32") << withAlpha(19, 8);
  QTest::newRow("premultiplied") << withAlpha(19, 8).convertToFormat(
      QImage::Format_ARGB32_Premultiplied);
  QTest::newRow("RGB888, padded rows") << patternImage(5, 3).convertToFormat(QImage::Format_RGB888);
  QTest::newRow("indexed") << indexed;
  QTest::newRow("mono") << mono;
  QTest::newRow("RGBA64") << withAlpha(7, 3).convertToFormat(QImage::Format_RGBA64);
  QTest::newRow("device pixel ratio 2") << retina;
  QTest::newRow("1 x 1 at 1.25") << [] {
    QImage one = withAlpha(1, 1);
    one.setDevicePixelRatio(1.25);
    return one;
  }();
}

void TestExcelPropertyBag::roundTripKeepsEveryPixel() {
  QFETCH(QImage, picture);
  const ExcelPropertyBag bag;
  const QImage back = bag.ReadP(bag.WriteP(picture));
  QCOMPARE(back.format(), picture.format());
  QCOMPARE(back.colorTable(), picture.colorTable());
  QCOMPARE(back, picture);  // size and every pixel
  QCOMPARE(back.devicePixelRatio(), picture.devicePixelRatio());
}

void TestExcelPropertyBag::nullPictureReadsBackNull() {
  const ExcelPropertyBag bag;
  const QByteArray blob = bag.WriteP(QImage());
  QVERIFY(!blob.isEmpty());
  QVERIFY(bag.ReadP(blob).isNull());
}

void TestExcelPropertyBag::handMadeBlobReads() {
  // The good blob the bad ones below are made from.
  const QImage back = ExcelPropertyBag().ReadP(handMade(Fields()));
  QVERIFY2(imageDifference(back, patternImage(6, 4)).isEmpty(),
           qPrintable(imageDifference(back, patternImage(6, 4))));
}

void TestExcelPropertyBag::foreignBlobReadsNull_data() {
  QTest::addColumn<QByteArray>("blob");
  const QByteArray good = ExcelPropertyBag().WriteP(patternImage(6, 4));
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    patternImage(6, 4).save(&buffer, "png");
  }
  QByteArray garbage(200, '\0');
  for (int i = 0; i < garbage.size(); ++i) garbage[i] = char(i * 37 + 11);
  QTest::newRow("empty") << QByteArray();
  QTest::newRow("garbage") << garbage;
  QTest::newRow("a PNG file") << png;
  QTest::newRow("one byte too many") << good + '\0';

  auto row = [](const char* name, auto change) {
    Fields f;
    change(f);
    QTest::newRow(name) << handMade(f);
  };
  row("other magic", [](Fields& f) { f.magic ^= 1; });
  row("version 3", [](Fields& f) { f.version = 3; });
  row("version 0", [](Fields& f) { f.version = 0; });
  row("other key", [](Fields& f) { f.key = QStringLiteral("pix"); });
  row("zero width", [](Fields& f) { f.width = 0; });
  row("negative height", [](Fields& f) { f.height = -4; });
  row("invalid format", [](Fields& f) { f.format = QImage::Format_Invalid; });
  row("unknown format", [](Fields& f) { f.format = QImage::NImageFormats; });
  row("ratio 0", [](Fields& f) { f.ratio = 0; });
  row("ratio NaN", [](Fields& f) { f.ratio = std::numeric_limits<double>::quiet_NaN(); });
  row("300 colours", [](Fields& f) { f.colours = QList<quint32>(300, 0xFF000000); });
  row("pixels for a smaller picture", [](Fields& f) { f.width = 7; });
  row("no pixels", [](Fields& f) { f.pixels.clear(); });
  // Must be refused before anything of that size is allocated.
  row("a huge picture", [](Fields& f) { f.width = f.height = 1 << 20; });
  row("pixels beyond the colour table", [](Fields& f) {
    QImage indexed(f.width = 8, f.height, QImage::Format_Indexed8);
    indexed.fill(5);
    f.format = indexed.format();
    f.colours = {0xFF000000, 0xFFFFFFFF};
    f.pixels = zstdFrame(indexed);
  });
  row("sizes whose product overflows",
      [](Fields& f) { f.width = f.height = std::numeric_limits<qint32>::max(); });
  // 32 MB of bits, but more pixels than we agree to hold.
  row("too many pixels in few bits", [](Fields& f) {
    QImage mono(f.width = 16384, f.height = 16392, QImage::Format_Mono);
    mono.fill(0);
    f.format = mono.format();
    f.pixels = zstdFrame(mono);
  });
}

void TestExcelPropertyBag::foreignBlobReadsNull() {
  QFETCH(QByteArray, blob);
  QVERIFY(ExcelPropertyBag().ReadP(blob).isNull());
}

void TestExcelPropertyBag::truncatedBlobReadsNull() {
  const ExcelPropertyBag bag;
  const QByteArray blob = bag.WriteP(withAlpha(9, 5));
  QVERIFY(!bag.ReadP(blob).isNull());
  for (qsizetype n = 0; n < blob.size(); ++n)
    QVERIFY2(bag.ReadP(blob.left(n)).isNull(), qPrintable(QString::number(n)));
}

void TestExcelPropertyBag::screenshotBlobIsSmall() {
  // The undo history keeps ~100 of these for a 4K screen.
  const QImage screen = screenshotLike();
  const ExcelPropertyBag bag;
  const QByteArray blob = bag.WriteP(screen);
  QVERIFY2(blob.size() < screen.sizeInBytes() / 10, qPrintable(QString::number(blob.size())));
  // Spare capacity would count in memory just the same.
  QVERIFY2(blob.capacity() - blob.size() < 1024, qPrintable(QString::number(blob.capacity())));
  QCOMPARE(bag.ReadP(blob), screen);
}

}  // namespace

QTEST_MAIN(TestExcelPropertyBag)

#include "tst_excel_property_bag.moc"
