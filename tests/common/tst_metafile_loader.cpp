#include <QBuffer>
#include <QDir>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

#include "common/picture_loader.h"
#include "tests/support/image_compare.h"
#include "tests/support/metafile_bytes.h"

using namespace metafile_bytes;

namespace {

constexpr quint32 kRed = colourRef(255, 0, 0), kBlue = colourRef(0, 0, 255),
                  kGreen = colourRef(0, 128, 0), kMagenta = colourRef(255, 0, 255);

// Every good file draws the same 240 x 120 picture: a red rectangle at the
// left, a blue ellipse at the right, green text over the rectangle, a
// magenta bitmap between them, and nothing around the ellipse. `at` maps the
// picture's pixels to the file's own units.
template <typename Writer, typename Mapping>
Writer drawing(Writer writer, const Mapping& at, double unitsPerPixel,
               const QByteArray& text = "Hi", const Dib& bitmap = dib(4, 4, kMagenta)) {
  writer.brush(kRed).nullPen().rectangle(at({0, 0}), at({100, 120}));
  writer.brush(kBlue).ellipse(at({130, 10}), at({230, 110}));
  writer.text(at({10, 10}), text, int(30 * unitsPerPixel), kGreen);
  writer.bitmap(at({102, 90}), at({126, 114}), bitmap);
  return writer;
}

auto scaled(double scale, QPoint offset = {}) {
  return [=](QPoint p) { return (QPointF(p) * scale).toPoint() + offset; };
}

QByteArray twipsWmf(const QByteArray& text = "Hi") {
  return drawing(Wmf().window({0, 0}, {3600, 1800}), scaled(15), 15, text)
      .placeable(QRect(0, 0, 3600, 1800), 1440);
}

QByteArray emf(int dpi = 96) {
  return drawing(Emf(), scaled(dpi / 96.0), dpi / 96.0)
      .file(QRect(0, 0, 240 * dpi / 96, 120 * dpi / 96), QRect(QPoint(0, 0), QPoint(6350, 3175)),
            dpi);
}

// The bytes with the 32-bit field at `at` replaced by `hex`.
QByteArray patched(QByteArray bytes, qsizetype at, const char* hex) {
  return bytes.replace(at, 4, QByteArray::fromHex(hex));
}

LoadedPicture load(QByteArray bytes) {
  QBuffer device(&bytes);
  device.open(QIODevice::ReadOnly);
  return loadPicture(device);
}

bool near(QRgb pixel, quint32 colour, int tolerance = 40) {
  return qAlpha(pixel) == 255 && qAbs(qRed(pixel) - int(colour & 0xFF)) <= tolerance &&
         qAbs(qGreen(pixel) - int(colour >> 8 & 0xFF)) <= tolerance &&
         qAbs(qBlue(pixel) - int(colour >> 16 & 0xFF)) <= tolerance;
}

}  // namespace

class TstMetafileLoader : public QObject {
  Q_OBJECT

 private slots:
  void drawsAtItsSize_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("textEnd");  // the text's right end, in pixels
    QTest::newRow("placeable wmf, twips") << twipsWmf() << 40;
    QTest::newRow("placeable wmf, 1000 per inch, window moved")
        << drawing(Wmf().window({500, 700}, {2500, 1250}), scaled(1000 / 96.0, {500, 700}),
                   1000 / 96.0)
               .placeable(QRect(500, 700, 2500, 1250), 1000)
        << 40;
    // clang-format off
    QTest::newRow("placeable wmf, largest record overstated") << patched(twipsWmf(), 22 + 12, "ffffffff") << 40;
    // Longer than libwmf's print buffer, too.
    QTest::newRow("placeable wmf, long text with markup and accents") << twipsWmf("H<&\xE9" + QByteArray(300, 'x')) << 240;
    QTest::newRow("plain wmf, window extent in pixels") << drawing(Wmf().window({0, 0}, {240, 120}), scaled(1), 1).plain() << 40;
    QTest::newRow("placeable wmf of no units per inch: its window") << drawing(Wmf().window({0, 0}, {240, 120}), scaled(1), 1).placeable(QRect(0, 0, 240, 120), 0) << 40;
    QTest::newRow("placeable wmf, MM_TEXT at 96 per inch") << drawing(Wmf().mapMode(1).window({0, 0}, {240, 120}), scaled(1), 1).placeable(QRect(0, 0, 240, 120), 96) << 40;
    QTest::newRow("placeable wmf, anisotropic") << drawing(Wmf().mapMode(8).window({0, 0}, {3600, 1800}), scaled(15), 15).placeable(QRect(0, 0, 3600, 1800), 1440) << 40;
    QTest::newRow("plain wmf, isotropic") << drawing(Wmf().mapMode(7).window({0, 0}, {240, 120}), scaled(1), 1).plain() << 40;
    // clang-format on
    // With colour masks; in runs; in four bits and in one bit a pixel; with an OS/2 header of 12
    // bytes, and with a version 5 header of 124.
    const QByteArray os2 =
        QByteArray::fromHex("0c0000000400040001001800") + dib(4, 4, kMagenta).bytes.mid(40);
    const QByteArray v5 =
        dib(4, 4, kMagenta).bytes.replace(0, 1, "\x7c").insert(40, QByteArray(84, '\0'));
    for (const Dib& bitmap :
         {dib(4, 4, kMagenta, 16), dib(4, 4, kMagenta, 8), dib(12, 4, kMagenta, 4),
          dib(40, 4, kMagenta, 1), Dib{os2, 4, 4}, Dib{v5, 4, 4}})
      QTest::addRow("plain wmf, a %d-byte bitmap", int(bitmap.bytes.size()))
          << drawing(Wmf().window({0, 0}, {240, 120}), scaled(1), 1, "Hi", bitmap).plain() << 40;
    QTest::newRow("plain wmf, window turned upside down")
        << drawing(
               Wmf().mapMode(8).window({0, 120}, {240, -120}),
               [](QPoint p) { return QPoint(p.x(), 120 - p.y()); }, 1)
               .mapMode(1)  // after the drawing: it changes nothing drawn
               .plain()
        << 40;
    QTest::newRow("emf, 96 dpi reference") << emf() << 40;
    QTest::newRow("emf, 300 dpi reference") << emf(300) << 40;
    QTest::newRow("emf, a reference device of no width: 96 dpi")
        << patched(emf(), 72, "00000000") << 40;
    QTest::newRow("emf, bounds and frame away from 0")
        << drawing(Emf(), scaled(1, {24, 24}), 1)
               .file(QRect(24, 24, 240, 120), QRect(QPoint(635, 635), QPoint(6985, 3810)))
        << 40;
    QTest::newRow("emf, a frame of no height: its bounds")
        << drawing(Emf(), scaled(1), 1).file(QRect(0, 0, 241, 121), QRect(0, 0, 6350, 1)) << 40;
    // Its text as the font's glyph indices (ETO_GLYPH_INDEX), as Windows writes shaped text,
    // opened after a picture whose Chinese text took a fallback font, which fontconfig holds.
    load(drawing(Emf(), scaled(1), 1, "中文").file(QRect(0, 0, 240, 120), QRect()));
    QByteArray shaped = emf();
    const auto glyphs = QRawFont::fromFont(QFont("DejaVu Sans")).glyphIndexesForString("Hi");
    for (qsizetype at = 108; at < shaped.size(); at += qFromLittleEndian<quint32>(&shaped[at + 4]))
      if (qFromLittleEndian<quint32>(&shaped[at]) == 84) {
        qToLittleEndian<quint32>(0x10, &shaped[at + 52]);
        for (int i : {0, 1}) qToLittleEndian<quint16>(glyphs.value(i), &shaped[at + 76 + 2 * i]);
      }
    QTest::newRow("emf, text as glyph indices") << shaped << 40;
    QTest::newRow("emf claiming as many records as may be") << patched(emf(), 52, "80841e00") << 40;
    QTest::newRow("emf, description filling its header from the end of its first 88 bytes")
        << patched(patched(emf(), 60, "0a000000"), 64, "58000000") << 40;
  }

  void drawsAtItsSize() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, textEnd);
    const LoadedPicture loaded = load(bytes);
    QVERIFY2(loaded.ok() && loaded.image.size() == QSize(240, 120), qPrintable(loaded.error));
    const QImage& image = loaded.image;
    const QList<std::pair<QPoint, quint32>> colours = {{{50, 100}, kRed},  {{90, 60}, kRed},
                                                       {{180, 60}, kBlue}, {{180, 15}, kBlue},
                                                       {{135, 60}, kBlue}, {{114, 102}, kMagenta}};
    for (const auto& [p, colour] : colours)
      QVERIFY2(near(image.pixel(p), colour), qPrintable(QString::number(image.pixel(p), 16)));
    // Around the ellipse nothing is drawn: the box's background shows there.
    for (QPoint p : {QPoint(133, 13), QPoint(115, 60), QPoint(236, 60), QPoint(227, 107)})
      QCOMPARE(qAlpha(image.pixel(p)), 0);
    int green = 0;  // the text's last letters are drawn
    for (int y = 10; y < 45; ++y)
      for (int x = textEnd - 25; x < textEnd; ++x) green += near(image.pixel(x, y), kGreen, 60);
    QVERIFY2(green >= 20, qPrintable(QString::number(green)));
  }

  // A rectangle filled with the brush (PATBLT with PATCOPY) beside one made black (BLACKNESS).
  void patternBlits() {
    const QImage image = load(Wmf()
                                  .window({0, 0}, {20, 10})
                                  .brush(kRed)
                                  .record(0x061D, {0x0021, 0x00F0, 10, 10, 0, 0})
                                  .record(0x061D, {0x0042, 0x0000, 10, 10, 0, 10})
                                  .plain())
                             .image;
    QVERIFY(near(image.pixel(5, 5), kRed) && near(image.pixel(15, 5), 0));
  }

  // Files written by Inkscape and LibreOffice (metafiles/README.md says how), each beside its
  // producer's own rendering at 96 dpi: the same size, and on average no more than 15 off in a
  // channel where both are composed on white.
  void drawsAsItsProducer_data() {
    QTest::addColumn<QString>("path");
    for (const QFileInfo& file : QDir(METAFILE_DIR).entryInfoList({"*.wmf", "*.emf"}))
      QTest::newRow(qPrintable(file.fileName())) << file.filePath();
  }

  void drawsAsItsProducer() {
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const LoadedPicture loaded = loadPicture(file);
    const QImage expected(path + ".png");
    QVERIFY2(loaded.ok() && loaded.image.size() == expected.size(), qPrintable(loaded.error));
    const double difference = meanDifferenceOnWhite(loaded.image, expected);
    QVERIFY2(difference <= 15, qPrintable(QString::number(difference)));
  }

  // The font's code page decides the letter: byte C4 is Д in Cyrillic, Ä in Western. A second
  // text is its own, not the first again.
  void textInItsFontsCodePage() {
    const auto letters = [](int charset, const QByteArray& second = "W") {
      Wmf wmf = Wmf().window({0, 0}, {240, 120}).text({10, 10}, "\xC4", 60, kGreen, charset);
      return load(wmf.text({120, 10}, second, 60, kGreen).plain()).image;
    };
    QVERIFY(!letters(204).isNull() && letters(204) != letters(0) && letters(0) != letters(0, "I"));
  }

  // What libemf2svg draws wrong: a gradient fill from red to blue (it drew nothing), an open
  // stroked path (it closed it), a rectangle after a RESTOREDC that undoes a shift down (it
  // stayed shifted).
  void emfDrawnRight() {
    Emf emf;
    emf.record(118, {0, 0, 100, 60, 2, 1, 0, 0, 0, 0xFF00, 0, 100, 60, 0, 0xFF00, 0, 1});
    emf.record(38, {1, 0, 1, 0, kGreen}).record(37, {1}).record(59, {}).record(27, {130, 10});
    emf.record(6, {0, 0, 0, 0, 2, 180, 60, 230, 10}).record(60, {}).record(64, {0, 0, 0, 0});
    emf.record(33, {})
        .record(36, {0x3F800000, 0, 0, 0x3F800000, 0, 0x42700000, 4})
        .record(34, {-1});
    const QImage image = load(emf.brush(kRed)
                                  .nullPen()
                                  .rectangle({0, 70}, {100, 120})
                                  .file(QRect(0, 0, 241, 121), {}))
                             .image;
    QVERIFY(near(image.pixel(4, 30), kRed) && near(image.pixel(50, 30), colourRef(128, 0, 128)));
    QVERIFY(near(image.pixel(96, 30), kBlue) && qAlpha(image.pixel(155, 35)) > 0);
    QVERIFY(qAlpha(image.pixel(180, 10)) == 0 && near(image.pixel(50, 95), kRed));
  }

  // A SAVEDC keeps the state set before it: text put on its baseline before one is drawn as
  // text put on it after.
  void saveKeepsState() {
    const auto picture = [](bool before) {
      Wmf wmf = Wmf().window({0, 0}, {240, 120});
      before ? wmf.record(0x012E, {24}).record(0x001E, {})
             : wmf.record(0x001E, {}).record(0x012E, {24});
      return load(wmf.text({10, 60}, "Hi", 30, kGreen).plain()).image;
    };
    QVERIFY(!picture(true).isNull() && picture(true) == picture(false));
  }

  // A text of height 0: Qt would warn on the console about its font.
  void staysQuiet() {
    QTest::failOnWarning(QRegularExpression(".*"));
    QVERIFY(load(Wmf().window({0, 0}, {240, 120}).text({10, 10}, "Hi", 0, kGreen).plain()).ok());
  }

  void refusesDamagedOrAbsurd_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("mentions");
    const QByteArray wmf = twipsWmf(), good = emf();
    QByteArray manyRecords = Wmf().plain();
    manyRecords.insert(18, QByteArray::fromHex("030000000201").repeated(2'000'001));
    const QByteArray red = dib(4, 4, kRed).bytes;
    const auto bitmapWmf = [](QByteArray b) { return Wmf().bitmap({}, {9, 9}, {b, 4, 4}).plain(); };
    // clang-format off
    QTest::newRow("wmf cut short") << wmf.chopped(6) << "WMF 图元文件已损坏：缺少结束记录";
    QTest::newRow("wmf record past the end") << patched(wmf, 22 + 18, "ffffff7f") << "记录超出文件末尾";
    QTest::newRow("wmf 3145632 pixels wide") << Wmf().placeable(QRect(0, 0, 32767, 10), 1) << "图片太大（3145632 × 960 像素）";
    QTest::newRow("wmf of 2000001 records") << manyRecords << "记录太多（2000001 条）";
    QTest::newRow("wmf bitmap cut short") << bitmapWmf(red.chopped(4)) << "位图不完整";
    QTest::newRow("wmf 16-bit bitmap with masks, cut short") << bitmapWmf(dib(4, 4, kRed, 16).bytes.chopped(4)) << "位图不完整";
    QTest::newRow("wmf 24-bit bitmap in runs") << bitmapWmf(patched(red, 16, "01000000")) << "位图";
    QTest::newRow("wmf bitmap of two planes") << bitmapWmf(patched(red, 12, "02001800")) << "位图";
    QTest::newRow("wmf header of 10 words") << patched(wmf, 22, "01000a00") << "文件头无效";
    QTest::newRow("wmf header only") << wmf.left(40) << "WMF 图元文件已损坏：缺少结束记录";
    QTest::newRow("emf cut short") << good.chopped(12) << "EMF 图元文件已损坏：文件比文件头所说的短";
    QTest::newRow("emf header only") << patched(good.left(108), 48, "6c000000") << "EMF 图元文件已损坏：缺少结束记录";
    QTest::newRow("emf of its first 88 bytes alone") << patched(patched(good.left(88), 4, "58000000"), 48, "58000000") << "EMF 图元文件已损坏：缺少结束记录";
    QTest::newRow("emf record of 10 bytes") << patched(good, 108 + 4, "0a000000") << "记录长度无效";
    QTest::newRow("emf claiming 4e9 records") << patched(good, 52, "00286bee") << "记录太多（4000000000 条）";
    QTest::newRow("emf frame of 20 km") << Emf().file(QRect(0, 0, 10, 10), QRect(0, 0, 2'000'000'000, 2'000'000'000)) << "图片太大";
    QTest::newRow("emf without a size") << Emf().file(QRect(), QRect()) << "没有可用的尺寸";
    QTest::newRow("wmf, anisotropic window of no height") << Wmf().mapMode(8).window({0, 0}, {240, 0}).rectangle({10, 10}, {50, 50}).plain() << "无法读出其中的记录";
    QTest::newRow("emf bounds of no height") << Emf().file(QRect(0, 0, 240, 0), QRect()) << "没有可用的尺寸";
    // A disc 7 million pixels across beside the picture: Qt's rasteriser would take seconds.
    QTest::newRow("emf shape far beyond the picture")
        << Emf().ellipse({-(7 << 20), -(3 << 20)}, {240, 3 << 20}).file(QRect(0, 0, 241, 4001), {}) << "其中的图形远远超出图片";
    // clang-format on
  }

  void refusesDamagedOrAbsurd() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mentions);
    const LoadedPicture loaded = load(bytes);
    QVERIFY2(loaded.image.isNull() && loaded.error.contains(mentions), qPrintable(loaded.error));
  }
};

QTEST_MAIN(TstMetafileLoader)

#include "tst_metafile_loader.moc"
