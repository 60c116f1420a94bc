#include <QtTest>

#include "rotaskiv/excel_property_bag.h"
#include "tests/support/image_compare.h"

QImage withAlpha(int width, int height, qreal dpr = 1) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int i = 0; i < width * height; ++i)
    image.setPixel(i % width, i / width, qRgba(i * 29 % 256, i * 53 % 256, 200, i * 17 % 256));
  image.setDevicePixelRatio(dpr);
  return image;
}

// A good blob of a 6 x 4 picture with `bytes` written over it at `at`. The
// layout: magic 0-3, version 4-5, the key "pic" 6-15, width 16-19, height 20-23.
QByteArray patched(int at, const QByteArray& bytes) {
  return ExcelPropertyBag().WriteP(patternImage(6, 4)).replace(at, bytes.size(), bytes);
}

class TestExcelPropertyBag : public QObject {
  Q_OBJECT

 private slots:
  // clang-format off
  void roundTripKeepsEveryPixel_data() {
    QTest::addColumn<QImage>("picture");
    QImage mono(13, 5, QImage::Format_Mono);  // 13 bits: a row ends mid-byte
    mono.setColorTable({qRgb(10, 20, 30), qRgb(240, 230, 220)});
    for (int i = 0; i < 13 * 5; ++i) mono.setPixel(i % 13, i / 13, i % 3 == 0);
    QTest::newRow("null") << QImage();
    QTest::newRow("1 x 1, ratio 1.25") << withAlpha(1, 1, 1.25);
    QTest::newRow("RGB888, padded rows") << patternImage(5, 3).convertToFormat(QImage::Format_RGB888);
    QTest::newRow("indexed") << patternImage(11, 7).convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("mono") << mono;
    QTest::newRow("RGBA64, ratio 2") << withAlpha(7, 3, 2).convertToFormat(QImage::Format_RGBA64);
  }
  // clang-format on

  void roundTripKeepsEveryPixel() {
    QTest::failOnWarning(QRegularExpression(".*"));  // quietly: no pixel read out of range
    QFETCH(QImage, picture);
    const QImage back = ExcelPropertyBag().ReadP(ExcelPropertyBag().WriteP(picture));
    QCOMPARE(back.colorTable(), picture.colorTable());
    QCOMPARE(back, picture);  // size, format, ratio and every pixel
  }

  // clang-format off
  void foreignBlobsReadNull_data() {
    QTest::addColumn<QByteArray>("blob");
    QTest::newRow("one byte too many") << patched(0, "E") + '\0';
    QTest::newRow("other magic") << patched(0, "X");
    QTest::newRow("version 3") << patched(5, "\3");
    QTest::newRow("key \"pix\"") << patched(15, "x");
    QTest::newRow("width 7") << patched(19, "\7");
    // Refused before anything of that size is allocated.
    QTest::newRow("a huge picture") << patched(16, QByteArray::fromHex("0010000000100000"));
    QTest::newRow("sizes whose product overflows") << patched(16, QByteArray::fromHex("7fffffff7fffffff"));
    // 32 MB of bits, but more pixels than we agree to hold once padded to 32 bits.
    QImage mono(16384, 16392, QImage::Format_Mono);
    mono.fill(0);
    QTest::newRow("too many pixels in few bits") << ExcelPropertyBag().WriteP(mono);
    // Qt would read past the colour table when comparing or converting such a picture.
    QImage indexed(8, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    indexed.fill(5);
    QTest::newRow("pixels beyond the colour table") << ExcelPropertyBag().WriteP(indexed);
  }
  // clang-format on

  void foreignBlobsReadNull() {
    QFETCH(QByteArray, blob);
    QCOMPARE(ExcelPropertyBag().ReadP(patched(0, "E")), patternImage(6, 4));  // unchanged, it reads
    QVERIFY(ExcelPropertyBag().ReadP(blob).isNull());
  }

  void everyTruncationReadsNull() {
    const QByteArray blob = ExcelPropertyBag().WriteP(withAlpha(9, 5));
    for (qsizetype n = 0; n < blob.size(); ++n)
      QVERIFY2(ExcelPropertyBag().ReadP(blob.left(n)).isNull(), qPrintable(QString::number(n)));
  }
};

QTEST_MAIN(TestExcelPropertyBag)

#include "tst_excel_property_bag.moc"
