#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include "common/picture_loader.h"
#include "tests/support/test_helpers.h"
#include "tests/support/image_compare.h"

namespace {

QByteArray encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  return writer.write(image) ? bytes : QByteArray();
}

// One white pixel: the smallest complete GIF (Qt reads GIF but cannot write it).
const QByteArray kGif =
    QByteArray::fromHex("47494638396101000100800000ffffff0000002c00000000010001000002024401003b");

quint32 crc32(const QByteArray& data) {
  quint32 crc = 0xFFFFFFFFu;
  for (const char byte : data) {
    crc ^= quint8(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A real PNG whose header claims a picture of width x height.
QByteArray pngClaiming(quint32 width, quint32 height) {
  QByteArray png = encoded(filled(1, 1, 0), "png");
  QDataStream out(&png, QIODevice::ReadWrite);  // big-endian, as PNG
  out.device()->seek(16);
  out << width << height;
  out.device()->seek(29);
  out << crc32(png.mid(12, 17));  // of the IHDR chunk's type and data
  return png;
}

}  // namespace

class TstPictureLoader : public QObject {
  Q_OBJECT

 private slots:
  void loads_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("tolerance");
    const QImage pattern = patternImage(16, 16), orange = filled(16, 8, qRgb(230, 120, 40));
    const QByteArray png = encoded(pattern, "png"), bmp = encoded(pattern, "bmp");
    const QByteArray ico = encoded(pattern, "ico");
    QByteArray cur = ico;
    if (!cur.isEmpty()) cur[2] = 2;  // the same layout, of type cursor
    QTest::newRow("png") << "a.png" << png << pattern << 0;
    QTest::newRow("bmp") << "a.bmp" << bmp << pattern << 0;
    QTest::newRow("dib") << "a.dib" << bmp << pattern << 0;
    QTest::newRow("jpeg") << "a.jpg" << encoded(orange, "jpeg") << orange << 8;
    QTest::newRow("gif") << "a.gif" << kGif << filled(1, 1, qRgb(255, 255, 255)) << 0;
    QTest::newRow("ico") << "a.ico" << ico << pattern << 0;
    QTest::newRow("cur") << "a.cur" << cur << pattern << 0;
    QTest::newRow("png named jpg") << "b.jpg" << png << pattern << 0;
  }

  void loads() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(int, tolerance);
    if (bytes.isEmpty()) QSKIP("this Qt cannot write the format");
    const LoadedPicture loaded = loadPicture(write(name, bytes));
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QCOMPARE(imageDifference(loaded.image, expected, tolerance), QString());
  }

  void refuses_data() {
    QTest::addColumn<QString>("name");  // empty: a file that does not exist
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("mentions");  // what the message must name
    const QByteArray png = encoded(patternImage(64, 64), "png");
    const QByteArray jpeg = encoded(patternImage(64, 64), "jpeg");
    QByteArray noise(300, '\0');
    quint32 seed = 12345;
    for (char& c : noise) c = char((seed = seed * 1103515245u + 12345u) >> 24);
    QTest::newRow("missing") << QString() << QByteArray() << QString();
    QTest::newRow("empty") << "empty.png" << QByteArray() << QString();
    QTest::newRow("noise") << "noise.jpg" << noise << QString();
    QTest::newRow("truncated png") << "half.png" << png.left(png.size() / 2) << QString();
    QTest::newRow("truncated jpeg") << "half.jpg" << jpeg.left(jpeg.size() / 2) << QString();
    QTest::newRow("gigantic png") << "huge.png" << pngClaiming(60000, 60000) << "60000";
    QTest::newRow("wmf") << "drawing.wmf" << QByteArray::fromHex("d7cdc69a") + QByteArray(84, '\0')
                         << "WMF";
    QTest::newRow("emf named bmp")
        << "drawing.bmp"
        << QByteArray::fromHex("01000000") + QByteArray(36, '\0') + " EMF" + QByteArray(44, '\0')
        << "EMF";
  }

  void refuses() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mentions);
    const QString path = name.isEmpty() ? dir_.filePath("absent.png") : write(name, bytes);
    QVERIFY(!path.isEmpty());
    const LoadedPicture loaded = loadPicture(path);
    QVERIFY(!loaded.ok());
    QVERIFY(!loaded.error.trimmed().isEmpty());
    QVERIFY(loaded.image.isNull());
    QVERIFY2(loaded.error.contains(mentions), qPrintable(loaded.error));
  }

 private:
  QString write(const QString& name, const QByteArray& bytes) {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return file.fileName();
  }

  QTemporaryDir dir_;
};

QTEST_MAIN(TstPictureLoader)

#include "tst_picture_loader.moc"
