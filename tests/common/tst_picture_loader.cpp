#include <QtGui>
#include <QtTest>

#include "common/picture_loader.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

namespace {

QByteArray encoded(const QImage& image, const char* format, bool progressive = false) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  QImageWriter writer(&buffer, format);
  writer.setProgressiveScanWrite(progressive);
  return writer.write(image) ? bytes : QByteArray();
}

// An EXIF block in APP1 right after the start marker.
QByteArray withExif(const QByteArray& jpeg, const QByteArray& exif) {
  const int length = int(exif.size()) + 2;
  return jpeg.left(2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + exif + jpeg.mid(2);
}
constexpr char kExifHeader[] = "4578696600004d4d002a00000008";  // "Exif", big-endian TIFF

// A thumbnail with start and end markers of its own, as cameras write it.
QByteArray withThumbnail(const QByteArray& jpeg) {
  return withExif(jpeg, QByteArray::fromHex(QByteArray(kExifHeader) + "00000000000000") +
                            encoded(filled(8, 8, qRgb(20, 90, 200)), "jpeg"));
}

// An 8 x 8 GIF of black, red, green and blue whose compressed codes are the
// pixels themselves, pixel (x, y) colour (9 y + x) % 4: a clear code before
// every two keeps the codes 3 bits wide. Qt shows a cut one with black where
// data is missing.
const QList<QRgb> kGifColours{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
QByteArray codedGif(bool localColours = false) {
  QList<int> codes;
  for (int i = 0; i < 64; i += 2) codes << 4 << (i / 8 + i) % 4 << (i / 8 + i + 1) % 4;
  QByteArray data;
  int bits = 0, used = 0;
  for (const int code : codes << 5) {  // 5: end of data
    bits |= code << used;
    for (used += 3; used >= 8; used -= 8, bits >>= 8) data += char(bits & 0xFF);
  }
  data += char(bits);
  // Screen, palette, a comment ("abc"), the picture's descriptor, code size 2;
  // or the palette the picture's own, after its descriptor.
  const QByteArray palette = "000000ff000000ff000000ff";
  const QByteArray screen = localColours ? "08000800000000" : "08000800810000" + palette;
  const QByteArray picture = "2c0000000008000800" + (localColours ? "81" + palette : "00");
  return "GIF89a" + QByteArray::fromHex(screen + "21fe0361626300" + picture + "02") +
         char(data.size()) + data + char(0) + char(0x3B);
}

// A 2 x 2 bitmap in 8-bit (or 4-bit) runs, bottom row first: two white
// pixels, end of row, a jump by nothing, two black ones, end of row, end of
// picture, unless other codes follow the first run. `runBytes` cuts the runs.
QByteArray runLengthBmp(int runBytes = 14, int bits = 8,
                        const QByteArray& afterTheFirstRun = "000000020000020000000001") {
  const QByteArray white = bits == 8 ? "01" : "11";  // 4-bit runs alternate two nibbles
  const QByteArray runs = QByteArray::fromHex("02" + white + afterTheFirstRun).left(runBytes);
  constexpr quint32 kPixelsAt = 14 + 40 + 2 * 4;
  QByteArray bmp;
  QDataStream out(&bmp, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  out.writeRawData("BM", 2);
  // The file's header, the picture's (compression 1 or 2: runs of 8 or 4 bits), the palette.
  out << quint32(kPixelsAt + runs.size()) << quint32(0) << kPixelsAt << quint32(40) << qint32(2)
      << qint32(2) << quint16(1) << quint16(bits) << quint32(bits == 8 ? 1 : 2)
      << quint32(runs.size()) << qint32(0) << qint32(0) << quint32(2) << quint32(0) << quint32(0)
      << quint32(0x00FFFFFF);  // black, white
  out.writeRawData(runs.constData(), int(runs.size()));
  return bmp;
}

// The file's bytes; the picture it shows, null when it is refused ...; ... with
// a message naming this.
using Row = std::tuple<QByteArray, QImage, QString>;

}  // namespace

class TstPictureLoader : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  // Each row's name is the name of the file, which is not written for "absent.png".
  // clang-format off
  void loadsOrRefuses_data() {
    QTest::addColumn<Row>("row");
    const QImage pattern = patternImage(16, 16), orange = filled(16, 8, qRgb(230, 120, 40));
    const QByteArray png = encoded(pattern, "png"), bmp = encoded(pattern, "bmp"), ico = encoded(pattern, "ico"), jpeg = encoded(orange, "jpeg");
    // Cut halfway through the compressed data of the scan.
    const QByteArray cut = jpeg.left((jpeg.indexOf("\xFF\xDA") + jpeg.size()) / 2);
    // More than the last 4 KB, as a motion photo's video.
    const QByteArray trailer = QByteArray("ftypmp42 video frames ").repeated(300);
    const QByteArray cur = ico.left(2) + char(2) + ico.mid(3);  // the same layout, of type cursor
    QByteArray huge = jpeg;  // its frame header claims 60000 x 60000 pixels
    huge.replace(huge.indexOf("\xFF\xC0") + 5, 4, QByteArray::fromHex("ea60ea60"));
    QTest::newRow("a.png") << Row{png, pattern, {}};
    QImage noise(160, 160, QImage::Format_RGB32);  // over 64 KB, even compressed
    for (quint32 i = 0, v = 1; i < 160 * 160; ++i) noise.setPixel(i % 160, i / 160, v = v * 1664525 + 1013904223);
    QTest::newRow("noise.png") << Row{encoded(noise, "png"), noise, {}};
    const QByteArray photo = encoded(noise, "jpeg");  // cut in the middle of its one scan
    QTest::newRow("half-downloaded.jpg") << Row{photo.left(photo.size() / 2), QImage(), {}};
    QTest::newRow("a.bmp") << Row{bmp, pattern, {}};
    QTest::newRow("a.dib") << Row{bmp, pattern, {}};
    // One white pixel: the smallest complete GIF (Qt reads GIF but cannot write it).
    QTest::newRow("a.gif") << Row{QByteArray::fromHex("47494638396101000100800000ffffff0000002c00000000010001000002024401003b"), filled(1, 1, qRgb(255, 255, 255)), {}};
    QTest::newRow("a.ico") << Row{ico, pattern, {}};
    QTest::newRow("a.tif") << Row{encoded(pattern, "tiff"), pattern, {}};  // a kind not checked for cuts
    QTest::newRow("a.cur") << Row{cur, pattern, {}};
    QTest::newRow("png-named.jpg") << Row{png, pattern, {}};
    QTest::newRow("trailer.png") << Row{png + trailer, pattern, {}};
    QTest::newRow("a.jpg") << Row{jpeg, orange, {}};
    QTest::newRow("trailer.jpg") << Row{jpeg + trailer, orange, {}};
    QTest::newRow("empty-app1.jpg") << Row{withExif(jpeg, {}), orange, {}};
    QTest::newRow("thumbnail.jpg") << Row{withThumbnail(jpeg), orange, {}};
    // A camera's turned photo (orientation 6: turned a quarter clockwise) is
    // shown upright, as it was taken.
    QTest::newRow("turned.jpg") << Row{withExif(jpeg, QByteArray::fromHex(QByteArray(kExifHeader) + "000101120003000000010006000000000000")), orange.transformed(QTransform().rotate(90)), {}};
    QTest::newRow("absent.png") << Row{QByteArray(), QImage(), {}};
    QTest::newRow("empty.png") << Row{QByteArray(), QImage(), {}};
    QTest::newRow("video.jpg") << Row{trailer, QImage(), {}};
    // Damaged metafiles of no more than the bytes that tell their kind are named as that
    // kind, whatever their file's name.
    QTest::newRow("a.wmf") << Row{QByteArray::fromHex("d7cdc69a"), QImage(), "WMF"};
    QTest::newRow("plain.wmf") << Row{QByteArray::fromHex("010009000003"), QImage(), "WMF"};
    QTest::newRow("emf.bmp") << Row{QByteArray::fromHex("01000000") + QByteArray(36, 0) + " EMF", QImage(), "EMF"};
    QTest::newRow("huge.jpg") << Row{huge, QImage(), "60000"};
    QTest::newRow("half.png") << Row{png.left(png.size() / 2), QImage(), {}};
    QTest::newRow("no-end.png") << Row{png.chopped(12), QImage(), {}};
    QTest::newRow("half.jpg") << Row{cut, QImage(), {}};
    QTest::newRow("half-thumbnail.jpg") << Row{withThumbnail(cut), QImage(), {}};
    // Without its end marker, but with every scanline: the same picture, though the decoder
    // warns of the stray bytes before the first segment.
    QTest::newRow("no-end.jpg") << Row{(jpeg.left(2) + QByteArray(2, '\0') + jpeg.mid(2)).chopped(2), orange, {}};
    const QByteArray progressive = encoded(orange, "jpeg", true);
    QTest::newRow("progressive-no-end.jpg") << Row{progressive.chopped(2), orange, {}};
    // Every scan but the last, whole: a coarser picture, not the one saved.
    QTest::newRow("progressive-cut.jpg") << Row{progressive.left(progressive.lastIndexOf("\xFF\xDA")), QImage(), {}};
    // Every other format the loader reads, cut short, is refused too: their
    // decoders would show whatever memory held where the data is missing.
    QImage runs = filled(2, 2, qRgb(0, 0, 0));
    for (int x : {0, 1}) runs.setPixel(x, 1, qRgb(255, 255, 255));
    QTest::newRow("runs.bmp") << Row{runLengthBmp(), runs, {}};
    QTest::newRow("half.bmp") << Row{bmp.left(bmp.size() / 2), QImage(), {}};
    QTest::newRow("half.dib") << Row{bmp.chopped(1), QImage(), {}};
    QByteArray bmp32 = bmp;  // its rows of 48 bytes read as 12 pixels of 32 bits
    bmp32[18] = 12, bmp32[28] = 32;
    // An OS/2 bitmap, its header of 12 bytes: 2 x 2 pixels of 24 bits, the bottom row white.
    const QByteArray os2 = QByteArray::fromHex("424d2a000000000000001a0000000c0000000200020001001800ffffffffffff00000000000000000000");
    QTest::newRow("os2.bmp") << Row{os2, runs, {}};
    QTest::newRow("half-os2.bmp") << Row{os2.chopped(1), QImage(), {}};
    // No pixel offset and no colour count: the pixels follow a full palette of 256.
    const QImage indexed = pattern.convertToFormat(QImage::Format_Indexed8);
    const QByteArray palette = encoded(indexed, "bmp").replace(10, 4, QByteArray(4, 0)).replace(46, 4, QByteArray(4, 0));
    QTest::newRow("no-offset.bmp") << Row{palette, indexed, {}};
    QTest::newRow("no-offset-cut.bmp") << Row{palette.chopped(1), QImage(), {}};
    // One pixel of 32 bits after the three colour masks, again without its offset.
    const QByteArray masks = QByteArray::fromHex("424d460000000000000000000000280000000100000001000000010020000300000004000000000000000000000000000000000000000000ff0000ff0000ff00000033669900");
    QTest::newRow("masks.bmp") << Row{masks, filled(1, 1, qRgb(0x99, 0x66, 0x33)), {}};
    QTest::newRow("masks-cut.bmp") << Row{masks.chopped(1), QImage(), {}};
    QTest::newRow("half32.bmp") << Row{bmp32.chopped(1), QImage(), {}};
    QTest::newRow("half-runs.bmp") << Row{runLengthBmp(6), QImage(), {}};
    QTest::newRow("runs4.bmp") << Row{runLengthBmp(14, 4), runs, {}};
    QTest::newRow("half-copy.bmp") << Row{runLengthBmp(5, 8, "0003000000"), QImage(), {}};
    QTest::newRow("half-runs4.bmp") << Row{runLengthBmp(5, 4), QImage(), {}};
    QTest::newRow("runs4 copying three pixels.bmp") << Row{runLengthBmp(10, 4, "0000000300000001"), runs, {}};
    QTest::newRow("runs without their end.bmp") << Row{runLengthBmp(12), runs, {}};
    QTest::newRow("runs jumping past the last row.bmp") << Row{runLengthBmp(14, 8, "000000020001"), runs, {}};
    QTest::newRow("runs ending after a row.bmp") << Row{runLengthBmp(6, 8, "00000001"), runs, {}};
    QImage coded(8, 8, QImage::Format_RGB32);
    for (int i = 0; i < 64; ++i) coded.setPixel(i % 8, i / 8, kGifColours[(i / 8 + i) % 4]);
    const QByteArray gif = codedGif();
    QTest::newRow("coded.gif") << Row{gif, coded, {}};
    QTest::newRow("local-colours.gif") << Row{codedGif(true), coded, {}};
    QTest::newRow("no-trailer.gif") << Row{gif.chopped(1), coded, {}};
    QTest::newRow("half.gif") << Row{gif.chopped(20), QImage(), {}};
    // An animation cut in its second frame's control block, or in that frame's descriptor.
    QTest::newRow("cut-control.gif") << Row{gif.chopped(1) + QByteArray::fromHex("21f904"), QImage(), {}};
    QTest::newRow("cut-frame.gif") << Row{gif.chopped(1) + QByteArray::fromHex("2c0000"), QImage(), {}};
    QTest::newRow("half.ico") << Row{ico.left(ico.size() / 2), QImage(), {}};
    QTest::newRow("half.cur") << Row{cur.chopped(1), QImage(), {}};
    // A second picture, whose directory entry (the first's header read as one) runs past the end.
    QTest::newRow("cut.ico") << Row{ico.left(4) + char(2) + ico.mid(5), QImage(), {}};
  }
  // clang-format on

  void loadsOrRefuses() {
    QFETCH(Row, row);
    const auto& [bytes, expected, mentions] = row;
    const QString file = dir_.filePath(QString::fromUtf8(QTest::currentDataTag()));
    QVERIFY(file.endsWith("absent.png") || written(file, bytes));
    LoadTracking tracking;  // read as the windows read: unbuffered, telling how far
    const LoadedPicture loaded = loadPicture(file, &tracking);
    QCOMPARE(imageDifference(loaded.image, expected, 8), QString());
    QVERIFY2(loaded.ok() == !expected.isNull(), qPrintable(loaded.error));
    QVERIFY2(loaded.error.contains(mentions), qPrintable(loaded.error));
  }
};

QTEST_MAIN(TstPictureLoader)

#include "tst_picture_loader.moc"
