#pragma once

#include <QStringList>

// The screen fonts as the programs offer them in their font lists. The
// font database sits behind an interface so that the list, which depends on
// what is installed, can be given in tests.
class FontCatalogue {
 public:
  virtual ~FontCatalogue() = default;
  // Every font family, in the order the system lists them.
  virtual QStringList families() const = 0;
};

// The fonts installed on this system.
class SystemFontCatalogue final : public FontCatalogue {
 public:
  QStringList families() const override;
};

namespace fonts {

// Every second name, starting with the first (indexes 0, 2, 4, ...): what the
// programs' font lists hold.
QStringList everySecondName(const QStringList& names);

// The entry selected at start in a font list of `count` names: entry 32, or
// the first entry when the list is shorter; -1 for an empty list.
int preselectedFontIndex(qsizetype count);

}  // namespace fonts
