#include "common/font_list.h"

#include <QFontDatabase>
#include <QRegularExpression>
#include <QSet>

QStringList SystemFontCatalogue::families() const {
  return fonts::plainFamilies(QFontDatabase::families());
}

namespace fonts {

QString drawableFamily(const QString& name) {
  // The database writes a foundry as " [name]" after the family.
  static const QRegularExpression kFoundryTag(QStringLiteral("\\s*\\[[^\\[\\]]*\\]$"));
  return QString(name).remove(kFoundryTag);
}

QStringList plainFamilies(const QStringList& listed) {
  QStringList plain;
  QSet<QString> seen;
  for (const QString& family : listed) {
    const QString name = drawableFamily(family);
    if (name.isEmpty() || seen.contains(name)) continue;
    seen.insert(name);
    plain << name;
  }
  return plain;
}

QStringList everySecondName(const QStringList& names) {
  QStringList chosen;
  for (qsizetype i = 0; i < names.size(); i += 2) chosen << names[i];
  return chosen;
}

int preselectedFontIndex(qsizetype count) {
  constexpr int kPreselected = 32;
  if (count > kPreselected) return kPreselected;
  return count > 0 ? 0 : -1;
}

}  // namespace fonts
