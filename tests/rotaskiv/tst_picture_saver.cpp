#include <QtTest>

#include <QImageReader>

#include "common/cursor_override.h"
#include "rotaskiv/picture_saver.h"
#include "tests/support/disk_fault.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_helpers.h"

// The file's name, the extension asked for, and the format the file holds.
using Saved = std::tuple<QString, QString, QString>;

// A picture; its file name, extension, quality, colour depth and compression;
// the error number the user is shown.
using Failed = std::tuple<QImage, QString, int>;

class TestPictureSaver : public QObject {
  Q_OBJECT

  QStringList folder() const {
    return QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  std::optional<QTemporaryDir> dir_;

 private slots:
  void init() { QVERIFY(dir_.emplace().isValid()); }

  // clang-format off
  void formatsByExtension_data() {
    QTest::addColumn<Saved>("row");
    QTest::newRow("TIFF") << Saved{"a.TIFF", "TIFF", "tiff"};
    QTest::newRow("GIF") << Saved{"a.GIF", "GIF", "gif"};
    // Only the extension passed in counts, not the name's own suffix.
    QTest::newRow("png under a jpg name") << Saved{"a.jpg", "png", "png"};
    QTest::newRow("bmp without a dot") << Saved{"bmp", "bmp", "bmp"};
  }
  // clang-format on

  void formatsByExtension() {
    QFETCH(Saved, row);
    const auto& [name, extension, format] = row;
    // 256 colours, which GIF too keeps exactly, in odd rows that BMP and TIFF pad.
    QImage picture(64, 37, QImage::Format_RGB32);
    for (int i = 0; i < 64 * 37; ++i)
      picture.setPixel(i % 64, i / 64, qRgb(i % 256 * 7 % 256, i % 256, 0));
    const QString file = dir_->filePath(name);  // an older file of that name is replaced
    QVERIFY(written(file, "an older file, longer than nothing"));
    const auto failure = ModSavePic::writePicture(picture, file, extension, 80, 24, 6);
    QVERIFY2(!failure, qPrintable(failure ? failure->description : QString()));
    QImageReader reader(file);
    QCOMPARE(QString(reader.format()), format);
    QCOMPARE(imageDifference(reader.read(), picture), QString());
    QCOMPARE(folder(), QStringList{name});  // no temporary file left beside it
  }

  // Smooth ramps survive JPEG closely at the best quality; the worst is smaller.
  void jpegAtTheQualityAsked() {
    const QImage picture = patternImage(36, 19);  // no channel wraps round
    const QString best = dir_->filePath("best.jpg"), worst = dir_->filePath("worst.JPG");
    QVERIFY(!ModSavePic::writePicture(picture, best, "jpg", 100, 24, 6));
    QVERIFY(!ModSavePic::writePicture(picture, worst, "JPG", 0, 24, 6));
    QCOMPARE(QImageReader(best).format() + ' ' + QImageReader(worst).format(), "jpeg jpeg");
    QCOMPARE(imageDifference(QImage(best), picture, 16), QString());
    QVERIFY(QFileInfo(worst).size() < QFileInfo(best).size());
  }

  void tiffIs24BitUncompressed() {
    // Flat colour would shrink to nothing if compressed; 32 bits would be larger.
    QImage flat(64, 64, QImage::Format_ARGB32);
    flat.fill(qRgba(200, 40, 10, 90));
    const QString path = dir_->filePath("a.tiff");
    QVERIFY(!ModSavePic::writePicture(flat, path, "tiff", 80, 24, 6));
    const qint64 size = QFileInfo(path).size(), pixels = 64 * 64 * 3;
    QVERIFY2(size >= pixels && size < pixels + 1024, qPrintable(QString::number(size)));
  }

  // clang-format off
  void failuresKeepTheOldFile_data() {
    QTest::addColumn<Failed>("row");
    const QImage p = patternImage(8, 8);
    QTest::newRow("jpeg") << Failed{p, "keep.png jpeg 80 24 6", 1};
    QTest::newRow("null picture") << Failed{QImage(), "keep.png png 80 24 6", 2};
    QTest::newRow("a file for a folder") << Failed{p, "keep.png/a.png png 80 24 6", 3};
    QTest::newRow("a folder for a file") << Failed{p, "folder png 80 24 6", 3};
    QTest::newRow("GIF too wide") << Failed{QImage(65536, 1, QImage::Format_RGB32), "keep.png gif 80 24 6", 4};
    QTest::newRow("JPEG quality 101") << Failed{p, "keep.png jpg 101 24 6", 5};
    QTest::newRow("TIFF 32 bits") << Failed{p, "keep.png tiff 80 32 6", 5};
    QTest::newRow("TIFF LZW") << Failed{p, "keep.png tiff 80 24 2", 5};
  }
  // clang-format on

  // Root may write anywhere, so unwritable here means impossible, not forbidden.
  // The user is told the number, and no hourglass is left behind.
  void failuresKeepTheOldFile() {
    QFETCH(Failed, row);
    const auto& [picture, save, error] = row;
    QVERIFY(QDir(dir_->path()).mkdir("folder") &&
            patternImage(4, 4).save(dir_->filePath("keep.png")));
    const QStringList s = save.split(' ');
    ScriptedDialogs dialogs;
    QVERIFY(!ModSavePic::SavePicToFile(picture, dir_->filePath(s[0]), s[1], s[2].toInt(),
                                       s[3].toInt(), s[4].toInt()));
    QCOMPARE(dialogs.messages().size(), 1);
    const MessageRequest& message = dialogs.messages()[0];
    QCOMPARE(message.title + (message.icon == MessageRequest::Icon::Information ? " i" : " ?"),
             QString("错误 i"));
    QCOMPARE(message.text.section("错误号: ", 1).section('\r', 0, 0), QString::number(error));
    if (QTest::currentDataTag() == QString("jpeg"))
      QCOMPARE(message.text, QString("在保存图片的过程中发生错误:\r\n\r\n错误号: 1\r\n错误描述: "
                                     "不支持扩展名“jpeg”，只能保存为 jpg、png、gif、tiff 或 bmp"));
    QCOMPARE(cursor_override::current(), std::nullopt);
    QCOMPARE(imageDifference(QImage(dir_->filePath("keep.png")), patternImage(4, 4)), QString());
    QCOMPARE(folder(), (QStringList{"folder", "keep.png"}));
    QVERIFY(QDir(dir_->filePath("folder")).isEmpty());
  }

  void diskFaults_data() { DiskFault::addRows({"a.png", "a.jpg", "a.bmp", "a.gif", "a.tiff"}); }
  // On a full or read-only disk and in a folder without permission, every
  // format keeps the older file, leaves nothing beside it and says why.
  void diskFaults() {
    QFETCH(QStringList, fault);
    DiskFault disk(fault);
    MAKE_OR_SKIP(disk);
    QImage noise(128, 128, QImage::Format_RGB32);  // no format packs it into the page left
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(noise.bits()), 128 * 128);
    ScriptedDialogs dialogs;
    QVERIFY(!ModSavePic::SavePicToFile(noise, disk.file, QFileInfo(disk.file).suffix(), 80, 24, 6));
    QCOMPARE(dialogs.messages().value(0).text.section("\r\n", 2),
             QString("错误号: 3\r\n错误描述: 无法写入文件“%1”：%2").arg(disk.file, disk.cause()));
    QVERIFY(disk.kept());
  }
};

QTEST_MAIN(TestPictureSaver)

#include "tst_picture_saver.moc"
