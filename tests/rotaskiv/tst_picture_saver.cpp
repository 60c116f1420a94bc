#include <QtTest>

#include <QImageReader>
#include <QSet>
#include <memory>

#include "common/cursor_override.h"
#include "rotaskiv/picture_saver.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"

using ModSavePic::SaveError;

Q_DECLARE_METATYPE(SaveError)

namespace {

// What the capture window passes besides the picture and the names.
constexpr int kQuality = 80;
constexpr int kDepth = 24;
constexpr int kNoCompression = 6;

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The luminance quantisation table (DQT table 0) of a baseline JPEG, in
// natural (row by row) order; empty when there is none.
QList<int> jpegLuminanceTable(const QByteArray& jpeg) {
  // Zig-zag position -> natural position, walking the anti-diagonals.
  QList<int> natural;
  for (int s = 0; s < 15; ++s) {
    const int lo = qMax(0, s - 7), hi = qMin(s, 7);
    for (int i = 0; i <= hi - lo; ++i) {
      const int row = s % 2 == 1 ? lo + i : hi - i;
      natural << row * 8 + (s - row);
    }
  }
  qsizetype pos = 2;
  while (pos + 4 <= jpeg.size() && quint8(jpeg[pos]) == 0xFF && quint8(jpeg[pos + 1]) != 0xDA) {
    const int length = quint8(jpeg[pos + 2]) << 8 | quint8(jpeg[pos + 3]);
    if (quint8(jpeg[pos + 1]) == 0xDB) {
      for (qsizetype p = pos + 4; p < pos + 2 + length && p < jpeg.size();) {
        const int precision = quint8(jpeg[p]) >> 4, id = quint8(jpeg[p]) & 15;
        if (precision == 0 && id == 0 && p + 65 <= jpeg.size()) {
          QList<int> table(64);
          for (int i = 0; i < 64; ++i) table[natural[i]] = quint8(jpeg[p + 1 + i]);
          return table;
        }
        p += 1 + (precision == 0 ? 64 : 128);
      }
    }
    pos += 2 + length;
  }
  return {};
}

// The tags of the first IFD of a TIFF file (BYTE, SHORT and LONG values).
QMap<int, QList<quint32>> tiffTags(const QByteArray& tiff) {
  const bool little = tiff.startsWith(QByteArray("II*\0", 4));
  if (!little && !tiff.startsWith(QByteArray("MM\0*", 4))) return {};
  auto read = [&](qsizetype at, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i) {
      const qsizetype k = at + (little ? size - 1 - i : i);
      value = value << 8 | (k >= 0 && k < tiff.size() ? quint8(tiff[k]) : 0);
    }
    return value;
  };
  const quint32 ifd = read(4, 4);
  QMap<int, QList<quint32>> tags;
  for (quint32 i = 0, n = read(ifd, 2); i < n; ++i) {
    const qsizetype entry = ifd + 2 + 12 * i;
    const int type = int(read(entry + 2, 2));
    const int size = type == 1 ? 1 : type == 3 ? 2 : type == 4 ? 4 : 0;
    const quint32 count = read(entry + 4, 4);
    if (size == 0 || count > 4096) continue;
    const qsizetype values = size * count <= 4 ? entry + 8 : read(entry + 8, 4);
    QList<quint32>& list = tags[int(read(entry, 2))];
    for (quint32 k = 0; k < count; ++k) list << read(values + k * size, size);
  }
  return tags;
}

// A smooth picture with far more than 256 colours.
QImage gradientImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / (width - 1), y * 255 / (height - 1), (x + y) % 256));
  return image;
}

// `count` colours in vertical bands.
QImage bandsImage(int count) {
  QImage image(count * 3, 5, QImage::Format_RGB32);
  for (int x = 0; x < image.width(); ++x) {
    const int i = x / 3;
    for (int y = 0; y < image.height(); ++y)
      image.setPixel(x, y, qRgb(i * 37 % 256, i * 101 % 256, 255 - i));
  }
  return image;
}

class TestPictureSaver : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void losslessFormatsKeepEveryPixel_data();
  void losslessFormatsKeepEveryPixel();
  void tiffIs24BitUncompressed_data();
  void tiffIs24BitUncompressed();
  void jpegUsesTheGivenQuality_data();
  void jpegUsesTheGivenQuality();
  void gifKeepsFewColoursExactly_data();
  void gifKeepsFewColoursExactly();
  void gifDithersManyColours();
  void unsupportedExtensionIsReported_data();
  void unsupportedExtensionIsReported();
  void unwritableTargetIsReported_data();
  void unwritableTargetIsReported();
  void failedSaveKeepsTheFileItWouldReplace_data();
  void failedSaveKeepsTheFileItWouldReplace();

 private:
  bool save(const QImage& picture, const QString& fileName, const QString& extension,
            int quality = kQuality, int depth = kDepth, int compression = kNoCompression);
  // Checks the one message of a failed save and hands back its description.
  void checkReport(SaveError expected, QString* description = nullptr);
  QStringList folder() const;

  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<QTemporaryDir> dir_;
};

void TestPictureSaver::init() {
  dialogs_ = std::make_unique<ScriptedDialogs>();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
}

void TestPictureSaver::cleanup() {
  // Success and failure alike leave no hourglass behind.
  const bool cursorLeft = cursor_override::current().has_value();
  cursor_override::reset();
  QVERIFY(!cursorLeft);
  QVERIFY2(dialogs_->unexpected().isEmpty(), qPrintable(dialogs_->unexpected().join(", ")));
  dialogs_.reset();
  dir_.reset();
}

bool TestPictureSaver::save(const QImage& picture, const QString& fileName,
                            const QString& extension, int quality, int depth, int compression) {
  return ModSavePic::SavePicToFile(picture, fileName, extension, quality, depth, compression);
}

void TestPictureSaver::checkReport(SaveError expected, QString* description) {
  QCOMPARE(dialogs_->messages().size(), 1);
  const MessageRequest& message = dialogs_->messages().first();
  QCOMPARE(message.title, QStringLiteral("错误"));
  QCOMPARE(message.icon, MessageRequest::Icon::Information);
  static const QRegularExpression layout(QStringLiteral(
      "^在保存图片的过程中发生错误:\r\n\r\n错误号: (\\d+)\r\n错误描述: ([^\r\n]+)\\z"));
  const QRegularExpressionMatch match = layout.match(message.text);
  QVERIFY2(match.hasMatch(), qPrintable(message.text));
  QCOMPARE(match.captured(1), QString::number(int(expected)));
  if (description != nullptr) *description = match.captured(2);
}

QStringList TestPictureSaver::folder() const {
  return QDir(dir_->path())
      .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

void TestPictureSaver::losslessFormatsKeepEveryPixel_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("extension");
  QTest::addColumn<QByteArray>("format");
  auto row = [](const char* name, const char* extension, const char* format) {
    QTest::newRow(extension) << QString(name) << QString(extension) << QByteArray(format);
  };
  row("a.png", "png", "png");
  row("a.PNG", "PNG", "png");
  row("a.Png", "Png", "png");
  row("a.bmp", "bmp", "bmp");
  row("a.BMP", "BMP", "bmp");
  row("a.tiff", "tiff", "tiff");
  row("a.TIFF", "TIFF", "tiff");
  // Only the extension passed in counts, not the name's own suffix.
  QTest::newRow("png under a jpg name") << QString("a.jpg") << QString("png") << QByteArray("png");
  QTest::newRow("bmp without a dot") << QString("bmp") << QString("bmp") << QByteArray("bmp");
}

void TestPictureSaver::losslessFormatsKeepEveryPixel() {
  QFETCH(QString, name);
  QFETCH(QString, extension);
  QFETCH(QByteArray, format);
  const QString path = dir_->filePath(name);
  {
    QFile old(path);  // an older file of that name is replaced
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older file, much longer than nothing at all");
  }
  const QImage picture = patternImage(37, 23);  // odd rows: BMP and TIFF pad them

  QVERIFY(save(picture, path, extension));

  QVERIFY(dialogs_->messages().isEmpty());
  QImageReader reader(path);
  QCOMPARE(reader.format(), format);
  const QImage written = reader.read();
  QVERIFY2(imageDifference(written, picture).isEmpty(),
           qPrintable(imageDifference(written, picture)));
  QCOMPARE(folder(), QStringList{name});  // no temporary file left beside it
}

void TestPictureSaver::tiffIs24BitUncompressed_data() {
  QTest::addColumn<QImage>("picture");
  QImage translucent(9, 4, QImage::Format_ARGB32);
  translucent.fill(qRgba(200, 40, 10, 90));
  QTest::newRow("opaque") << patternImage(9, 4);
  QTest::newRow("with alpha") << translucent;
  QTest::newRow("indexed") << patternImage(9, 4).convertToFormat(QImage::Format_Indexed8);
}

void TestPictureSaver::tiffIs24BitUncompressed() {
  QFETCH(QImage, picture);
  const QString path = dir_->filePath(QStringLiteral("a.tiff"));
  QVERIFY(save(picture, path, QStringLiteral("tiff")));
  const QMap<int, QList<quint32>> tags = tiffTags(readAll(path));
  QCOMPARE(tags.value(256), QList<quint32>{9});          // ImageWidth
  QCOMPARE(tags.value(258), (QList<quint32>{8, 8, 8}));  // BitsPerSample
  QCOMPARE(tags.value(259), QList<quint32>{1});          // Compression: none
  QCOMPARE(tags.value(262), QList<quint32>{2});          // Photometric: RGB
  QCOMPARE(tags.value(277), QList<quint32>{3});          // SamplesPerPixel
  QVERIFY(!tags.contains(338));                          // no ExtraSamples
  const QImage written(path);
  const QImage opaque = picture.convertToFormat(QImage::Format_RGB32);
  QVERIFY2(imageDifference(written, opaque).isEmpty(),
           qPrintable(imageDifference(written, opaque)));
}

void TestPictureSaver::jpegUsesTheGivenQuality_data() {
  QTest::addColumn<int>("quality");
  QTest::newRow("80, as the capture window saves") << 80;
  QTest::newRow("50") << 50;
  QTest::newRow("95") << 95;
}

void TestPictureSaver::jpegUsesTheGivenQuality() {
  QFETCH(int, quality);
  // The example luminance table of the JPEG standard (Annex K), which the IJG
  // encoder scales by quality.
  static const int base[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                               58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                               22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                               77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                               103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  QList<int> expected;
  for (int b : base) expected << qBound(1, (b * scale + 50) / 100, 255);

  const QString path = dir_->filePath(QStringLiteral("a.jpg"));
  QVERIFY(save(gradientImage(64, 48), path, QStringLiteral("jpg"), quality));
  QVERIFY(dialogs_->messages().isEmpty());
  QCOMPARE(jpegLuminanceTable(readAll(path)), expected);
  QImageReader reader(path);
  QCOMPARE(reader.format(), QByteArray("jpeg"));
  QCOMPARE(reader.size(), QSize(64, 48));
}

void TestPictureSaver::gifKeepsFewColoursExactly_data() {
  QTest::addColumn<QImage>("picture");
  QImage flat(30, 20, QImage::Format_RGB32);
  flat.fill(qRgb(12, 200, 99));
  QTest::newRow("one colour") << flat;
  QTest::newRow("3 colours") << bandsImage(3);
  QTest::newRow("16 colours") << bandsImage(16);
  QTest::newRow("256 colours") << bandsImage(256);
  QTest::newRow("1 x 1") << patternImage(1, 1);
}

void TestPictureSaver::gifKeepsFewColoursExactly() {
  QFETCH(QImage, picture);
  const QString path = dir_->filePath(QStringLiteral("a.gif"));
  QVERIFY(save(picture, path, QStringLiteral("GIF")));
  QImageReader reader(path);
  QCOMPARE(reader.format(), QByteArray("gif"));
  const QImage written = reader.read();
  QVERIFY2(imageDifference(written, picture).isEmpty(),
           qPrintable(imageDifference(written, picture)));
}

void TestPictureSaver::gifDithersManyColours() {
  const QImage picture = gradientImage(256, 128);
  const QString path = dir_->filePath(QStringLiteral("a.gif"));
  QVERIFY(save(picture, path, QStringLiteral("gif")));
  const QImage written = QImage(path).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(written.size(), picture.size());
  QSet<QRgb> colours;
  for (int y = 0; y < written.height(); ++y)
    for (int x = 0; x < written.width(); ++x) colours.insert(written.pixel(x, y));
  QVERIFY(colours.size() <= 256);
  // Dithered: single pixels may be far off, but every 4 x 4 block averages
  // close to the picture.
  for (int y = 0; y < picture.height(); y += 4) {
    for (int x = 0; x < picture.width(); x += 4) {
      int sum[2][3] = {};
      for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
          const QRgb p[2] = {picture.pixel(x + i, y + j), written.pixel(x + i, y + j)};
          for (int k = 0; k < 2; ++k) {
            sum[k][0] += qRed(p[k]);
            sum[k][1] += qGreen(p[k]);
            sum[k][2] += qBlue(p[k]);
          }
        }
      }
      for (int c = 0; c < 3; ++c)
        QVERIFY2(qAbs(sum[0][c] - sum[1][c]) / 16 <= 16,
                 qPrintable(QStringLiteral("block at (%1,%2)").arg(x).arg(y)));
    }
  }
}

void TestPictureSaver::unsupportedExtensionIsReported_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("extension");
  for (const char* extension : {"jpeg", "tif", "", "PNG.bak", " png"})
    QTest::newRow(*extension != '\0' ? extension : "empty")
        << QStringLiteral("a.") + extension << QString(extension);
  QTest::newRow("a name without a dot") << QString("picture") << QString("picture");
}

void TestPictureSaver::unsupportedExtensionIsReported() {
  QFETCH(QString, name);
  QFETCH(QString, extension);
  QVERIFY(!save(patternImage(8, 8), dir_->filePath(name), extension));
  QString description;
  checkReport(SaveError::UnsupportedExtension, &description);
  if (QTest::currentTestFailed()) return;
  QVERIFY2(description.contains(QStringLiteral("“%1”").arg(extension)), qPrintable(description));
  QCOMPARE(folder(), QStringList());
}

void TestPictureSaver::unwritableTargetIsReported_data() {
  QTest::addColumn<QString>("name");
  QTest::newRow("folder does not exist") << "missing/a.png";
  QTest::newRow("a file taken for a folder") << "file.txt/a.png";
  QTest::newRow("target is a folder") << "folder";
  QTest::newRow("no name at all") << "";
}

void TestPictureSaver::unwritableTargetIsReported() {
  QFETCH(QString, name);
  // Root may write anywhere, so unwritable here means impossible, not forbidden.
  QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("folder")));
  QFile file(dir_->filePath(QStringLiteral("file.txt")));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.close();
  const QString path = name.isEmpty() ? QString() : dir_->filePath(name);

  QVERIFY(!save(patternImage(8, 8), path, QStringLiteral("png")));

  QString description;
  checkReport(SaveError::CannotWrite, &description);
  if (QTest::currentTestFailed()) return;
  QVERIFY2(description.contains(path), qPrintable(description));
  QCOMPARE(folder(), (QStringList{"file.txt", "folder"}));
  QCOMPARE(QDir(dir_->filePath(QStringLiteral("folder"))).isEmpty(), true);
}

void TestPictureSaver::failedSaveKeepsTheFileItWouldReplace_data() {
  QTest::addColumn<QImage>("picture");
  QTest::addColumn<QString>("extension");
  QTest::addColumn<int>("quality");
  QTest::addColumn<int>("depth");
  QTest::addColumn<int>("compression");
  QTest::addColumn<SaveError>("error");
  const QImage picture = patternImage(8, 8);
  QTest::newRow("null picture") << QImage() << "png" << kQuality << kDepth << kNoCompression
                                << SaveError::EmptyPicture;
  QTest::newRow("no pixels") << QImage(0, 10, QImage::Format_RGB32) << "bmp" << kQuality << kDepth
                             << kNoCompression << SaveError::EmptyPicture;
  QTest::newRow("unsupported extension") << picture << "jpeg" << kQuality << kDepth
                                         << kNoCompression << SaveError::UnsupportedExtension;
  QTest::newRow("GIF too wide") << QImage(65536, 1, QImage::Format_RGB32) << "gif" << kQuality
                                << kDepth << kNoCompression << SaveError::EncoderFailed;
  QTest::newRow("JPEG quality 101")
      << picture << "jpg" << 101 << kDepth << kNoCompression << SaveError::UnsupportedSettings;
  QTest::newRow("JPEG quality -1")
      << picture << "jpg" << -1 << kDepth << kNoCompression << SaveError::UnsupportedSettings;
  QTest::newRow("TIFF 32 bits") << picture << "tiff" << kQuality << 32 << kNoCompression
                                << SaveError::UnsupportedSettings;
  QTest::newRow("TIFF LZW") << picture << "tiff" << kQuality << kDepth << 2
                            << SaveError::UnsupportedSettings;
}

void TestPictureSaver::failedSaveKeepsTheFileItWouldReplace() {
  QFETCH(QImage, picture);
  QFETCH(QString, extension);
  QFETCH(int, quality);
  QFETCH(int, depth);
  QFETCH(int, compression);
  QFETCH(SaveError, error);
  const QString path = dir_->filePath(QStringLiteral("keep.") + extension);
  QVERIFY(patternImage(4, 4).save(path, "png"));
  const QByteArray before = readAll(path);

  QVERIFY(!save(picture, path, extension, quality, depth, compression));

  checkReport(error);
  if (QTest::currentTestFailed()) return;
  QCOMPARE(readAll(path), before);
  QCOMPARE(folder(), QStringList{QFileInfo(path).fileName()});
}

}  // namespace

QTEST_MAIN(TestPictureSaver)

#include "tst_picture_saver.moc"
