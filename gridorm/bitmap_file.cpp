#include "gridorm/bitmap_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

QString writeBitmap(const QImage& picture, const QString& fileName) {
  const auto failed = [&](const QString& reason) {
    return QCoreApplication::translate("Gridorm", "无法保存 %1：%2")
        .arg(QDir::toNativeSeparators(fileName), reason);
  };
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) return failed(file.errorString());
  QImageWriter writer(&file, "bmp");
  // Qt writes 32-bit pictures as 24-bit bitmaps.
  if (!writer.write(picture.convertToFormat(QImage::Format_RGB32))) {
    file.cancelWriting();
    return failed(writer.errorString());
  }
  if (!file.commit()) return failed(file.errorString());
  return {};
}
