#include "common/picture_loader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PictureLoader", text); }

bool looksLikeMetafile(const QByteArray& head) {
  // Placeable WMF, plain WMF (memory or disk), and EMF (record type 1, " EMF" at 40).
  if (head.startsWith(QByteArray::fromHex("d7cdc69a"))) return true;
  if (head.startsWith(QByteArray::fromHex("01000900")) ||
      head.startsWith(QByteArray::fromHex("02000900")))
    return true;
  return head.size() >= 44 && head.startsWith(QByteArray::fromHex("01000000")) &&
         head.mid(40, 4) == " EMF";
}

// libjpeg quietly fills a truncated file with grey, and libpng reports one on
// the console; a complete file ends with its end marker (possibly followed by
// padding): FFD9 for JPEG, the IEND chunk for PNG.
bool looksComplete(const QString& path, const QByteArray& endMarker) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 size = file.size();
  const qint64 tail = qMin<qint64>(size, 4096);
  file.seek(size - tail);
  return file.read(tail).contains(endMarker);
}

}  // namespace

LoadedPicture loadPicture(const QString& path) {
  LoadedPicture result;
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists() || info.isDir()) {
    result.error = tr("找不到文件。");
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = tr("无法读取文件：%1").arg(file.errorString());
    return result;
  }
  if (file.size() == 0) {
    result.error = tr("文件是空的，不是图片。");
    return result;
  }
  const QByteArray head = file.peek(64);
  if (looksLikeMetafile(head)) {
    result.error = tr("此平台不支持 Windows 图元文件（WMF/EMF）。");
    return result;
  }

  // Qt refuses large pictures by default; our own limit above is the one that counts.
  if (QImageReader::allocationLimit() < int(kMaxPictureBytes >> 20))
    QImageReader::setAllocationLimit(int(kMaxPictureBytes >> 20));
  QImageReader reader(&file);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QByteArray format = reader.format();
  if (format.isEmpty()) {
    result.error = tr("文件内容不是可识别的图片格式。");
    return result;
  }
  const QSize size = reader.size();
  if (size.isValid() && qint64(size.width()) * size.height() * 4 > kMaxPictureBytes) {
    result.error =
        tr("图片太大（%1 × %2 像素），内存容纳不下。").arg(size.width()).arg(size.height());
    return result;
  }
  if ((format == "jpeg" && !looksComplete(path, QByteArray::fromHex("ffd9"))) ||
      (format == "png" && !looksComplete(path, "IEND"))) {
    result.error = tr("图片文件不完整或已损坏。");
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
