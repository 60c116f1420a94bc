#pragma once

#include <QStringList>

// The screen fonts as the programs offer them in their font lists. The
// font database sits behind an interface so that the list, which depends on
// what is installed, can be given in tests.
class FontCatalogue {
 public:
  virtual ~FontCatalogue() = default;
  // Every font family by its plain name, each once, in the order the system
  // lists them.
  virtual QStringList families() const = 0;
};

// The fonts installed on this system.
class SystemFontCatalogue final : public FontCatalogue {
 public:
  QStringList families() const override;
};

namespace fonts {

// The family names of `listed` (the font database's list) as a user reads
// them: Qt tags a family that more than one foundry ships with the foundry
// ("Nimbus Sans [urw]", "Nimbus Sans [UKWN]"); the tag goes, and each family
// is named once, where it first appears.
QStringList plainFamilies(const QStringList& listed);

// The family to ask QFont for, for a name of a font list: the plain name, so
// that the font database picks the best face of any foundry. A tagged name
// loses its tag (a family the database lists only with one still draws by its
// plain name).
QString drawableFamily(const QString& name);

// Every second name, starting with the first (indexes 0, 2, 4, ...): what the
// programs' font lists hold.
QStringList everySecondName(const QStringList& names);

// The entry selected at start in a font list of `count` names: entry 32, or
// the first entry when the list is shorter; -1 for an empty list.
int preselectedFontIndex(qsizetype count);

}  // namespace fonts
