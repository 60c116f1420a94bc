#include "common/font_list.h"

#include <QFontDatabase>

QStringList SystemFontCatalogue::families() const { return QFontDatabase::families(); }

namespace fonts {

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
