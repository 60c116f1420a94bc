#pragma once

#include <QString>
#include <QStringList>

// The program's folder and the pattern folder beside it.

// The folder path with exactly one separator at its end: unchanged when it
// already ends in one, else with '/' appended; an empty path gives "/".
// Qt writes '/' on every platform; a trailing '\' (a Windows drive root as
// "C:\") counts as a separator too.
QString FixPath(const QString& path);

namespace work_folder {

// The pattern file kinds the pattern list shows.
inline constexpr char kPatternFilter[] = "*.jpg;*.bmp;*.gif";

// The subfolder "textures" of the program folder, with its separator.
QString patternFolder(const QString& programFolder);
// The name shown as the default for saving: "Saved.bmp" in the program folder.
QString defaultSaveName(const QString& programFolder);
// The pattern files of `folder` (names only), sorted by name ignoring case;
// empty when the folder is missing.
QStringList patternFiles(const QString& folder);

}  // namespace work_folder
