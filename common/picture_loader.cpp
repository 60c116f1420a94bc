#include "common/picture_loader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QImageReader>
#include <QScopeGuard>
#include <cstring>
#include <mutex>

#include "common/metafile_loader.h"
#include "common/picture_completeness.h"

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PictureLoader", text); }

// Reads a seekable device front to back in blocks, so that walking through
// megabytes of compressed data costs a memchr per block rather than a call
// per byte, and skipping a segment costs a seek.
class BlockReader {
 public:
  explicit BlockReader(QIODevice& device) : device_(device) {}

  // The next byte, or -1 at the end of the data.
  int next() {
    if (at_ == block_.size() && !refill()) return -1;
    return quint8(block_[at_++]);
  }

  // A big-endian number of `bytes` bytes, or -1 at the end of the data.
  qint64 bigEndian(int bytes) {
    qint64 value = 0;
    for (int i = 0; i < bytes; ++i) {
      const int byte = next();
      if (byte < 0) return -1;
      value = value << 8 | byte;
    }
    return value;
  }

  // False when fewer than `count` bytes are left.
  bool skip(qint64 count) {
    const qint64 inBlock = qMin<qint64>(count, block_.size() - at_);
    at_ += qsizetype(inBlock);
    if (inBlock == count) return true;
    const qint64 target = device_.pos() + (count - inBlock);
    block_.clear();
    at_ = 0;
    return target <= device_.size() && device_.seek(target);
  }

  // Moves past the next 0xFF byte; false when there is none.
  bool skipPastFF() {
    for (;;) {
      const char* from = block_.constData() + at_;
      if (const void* hit = std::memchr(from, 0xFF, size_t(block_.size() - at_))) {
        at_ += static_cast<const char*>(hit) - from + 1;
        return true;
      }
      if (!refill()) return false;
    }
  }

 private:
  bool refill() {
    block_ = device_.read(kBlockBytes);
    at_ = 0;
    return !block_.isEmpty();
  }

  static constexpr qint64 kBlockBytes = 64 * 1024;
  QIODevice& device_;
  QByteArray block_;
  qsizetype at_ = 0;
};

// libjpeg quietly fills a truncated JPEG with grey, so we check that its end
// marker (FFD9) follows the compressed data of a scan. Segments are skipped by
// their length: the end marker of an EXIF thumbnail inside APP1 does not
// count. Nothing after the end marker is read: phones append a motion photo's
// video there and some cameras their own records. Data that ends inside a
// scan without the marker is asked of the decoder: some writers leave the
// marker out of a whole picture.
bool jpegLooksComplete(BlockReader& in, QIODevice& device, qint64 start) {
  if (in.next() != 0xFF || in.next() != 0xD8) return false;
  bool scanned = false;
  // Between segments, and through a scan's compressed data, every marker
  // starts with 0xFF; libjpeg skips stray bytes before one, and so do we.
  while (in.skipPastFF()) {
    int marker = in.next();
    while (marker == 0xFF) marker = in.next();  // fill bytes
    if (marker < 0) break;
    if (marker == 0xD9) return scanned;
    // A stuffed zero inside compressed data, TEM, the restart markers and SOI
    // carry no length.
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
    const qint64 length = in.bigEndian(2);
    if (length < 2 || !in.skip(length - 2)) return false;
    if (marker == 0xDA) scanned = true;  // a scan header: compressed data follows
  }
  return scanned && device.seek(start) && picture_completeness::jpegDecodesWhole(device);
}

// libpng reports a cut inside the pixel data but not a missing end, so we
// follow the chunks by their lengths up to IEND; what follows it is not read.
bool pngLooksComplete(BlockReader& in) {
  constexpr qint64 kSignatureBytes = 8, kCrcBytes = 4, kMaxChunkBytes = 0x7FFFFFFF;
  constexpr qint64 kEnd = 0x49454E44;  // "IEND"
  if (!in.skip(kSignatureBytes)) return false;
  for (;;) {
    const qint64 length = in.bigEndian(4);
    const qint64 type = in.bigEndian(4);
    if (length < 0 || length > kMaxChunkBytes || type < 0 || !in.skip(length + kCrcBytes))
      return false;
    if (type == kEnd) return true;
  }
}

// True unless `format` is one whose end we check and the data stops short of it.
bool looksComplete(QIODevice& device, const QByteArray& format) {
  const qint64 start = device.pos();
  BlockReader in(device);
  // Qt's BMP, GIF and icon readers report success for a cut file, showing
  // memory that was never decoded; they are held to their headers.
  const bool complete =
      format == "jpeg"                     ? jpegLooksComplete(in, device, start)
      : format == "png"                    ? pngLooksComplete(in)
      : format == "bmp" || format == "dib" ? picture_completeness::bmpComplete(device)
      : format == "gif"                    ? picture_completeness::gifComplete(device)
      : format == "ico" || format == "cur" ? picture_completeness::iconComplete(device)
                                           : true;
  return device.seek(start) && complete;
}

// Set on a thread whose load was told to stop: the decoder, its reads cut
// short, complains of a broken file, which nobody wants to hear about.
thread_local bool stoppedHere = false;
std::atomic<QtMessageHandler> handlerBefore{nullptr};

void quietWhenStopped(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  // Qt hands back its own default handler when none was installed before.
  const QtMessageHandler before = handlerBefore.load();
  if (!stoppedHere && before != nullptr) before(type, context, text);
}

// A file that tells how far it has been read, and whose reads fail once its
// reader was told to stop, so that a decoder working through a large picture
// gives up at its next read. Unbuffered, so that its position is the
// decoder's: the decoders read in blocks of their own.
class TrackedFile final : public QFile {
 public:
  TrackedFile(const QString& path, LoadTracking* tracking) : QFile(path), tracking_(tracking) {}

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (tracking_ == nullptr) return QFile::readData(data, maxSize);
    if (tracking_->stop.load(std::memory_order_relaxed)) {
      stoppedHere = true;
      return -1;
    }
    const qint64 read = QFile::readData(data, maxSize);
    if (read > 0) tracking_->readUpTo.store(pos() + read, std::memory_order_relaxed);
    return read;
  }

 private:
  LoadTracking* tracking_;
};

}  // namespace

QString pictureFileProblem(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) return tr("找不到文件。");
  if (info.isDir()) return tr("这是一个文件夹，不是图片文件。");
  // stat() only: opening a pipe waits until someone writes into it.
  if (!info.isFile()) return tr("这不是普通文件（而是管道、设备或套接字），不能当作图片打开。");
  return QString();
}

LoadedPicture loadPicture(const QString& path, LoadTracking* tracking) {
  LoadedPicture result;
  result.error = pictureFileProblem(path);
  if (!result.error.isEmpty()) return result;
  if (tracking != nullptr) {
    static std::once_flag installed;
    std::call_once(installed, [] { handlerBefore = qInstallMessageHandler(quietWhenStopped); });
  }
  // What the decoder says once stopped is not heard; the next load on this thread is.
  const auto hearAgain = qScopeGuard([] { stoppedHere = false; });
  TrackedFile file(path, tracking);
  if (!file.open(tracking != nullptr ? QIODevice::ReadOnly | QIODevice::Unbuffered
                                     : QIODevice::ReadOnly)) {
    result.error = tr("无法读取文件：%1").arg(file.errorString());
    return result;
  }
  return loadPicture(file);
}

LoadedPicture loadPicture(QIODevice& device) {
  LoadedPicture result;
  if (device.size() == 0) {
    result.error = tr("文件是空的，不是图片。");
    return result;
  }
  if (isMetafileHead(device.peek(64))) return loadMetafile(device);
  // Qt refuses large pictures by default; our own limit above is the one that counts.
  if (QImageReader::allocationLimit() < int(kMaxPictureBytes >> 20))
    QImageReader::setAllocationLimit(int(kMaxPictureBytes >> 20));
  QImageReader reader(&device);
  // Not by a file's suffix: a .dib file holds a whole BMP, which Qt's "dib" does not read.
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QByteArray format = reader.format();  // only peeks at the device
  if (format.isEmpty()) {
    result.error = tr("文件内容不是可识别的图片格式。");
    return result;
  }
  // Before the header is read: the decoder reads on from where its header ended.
  if (!looksComplete(device, format)) {
    result.error = tr("图片文件不完整或已损坏。");
    return result;
  }
  const QSize size = reader.size();
  if (size.isValid() && qint64(size.width()) * size.height() * 4 > kMaxPictureBytes) {
    result.error =
        tr("图片太大（%1 × %2 像素），内存容纳不下。").arg(size.width()).arg(size.height());
    return result;
  }
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    result.error = tr("图片文件不完整或已损坏（%1）。").arg(reader.errorString());
    return result;
  }
  result.image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                               : QImage::Format_RGB32);
  if (result.image.isNull()) result.error = tr("内存不足，无法打开这张图片。");
  return result;
}
