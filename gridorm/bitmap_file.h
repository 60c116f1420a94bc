#pragma once

#include <QImage>
#include <QString>

// Writes `picture` to `fileName` as a Windows BMP file (24 bits a pixel),
// whatever extension the name has, replacing any file of that name only once
// the new one is complete. Returns what went wrong, for the user, or an empty
// text when the file was written.
QString writeBitmap(const QImage& picture, const QString& fileName);
