#pragma once

#include <QImage>
#include <QString>
#include <atomic>

#include "common/job_tracking.h"

class QIODevice;

// A picture loaded from a file, or the reason it could not be.
struct LoadedPicture {
  QImage image;
  QString error;  // empty when the picture loaded
  bool ok() const { return error.isEmpty(); }
};

// Loads BMP, DIB, GIF, JPEG, PNG, ICO and CUR files and Windows metafiles
// (WMF, EMF; see metafile_loader.h), recognised by their content rather than
// their name. Files that are empty, truncated, not a picture, or too large to
// hold in memory come back with an error text meant for the user, and no
// image. Data after a picture's end (a phone's motion-photo video, a camera's
// own records) does not make it incomplete. Only a regular file is opened:
// a pipe or a device would make the read wait for a writer.
struct LoadTracking;
LoadedPicture loadPicture(const QString& path, LoadTracking* tracking = nullptr);

// What a load on a worker thread shares with the thread that waits for it.
// A stop makes the load's next read fail, and it ends early with an error.
struct LoadTracking : JobTracking {
  // Set by the load: how far into the file it has read, in bytes.
  std::atomic<qint64> readUpTo{0};
};

// Why `path` cannot be opened as a picture (missing, a folder, not a regular
// file), or nothing when it can. Asks the file system only, never opens the
// file, so it answers at once.
QString pictureFileProblem(const QString& path);

// The same for the bytes of an open, seekable device (a file, a buffer in
// memory), from its current position on. The device is left open, at an
// unspecified position.
LoadedPicture loadPicture(QIODevice& device);

// The largest picture we agree to decode, in bytes of 32-bit pixels. It is
// well above a 4K screen and keeps a hostile header from taking all memory.
inline constexpr qint64 kMaxPictureBytes = qint64(1) << 30;
