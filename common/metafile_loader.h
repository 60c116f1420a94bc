#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>

#include "common/picture_loader.h"

class QIODevice;

// Windows metafiles, recognised by their content: a placeable WMF (the key
// 0x9AC6CDD7 before the header), a plain WMF header, or an EMF header record
// with the " EMF" signature. Libraries play them: libwmf's player for WMF,
// drawing with Qt's painter (wmf_painter.h), and libemf2svg for EMF, whose SVG
// Qt SVG draws. Either draws onto a transparent picture, so whatever the
// metafile leaves unpainted shows the background it is put on.
//
// The size is the one the metafile asks for at 96 pixels per inch: a
// placeable WMF's bounding box in its units per inch, an EMF's frame in
// hundredths of a millimetre. A WMF without a usable header size gets its
// window extent (in pixels, or in the physical units of its mapping mode), an
// EMF without a frame its bounds.
//
// Both libraries trust what they read, so every file is walked first: each
// record must lie within the file, the last must be the end record, and sizes
// and record counts beyond our limits are refused before anything is
// allocated for them. A drawing reaching far past its picture is refused
// before Qt draws it, which would take minutes.

// True when `head` (the first bytes of a file) starts like a metafile.
bool isMetafileHead(const QByteArray& head);

// Loads the metafile from the device's current position on.
LoadedPicture loadMetafile(QIODevice& device);

// More records than any real drawing holds; more would take minutes to draw.
inline constexpr qint64 kMaxMetafileRecords = 2'000'000;
// Metafiles with embedded photographs reach tens of megabytes; not hundreds.
inline constexpr qint64 kMaxMetafileBytes = qint64(256) << 20;

// What the walk over a metafile's records found: the picture's size and which
// part of the library's drawing (in the library's own units) fills it.
struct MetafileLayout {
  enum class Kind { Wmf, Emf };
  Kind kind = Kind::Wmf;
  QSize pixels;          // the picture's size; empty until known
  QRectF drawingWindow;  // empty: take the extent of what is drawn (WMF only)
  qint64 records = 0;
  QString error;  // empty when the file passed every check
};

// Checks the file and works out its layout. For a WMF, mends in `bytes` what
// libwmf would play wrong: a header that understates its largest record
// (libwmf sizes a buffer by it), and the state libwmf forgets at each SAVEDC.
MetafileLayout checkMetafile(QByteArray& bytes);
