#include "glyphant/work_folder.h"

#include <QDir>

QString FixPath(const QString& path) {
  if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))) return path;
  return path + QLatin1Char('/');
}

namespace work_folder {

QString patternFolder(const QString& programFolder) {
  return FixPath(programFolder) + QStringLiteral("textures") + QLatin1Char('/');
}

QString defaultSaveName(const QString& programFolder) {
  return FixPath(programFolder) + QStringLiteral("Saved.bmp");
}

QStringList patternFiles(const QString& folder) {
  // Name filters match regardless of case: "WOOD.JPG" is a pattern too.
  const QDir dir(folder, QString(), QDir::Name | QDir::IgnoreCase, QDir::Files);
  return dir.entryList(QString::fromLatin1(kPatternFilter).split(QLatin1Char(';')));
}

}  // namespace work_folder
