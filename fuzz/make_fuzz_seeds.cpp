// Writes the seed inputs of the fuzz targets into <folder>/picture_loader,
// <folder>/metafile_loader/{wmf,emf} and <folder>/excel_property_bag: small
// valid inputs of every kind each reader takes, so that the fuzzers start
// deep inside the formats.
#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdio>

#include "rotaskiv/excel_property_bag.h"
#include "rotaskiv/picture_saver.h"
#include "tests/support/metafile_bytes.h"

namespace {

QImage pattern(int width, int height, QImage::Format format) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgba(x * 37 % 256, y * 53 % 256, (x + y) * 19 % 256, 128 + x * 16));
  return image.convertToFormat(format);
}

QByteArray encoded(const QImage& image, const char* format, bool progressive = false) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  QImageWriter writer(&buffer, format);
  writer.setProgressiveScanWrite(progressive);
  return writer.write(image) ? bytes : QByteArray();
}

// An EXIF block in APP1 right after the start marker, carrying a thumbnail
// with start and end markers of its own, as cameras write it.
QByteArray withThumbnail(const QByteArray& jpeg) {
  const QByteArray exif = QByteArray::fromHex("4578696600004d4d002a0000000800000000000000") +
                          encoded(pattern(4, 4, QImage::Format_RGB32), "jpeg");
  const int length = int(exif.size()) + 2;
  return jpeg.left(2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + exif + jpeg.mid(2);
}

// Qt reads GIF but cannot write it; our picture saver can.
QByteArray gif(const QImage& image) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("seed.gif"));
  if (!ModSavePic::SavePicToFile(image, path, QStringLiteral("gif"), 0, 0, 0)) return QByteArray();
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A snapshot blob laid out field by field, for the ones WriteP never writes.
QByteArray handMadeBlob(qint32 width, qint32 height, qint32 format, const QByteArray& pixels) {
  QByteArray blob;
  QDataStream out(&blob, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << quint32(0x45504247) << quint16(2) << QStringLiteral("pic") << width << height << 1.0
      << format << quint32(0) << pixels;
  return blob;
}

// Metafiles with the records clip art and office documents use most:
// objects, shapes, lines, text, a small bitmap, coordinate changes.
using metafile_bytes::colourRef;
const quint32 kRed = colourRef(255, 0, 0), kBlue = colourRef(0, 0, 255);

metafile_bytes::Wmf wmfShapes(metafile_bytes::Wmf wmf) {
  wmf.brush(kRed).nullPen().rectangle({0, 0}, {100, 120}).brush(kBlue);
  wmf.ellipse({130, 10}, {230, 110}).record(0x061C, {20, 20, 110, 230, 10, 130});  // round rect
  wmf.record(0x0325, {3, 0, 0, 50, 60, 100, 0}).record(0x0324, {3, 10, 10, 60, 100, 10, 100});
  wmf.record(0x0817, {60, 0, 0, 60, 120, 120, 0, 0})  // arc, pie
      .record(0x081A, {60, 130, 60, 230, 110, 230, 10, 130});
  wmf.record(0x0538, {2, 3, 3, 0, 0, 50, 0, 0, 50, 60, 60, 90, 60, 60, 90});  // two polygons
  wmf.bitmap({180, 70}, {220, 110}, metafile_bytes::dib(2, 2, kRed));
  return wmf.text({10, 10}, "Hi <&> \xE9", 30, colourRef(0, 128, 0));
}

metafile_bytes::Emf emfShapes(metafile_bytes::Emf emf) {
  emf.brush(kRed).nullPen().rectangle({0, 0}, {100, 120}).brush(kBlue);
  emf.ellipse({130, 10}, {230, 110}).record(44, {130, 10, 230, 110, 20, 20});     // round rect
  emf.record(87, {0, 0, 100, 60, 3, 0 | 0 << 16, 50 | 60 << 16, 100 | 0 << 16});  // polyline16
  emf.record(86, {0, 0, 100, 100, 3, 10 | 10 << 16, 60 | 100 << 16, 10 | 100 << 16});
  emf.record(85, {0, 0, 100, 100, 4, 0, 50 | 100 << 16, 100 | 100 << 16, 100});  // bezier16
  emf.record(45, {0, 0, 120, 120, 0, 60, 120, 60})
      .record(47, {130, 10, 230, 110, 230, 60, 130, 60});
  emf.record(33, {}).record(
      35, {0x3F800000, 0, 0, 0x3F800000, 0x41200000, 0});  // save, world transform
  emf.record(30, {0, 0, 200, 100}).record(59, {}).record(27, {10, 10}).record(54, {50, 10});
  emf.record(54, {30, 50}).record(61, {}).record(60, {});            // a path: move, lines, close
  emf.record(62, {0, 0, 60, 60}).record(34, {-1});                   // fill the path, restore
  emf.record(17, {8}).record(9, {240, 120}).record(11, {240, 120});  // mapping
  emf.bitmap({180, 70}, {220, 110}, metafile_bytes::dib(2, 2, kRed));
  return emf.text({10, 10}, QStringLiteral("Hi <&> 中文"), 30, colourRef(0, 128, 0));
}

bool writeSeeds(const QString& folder, const QList<std::pair<QString, QByteArray>>& seeds) {
  if (!QDir().mkpath(folder)) return false;
  for (const auto& [name, bytes] : seeds) {
    QFile file(QDir(folder).filePath(name));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
      std::fprintf(stderr, "cannot write the seed %s\n", qPrintable(file.fileName()));
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const QImage opaque = pattern(8, 8, QImage::Format_RGB32);
  const QImage alpha = pattern(8, 8, QImage::Format_ARGB32);
  const QByteArray jpeg = encoded(opaque, "jpeg");
  QByteArray cursor = encoded(alpha, "ico");
  if (cursor.size() > 2) cursor[2] = 2;  // the same layout, of type cursor
  const bool pictures =
      writeSeeds(out.filePath(QStringLiteral("picture_loader")),
                 {{"opaque.png", encoded(opaque, "png")},
                  {"alpha.png", encoded(alpha, "png")},
                  {"grey.png", encoded(opaque.convertToFormat(QImage::Format_Grayscale8), "png")},
                  {"opaque.bmp", encoded(opaque, "bmp")},
                  {"indexed.bmp", encoded(opaque.convertToFormat(QImage::Format_Indexed8), "bmp")},
                  {"baseline.jpg", jpeg},
                  {"progressive.jpg", encoded(opaque, "jpeg", true)},
                  {"thumbnail.jpg", withThumbnail(jpeg)},
                  {"opaque.gif", gif(opaque)},
                  {"alpha.ico", encoded(alpha, "ico")},
                  {"alpha.cur", cursor}});

  using metafile_bytes::Emf;
  using metafile_bytes::Wmf;
  const QRect twips(0, 0, 3600, 1800), pixels(0, 0, 240, 120);
  const bool wmfs = writeSeeds(
      out.filePath(QStringLiteral("metafile_loader/wmf")),
      {{"placeable.wmf", wmfShapes(Wmf().window({0, 0}, {240, 120})).placeable(pixels, 96)},
       {"twips.wmf", wmfShapes(Wmf().window({0, 0}, {240, 120})).placeable(twips, 1440)},
       {"plain.wmf", wmfShapes(Wmf().window({0, 0}, {240, 120})).plain()},
       {"anisotropic.wmf", wmfShapes(Wmf().mapMode(8).window({0, 120}, {240, -120})).plain()},
       {"no-window.wmf", wmfShapes(Wmf()).plain()}});
  const bool emfs = writeSeeds(
      out.filePath(QStringLiteral("metafile_loader/emf")),
      {{"shapes.emf", emfShapes(Emf()).file(pixels, QRect(0, 0, 6351, 3176))},
       {"printer.emf", emfShapes(Emf()).file(QRect(0, 0, 750, 375), QRect(0, 0, 6351, 3176), 300)},
       {"no-frame.emf", emfShapes(Emf()).file(pixels, QRect())}});

  const ExcelPropertyBag bag;
  const bool blobs = writeSeeds(
      out.filePath(QStringLiteral("excel_property_bag")),
      {{"rgb32.blob", bag.WriteP(opaque)},
       {"argb32.blob", bag.WriteP(alpha)},
       {"indexed8.blob", bag.WriteP(opaque.convertToFormat(QImage::Format_Indexed8))},
       {"mono.blob", bag.WriteP(opaque.convertToFormat(QImage::Format_Mono))},
       {"rgb888.blob", bag.WriteP(pattern(7, 5, QImage::Format_RGB888))},
       {"null.blob", bag.WriteP(QImage())},
       // Blobs the reader once mishandled: a format number outside the
       // enumeration, and a mono picture 1 pixel wide whose zstd frame header
       // claims 1 GB of bits (Qt would have padded it to 4 GB).
       {"format-out-of-range.blob", handMadeBlob(8, 8, 0x08400000, QByteArray(16, 0))},
       {"tall-mono.blob",
        handMadeBlob(1, 1 << 30, QImage::Format_Mono, QByteArray::fromHex("28b52ffda000000040"))}});
  return pictures && wmfs && emfs && blobs ? 0 : 1;
}
