#include "rotaskiv/excel_property_bag.h"

#include <zstd.h>
#include <QDataStream>
#include <QIODevice>
#include <QList>
#include <cmath>
#include <cstring>

#include "common/picture_loader.h"

namespace {

constexpr quint32 kMagic = 0x45504247;  // "EPBG"
constexpr quint16 kVersion = 2;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// zstd's fastest level: a 4K screen packs in milliseconds, where zlib took
// a quarter of a second after every stroke, and the blobs come out smaller.
constexpr int kCompressionLevel = 1;
constexpr quint32 kMaxColours = 256;

QString key() { return QStringLiteral("pic"); }

// Bytes of one row without the padding QImage adds, or -1 for a format we
// cannot store.
qint64 packedRowBytes(int width, QImage::Format format) {
  if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats) return -1;
  const int depth = QImage::toPixelFormat(format).bitsPerPixel();
  if (depth <= 0) return -1;
  return (qint64(width) * depth + 7) / 8;
}

QByteArray compress(const char* data, qint64 size) {
  QByteArray packed(qsizetype(ZSTD_compressBound(size_t(size))), Qt::Uninitialized);
  const size_t written =
      ZSTD_compress(packed.data(), size_t(packed.size()), data, size_t(size), kCompressionLevel);
  if (ZSTD_isError(written)) return QByteArray();
  packed.resize(qsizetype(written));
  return packed;
}

QByteArray compressPixels(const QImage& picture) {
  const qint64 rowBytes = packedRowBytes(picture.width(), picture.format());
  const qint64 total = rowBytes * picture.height();
  // 32-bit pictures have no row padding: compress them in place.
  if (picture.bytesPerLine() == rowBytes)
    return compress(reinterpret_cast<const char*>(picture.constBits()), total);
  QByteArray packed(total, Qt::Uninitialized);
  for (int y = 0; y < picture.height(); ++y)
    std::memcpy(packed.data() + y * rowBytes, picture.constScanLine(y), size_t(rowBytes));
  return compress(packed.constData(), total);
}

// Qt looks some colours up in the table without a bounds check (comparing two
// pictures, for one): a picture whose pixels name colours its table does not
// hold is damaged.
bool coloursCovered(const QImage& picture) {
  const QImage::Format format = picture.format();
  if (format != QImage::Format_Mono && format != QImage::Format_MonoLSB &&
      format != QImage::Format_Indexed8)
    return true;
  if (picture.colorCount() >= 1 << picture.depth()) return true;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixelIndex(x, y) >= picture.colorCount()) return false;
  return true;
}

}  // namespace

QByteArray ExcelPropertyBag::WriteP(const QImage& picture) const {
  const bool empty = picture.isNull() || packedRowBytes(picture.width(), picture.format()) < 0;
  const QByteArray pixels = empty ? QByteArray() : compressPixels(picture);
  const QList<QRgb> colours = empty ? QList<QRgb>() : picture.colorTable();

  QByteArray blob;
  blob.reserve(pixels.size() + colours.size() * 4 + 64);
  {
    QDataStream out(&blob, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kMagic << kVersion << key();
    out << qint32(empty ? 0 : picture.width()) << qint32(empty ? 0 : picture.height())
        << (empty ? 1.0 : picture.devicePixelRatio())
        << qint32(empty ? QImage::Format_Invalid : picture.format());
    out << quint32(colours.size());
    for (QRgb c : colours) out << quint32(c);
    out << pixels;
  }
  // The undo history holds many of these: keep no spare capacity.
  blob.squeeze();
  return blob;
}

QImage ExcelPropertyBag::ReadP(const QByteArray& blob) const {
  QDataStream in(blob);
  in.setVersion(kStreamVersion);
  quint32 magic = 0;
  quint16 version = 0;
  in >> magic >> version;
  if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion) return {};
  QString storedKey;
  qint32 width = 0, height = 0, format = 0;
  double ratio = 0;
  quint32 colourCount = 0;
  in >> storedKey >> width >> height >> ratio >> format >> colourCount;
  if (in.status() != QDataStream::Ok || storedKey != key()) return {};
  if (width <= 0 || height <= 0 || !std::isfinite(ratio) || ratio <= 0 || colourCount > kMaxColours)
    return {};
  // Checked as a number first: a value outside the enumeration is no QImage::Format,
  // not even for the time it takes to compare it.
  if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats) return {};
  const auto imageFormat = static_cast<QImage::Format>(format);
  const qint64 rowBytes = packedRowBytes(width, imageFormat);
  // Both the picture and its packed rows stay within our limit, which counts
  // 32-bit pixels: Qt pads every row to 4 bytes, so a mono picture 1 pixel
  // wide takes 32 times its packed size. The pixels are counted first, so
  // that no product below can overflow.
  if (qint64(width) * height > kMaxPictureBytes / 4 || rowBytes <= 0 ||
      rowBytes * height > kMaxPictureBytes)
    return {};
  const qint64 total = rowBytes * height;

  QList<QRgb> colours(colourCount);
  for (QRgb& c : colours) {
    quint32 value = 0;
    in >> value;
    c = value;
  }
  QByteArray compressed;
  in >> compressed;
  if (in.status() != QDataStream::Ok || !in.atEnd()) return {};
  // The frame records the size it packed; a mismatch is not ours.
  if (ZSTD_getFrameContentSize(compressed.constData(), size_t(compressed.size())) !=
      static_cast<unsigned long long>(total))
    return {};

  QImage picture(width, height, imageFormat);
  if (picture.isNull()) return {};
  const bool unpadded = picture.bytesPerLine() == rowBytes;
  QByteArray packed;
  if (!unpadded) packed.resize(total);
  char* target = unpadded ? reinterpret_cast<char*>(picture.bits()) : packed.data();
  const size_t read =
      ZSTD_decompress(target, size_t(total), compressed.constData(), size_t(compressed.size()));
  if (ZSTD_isError(read) || read != size_t(total)) return {};
  if (!unpadded)
    for (int y = 0; y < height; ++y)
      std::memcpy(picture.scanLine(y), packed.constData() + y * rowBytes, size_t(rowBytes));
  if (!colours.isEmpty()) picture.setColorTable(colours);
  if (!coloursCovered(picture)) return {};
  picture.setDevicePixelRatio(ratio);
  return picture;
}
