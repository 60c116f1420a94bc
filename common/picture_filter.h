#pragma once

#include <QString>
#include <QStringList>

// The file suffixes of every kind of picture that loadPicture opens, in lower
// case, each once: the toolkit's own kinds first, then the other kinds Qt's
// image readers read on this system.
QStringList pictureSuffixes();

// The caption of the open dialog's first filter, which lists every picture.
QString supportedPicturesCaption();

// `filter` (the toolkit's "caption|patterns|..." form) as a picture open
// dialog offers it: first an entry of every picture suffix (the patterns of
// an existing first entry of that caption are replaced, else one is put in
// front), then the other entries in their order, and an all-files entry last
// (moved there, or added). Applying it twice changes nothing more.
QString pictureOpenFilter(const QString& filter);
