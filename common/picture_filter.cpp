#include "common/picture_filter.h"

#include <QCoreApplication>
#include <QImageReader>

namespace {

struct Entry {
  QString caption, patterns;
};

bool isAllFiles(const Entry& entry) {
  const QStringList patterns = entry.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  return patterns.contains(QStringLiteral("*.*")) || patterns.contains(QStringLiteral("*"));
}

}  // namespace

QStringList pictureSuffixes() {
  // The kinds the programs have always opened keep their familiar order;
  // metafiles are ours, whatever Qt reads.
  QStringList suffixes{"bmp", "dib", "gif", "jpg", "jpeg", "png", "wmf", "emf", "ico", "cur"};
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString suffix = QString::fromLatin1(format).toLower();
    if (!suffixes.contains(suffix)) suffixes << suffix;
  }
  return suffixes;
}

QString supportedPicturesCaption() {
  return QCoreApplication::translate("PictureFilter", "所支持的图片");
}

QString pictureOpenFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QList<Entry> entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) entries.append({parts[i], parts[i + 1]});
  if (!entries.isEmpty() && entries.first().caption == supportedPicturesCaption())
    entries.removeFirst();
  Entry allFiles{QCoreApplication::translate("PictureFilter", "所有文件"), QStringLiteral("*.*")};
  for (qsizetype i = 0; i < entries.size(); ++i)
    if (isAllFiles(entries[i])) allFiles = entries.takeAt(i--);
  QStringList patterns;
  for (const QString& suffix : pictureSuffixes()) patterns << QStringLiteral("*.") + suffix;
  entries.prepend({supportedPicturesCaption(), patterns.join(QLatin1Char(';'))});
  entries.append(allFiles);
  QStringList out;
  for (const Entry& entry : entries) out << entry.caption << entry.patterns;
  return out.join(QLatin1Char('|'));
}
