#include <QtTest>

#include <QImageReader>

#include "common/cursor_override.h"
#include "rotaskiv/picture_saver.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"

namespace {

class TestPictureSaver : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(dir_.emplace().isValid()); }
  void formatsByExtension_data();
  void formatsByExtension();
  void tiffIs24BitUncompressed();
  void failuresKeepTheOldFile_data();
  void failuresKeepTheOldFile();
  void failureMessage();

 private:
  QStringList folder() const {
    return QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  std::optional<QTemporaryDir> dir_;
};

void TestPictureSaver::formatsByExtension_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("extension");
  QTest::addColumn<QByteArray>("format");
  QTest::newRow("png") << "a.png"
                       << "png" << QByteArray("png");
  QTest::newRow("Png") << "a.Png"
                       << "Png" << QByteArray("png");
  QTest::newRow("BMP") << "a.BMP"
                       << "BMP" << QByteArray("bmp");
  QTest::newRow("TIFF") << "a.TIFF"
                        << "TIFF" << QByteArray("tiff");
  QTest::newRow("GIF") << "a.GIF"
                       << "GIF" << QByteArray("gif");
  // Only the extension passed in counts, not the name's own suffix.
  QTest::newRow("png under a jpg name") << "a.jpg"
                                        << "png" << QByteArray("png");
  QTest::newRow("bmp without a dot") << "bmp"
                                     << "bmp" << QByteArray("bmp");
}

void TestPictureSaver::formatsByExtension() {
  QFETCH(QString, name);
  QFETCH(QString, extension);
  QFETCH(QByteArray, format);
  // 256 colours, so GIF too keeps them all; odd rows, which BMP and TIFF pad.
  QImage picture(64, 37, QImage::Format_RGB32);
  for (int i = 0; i < 64 * 37; ++i)
    picture.setPixel(i % 64, i / 64, qRgb(i % 256 * 7 % 256, i % 256, 255 - i % 256));
  QFile old(dir_->filePath(name));  // an older file of that name is replaced
  QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older file, longer than nothing") > 0);
  old.close();
  const auto failure = ModSavePic::writePicture(picture, old.fileName(), extension, 80, 24, 6);
  QVERIFY2(!failure, qPrintable(failure ? failure->description : QString()));
  QImageReader reader(old.fileName());
  QCOMPARE(reader.format(), format);
  QCOMPARE(imageDifference(reader.read(), picture), QString());
  QCOMPARE(folder(), QStringList{name});  // no temporary file left beside it
}

void TestPictureSaver::tiffIs24BitUncompressed() {
  // Flat colour would shrink to nothing if compressed; 32 bits would be larger.
  QImage flat(64, 64, QImage::Format_ARGB32);
  flat.fill(qRgba(200, 40, 10, 90));
  const QString path = dir_->filePath("a.tiff");
  QVERIFY(!ModSavePic::writePicture(flat, path, "tiff", 80, 24, 6));
  const qint64 size = QFileInfo(path).size(), pixels = 64 * 64 * 3;
  QVERIFY2(size >= pixels && size < pixels + 1024, qPrintable(QString::number(size)));
  QVERIFY(!QImage(path).hasAlphaChannel());
}

void TestPictureSaver::failuresKeepTheOldFile_data() {
  QTest::addColumn<QImage>("picture");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("settings");  // extension quality depth compression
  QTest::addColumn<int>("error");
  const QImage p = patternImage(8, 8);
  QTest::newRow("jpeg") << p << "keep.png"
                        << "jpeg 80 24 6" << 1;
  QTest::newRow("tif") << p << "keep.png"
                       << "tif 80 24 6" << 1;
  QTest::newRow("a name without a dot") << p << "keep.png"
                                        << "keep 80 24 6" << 1;
  QTest::newRow("null picture") << QImage() << "keep.png"
                                << "png 80 24 6" << 2;
  QTest::newRow("GIF too wide") << QImage(65536, 1, QImage::Format_RGB32) << "keep.png"
                                << "gif 80 24 6" << 4;
  QTest::newRow("JPEG quality 101") << p << "keep.png"
                                    << "jpg 101 24 6" << 5;
  QTest::newRow("TIFF 32 bits") << p << "keep.png"
                                << "tiff 80 32 6" << 5;
  QTest::newRow("TIFF LZW") << p << "keep.png"
                            << "tiff 80 24 2" << 5;
  QTest::newRow("no such folder") << p << "missing/a.png"
                                  << "png 80 24 6" << 3;
  QTest::newRow("a file for a folder") << p << "keep.png/a.png"
                                       << "png 80 24 6" << 3;
  QTest::newRow("a folder for a file") << p << "folder"
                                       << "png 80 24 6" << 3;
}

// Root may write anywhere, so unwritable here means impossible, not forbidden.
void TestPictureSaver::failuresKeepTheOldFile() {
  QFETCH(QImage, picture);
  QFETCH(QString, name);
  QFETCH(QString, settings);
  QFETCH(int, error);
  QVERIFY(QDir(dir_->path()).mkdir("folder"));
  QVERIFY(patternImage(4, 4).save(dir_->filePath("keep.png")));
  const QStringList s = settings.split(' ');
  const auto failure = ModSavePic::writePicture(picture, dir_->filePath(name), s[0], s[1].toInt(),
                                                s[2].toInt(), s[3].toInt());
  QCOMPARE(failure ? int(failure->number) : 0, error);
  QCOMPARE(imageDifference(QImage(dir_->filePath("keep.png")), patternImage(4, 4)), QString());
  QCOMPARE(folder(), (QStringList{"folder", "keep.png"}));
  QVERIFY(QDir(dir_->filePath("folder")).isEmpty());
}

void TestPictureSaver::failureMessage() {
  ScriptedDialogs dialogs;
  QVERIFY(
      !ModSavePic::SavePicToFile(patternImage(8, 8), dir_->filePath("a.jpeg"), "jpeg", 80, 24, 6));
  QCOMPARE(dialogs.messages().size(), 1);
  QCOMPARE(dialogs.messages()[0].title, QString("错误"));
  QCOMPARE(dialogs.messages()[0].icon, MessageRequest::Icon::Information);
  QCOMPARE(dialogs.messages()[0].text,
           QString("在保存图片的过程中发生错误:\r\n\r\n错误号: 1\r\n错误描述: "
                   "不支持扩展名“jpeg”，只能保存为 jpg、png、gif、tiff 或 bmp"));
  QCOMPARE(cursor_override::current(), std::nullopt);  // no hourglass left behind
}

}  // namespace

QTEST_MAIN(TestPictureSaver)

#include "tst_picture_saver.moc"
