#include "rotaskiv/picture_saver.h"

#include <gif_lib.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <memory>
#include <optional>
#include <vector>

#include "common/cursor_override.h"
#include "common/dialogs.h"
#include "common/whole_file.h"

namespace ModSavePic {
namespace {

enum class Format { Jpeg, Png, Gif, Tiff, Bmp };

using Failure = SaveFailure;

QString tr(const char* text) { return QCoreApplication::translate("ModSavePic", text); }

// TIFF settings in the encoder's terms: the only ones we write.
constexpr int kTiffColourDepth = 24;
constexpr int kTiffCompressionNone = 6;
// GIF stores its sizes in 16 bits.
constexpr int kGifMaxSide = 65535;

std::optional<Format> formatFor(const QString& extension) {
  const QString key = extension.toLower();
  if (key == QLatin1String("jpg")) return Format::Jpeg;
  if (key == QLatin1String("png")) return Format::Png;
  if (key == QLatin1String("gif")) return Format::Gif;
  if (key == QLatin1String("tiff")) return Format::Tiff;
  if (key == QLatin1String("bmp")) return Format::Bmp;
  return std::nullopt;
}

std::optional<Failure> checkSettings(Format format, int quality, int colourDepth, int compression) {
  if (format == Format::Jpeg && (quality < 0 || quality > 100))
    return Failure{SaveError::UnsupportedSettings,
                   tr("JPEG 质量 %1 不在 0 到 100 之间").arg(quality)};
  if (format == Format::Tiff && colourDepth != kTiffColourDepth)
    return Failure{SaveError::UnsupportedSettings,
                   tr("不支持 %1 位的 TIFF，只能保存 24 位").arg(colourDepth)};
  if (format == Format::Tiff && compression != kTiffCompressionNone)
    return Failure{SaveError::UnsupportedSettings,
                   tr("不支持 TIFF 压缩方式 %1，只能不压缩 (6)").arg(compression)};
  return std::nullopt;
}

// Qt's writers for everything but GIF, into memory.
std::optional<Failure> encodeWithQt(const QImage& picture, Format format, int quality,
                                    QByteArray* out) {
  QBuffer buffer(out);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer;
  writer.setDevice(&buffer);
  QImage image = picture;
  switch (format) {
    case Format::Jpeg:
      writer.setFormat("jpeg");
      writer.setQuality(quality);
      break;
    case Format::Png:
      writer.setFormat("png");
      break;
    case Format::Tiff:
      writer.setFormat("tiff");
      writer.setCompression(0);  // qtiff: 0 none, 1 LZW
      // Three 8-bit samples, no alpha, whatever the picture's own format.
      image = picture.convertToFormat(QImage::Format_RGB888);
      break;
    case Format::Bmp:
      writer.setFormat("bmp");
      // Qt writes 32-bit pictures as 24-bit bitmaps; convert the rest
      // (indexed, 16-bit, 64-bit) to the same.
      if (picture.depth() != 32) image = picture.convertToFormat(QImage::Format_RGB32);
      break;
    case Format::Gif:
      Q_UNREACHABLE();
  }
  if (!writer.write(image))
    return Failure{SaveError::EncoderFailed,
                   tr("无法编码为 %1 格式：%2")
                       .arg(QString::fromLatin1(writer.format()).toUpper(), writer.errorString())};
  return std::nullopt;
}

int appendToBuffer(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
  return length;
}

Failure gifFailure(int gifError) {
  const char* reason = GifErrorString(gifError);
  return {SaveError::EncoderFailed,
          tr("无法编码为 GIF 格式：%1")
              .arg(reason != nullptr ? QString::fromLatin1(reason) : QString::number(gifError))};
}

struct GifCloser {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// GIF through giflib, into memory. The palette is Qt's: pictures of 256
// colours or fewer keep them exactly, others are dithered (Floyd-Steinberg)
// onto a colour cube. PreferDither would dither even a few flat colours.
std::optional<Failure> encodeGif(const QImage& picture, QByteArray* out) {
  if (picture.width() > kGifMaxSide || picture.height() > kGifMaxSide)
    return Failure{SaveError::EncoderFailed,
                   tr("GIF 图片的宽和高不能超过 %1 像素").arg(kGifMaxSide)};
  const QImage indexed = picture.convertToFormat(QImage::Format_RGB32)
                             .convertToFormat(QImage::Format_Indexed8,
                                              Qt::AutoColor | Qt::DiffuseDither | Qt::AutoDither);
  const QList<QRgb> colours = indexed.colorTable();
  if (indexed.isNull() || colours.isEmpty() || colours.size() > 256)
    return Failure{SaveError::EncoderFailed, tr("无法为 GIF 生成 256 色调色板")};

  int mapSize = 2;  // giflib wants a power of two, at least 2
  while (mapSize < colours.size()) mapSize *= 2;
  std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(mapSize, nullptr));
  if (!map) return gifFailure(E_GIF_ERR_NOT_ENOUGH_MEM);
  for (int i = 0; i < mapSize; ++i) {
    const QRgb c = colours.value(i);  // black past the picture's own colours
    map->Colors[i] =
        GifColorType{GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
  }

  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(out, appendToBuffer, &error));
  if (!gif) return gifFailure(error);
  const int width = indexed.width();
  const int height = indexed.height();
  if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) == GIF_ERROR ||
      EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
    return gifFailure(gif->Error);
  std::vector<GifPixelType> row(static_cast<size_t>(width));  // giflib takes non-const rows
  for (int y = 0; y < height; ++y) {
    const uchar* line = indexed.constScanLine(y);
    std::copy(line, line + width, row.begin());
    if (EGifPutLine(gif.get(), row.data(), width) == GIF_ERROR) return gifFailure(gif->Error);
  }
  // Closing writes the trailer and frees the handle, whatever it returns.
  if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) return gifFailure(error);
  return std::nullopt;
}

}  // namespace

std::optional<SaveFailure> writePicture(const QImage& picture, const QString& fileName,
                                        const QString& extension, int quality, int colourDepth,
                                        int compression) {
  if (picture.isNull()) return Failure{SaveError::EmptyPicture, tr("图片是空的，没有可保存的内容")};
  const std::optional<Format> format = formatFor(extension);
  if (!format)
    return Failure{SaveError::UnsupportedExtension,
                   tr("不支持扩展名“%1”，只能保存为 jpg、png、gif、tiff 或 bmp").arg(extension)};
  if (auto failure = checkSettings(*format, quality, colourDepth, compression)) return failure;

  // Encode first, then write: an encoder failure never touches the disk.
  QByteArray bytes;
  std::optional<Failure> failure = *format == Format::Gif
                                       ? encodeGif(picture, &bytes)
                                       : encodeWithQt(picture, *format, quality, &bytes);
  if (failure) return failure;
  const QString reason = writeWholeFile(fileName, bytes);
  if (reason.isEmpty()) return std::nullopt;
  return Failure{SaveError::CannotWrite, tr("无法写入文件“%1”：%2").arg(fileName, reason)};
}

QString errorReportText(const SaveFailure& failure) {
  return tr("在保存图片的过程中发生错误:\r\n\r\n错误号: %1\r\n错误描述: %2")
      .arg(QString::number(static_cast<int>(failure.number)), failure.description);
}

bool SavePicToFile(const QImage& picture, const QString& fileName, const QString& extension,
                   int quality, int colourDepth, int compression, QWidget* parent) {
  cursor_override::set(Qt::WaitCursor);
  const std::optional<SaveFailure> failure =
      writePicture(picture, fileName, extension, quality, colourDepth, compression);
  cursor_override::reset();
  if (!failure) return true;
  MsgBox(parent, errorReportText(*failure), tr("错误"), MessageRequest::Icon::Information);
  return false;
}

}  // namespace ModSavePic
