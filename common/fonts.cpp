#include "common/fonts.h"

#include <QApplication>

namespace fonts {

const QStringList& cjkFallback() {
  // Debian's fonts-noto-cjk first (the project installs it), then the usual
  // faces of other desktops.
  static const QStringList kFaces = {
      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("SimSun")};
  return kFaces;
}

QStringList withCjkFallback(const QString& family) {
  QStringList families = cjkFallback();
  if (!family.isEmpty()) {
    families.removeAll(family);
    families.prepend(family);
  }
  return families;
}

QFont cjkFont(const QString& family, double points) {
  QFont font;
  font.setFamilies(withCjkFallback(family));
  font.setPointSizeF(points);
  return font;
}

void applyCaptionFont() {
  QFont font = QApplication::font();
  font.setFamilies(withCjkFallback(QStringLiteral("SimSun")));
  font.setPointSize(9);
  QApplication::setFont(font);
}

}  // namespace fonts
