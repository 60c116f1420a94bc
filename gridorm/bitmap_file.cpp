#include "gridorm/bitmap_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>

#include "common/whole_file.h"

QString writeBitmap(const QImage& picture, const QString& fileName) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "bmp");
  // Qt writes 32-bit pictures as 24-bit bitmaps. Encoded whole before the
  // disk is touched.
  const QString reason = writer.write(picture.convertToFormat(QImage::Format_RGB32))
                             ? writeWholeFile(fileName, bytes)
                             : writer.errorString();
  if (reason.isEmpty()) return {};
  return QCoreApplication::translate("Gridorm", "无法保存 %1：%2")
      .arg(QDir::toNativeSeparators(fileName), reason);
}
