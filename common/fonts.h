#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// Fonts for Chinese text. The programs name the faces of the desktop they
// were drawn for ("宋体", SimSun); a Linux desktop has other CJK faces, so
// every font the programs make asks for the named face first and then falls
// back along one list, the same in all three programs.
namespace fonts {

// The CJK faces tried after the named one, best first.
const QStringList& cjkFallback();

// `family` followed by the CJK fallback list (the list alone for an empty
// family), ready for QFont::setFamilies.
QStringList withCjkFallback(const QString& family);

// A font of `family` at `points`, falling back to a CJK face.
QFont cjkFont(const QString& family, double points);

// The application-wide font for captions: 9 points, CJK first.
void applyCaptionFont();

}  // namespace fonts
