#pragma once

#include <QImage>
#include <QString>
#include <optional>

class QWidget;

// Writes pictures to image files, the format chosen by an extension.
namespace ModSavePic {

// The error numbers shown in the "错误" message box. They are part of what
// users see and may quote back to us, so they never change meaning.
enum class SaveError {
  // The extension is none of jpg, png, gif, tiff, bmp (after lower-casing);
  // the text names the extension.
  UnsupportedExtension = 1,
  // The picture is null or has no pixels.
  EmptyPicture = 2,
  // The file could not be created, written or renamed over the target; the
  // text names the file and the cause (a full or read-only disk, a folder
  // without permission, ...).
  CannotWrite = 3,
  // The encoder could not turn the picture into the format (a GIF wider or
  // taller than 65535 pixels, a missing image-format plugin, ...).
  EncoderFailed = 4,
  // JPEG quality outside 0..100, or TIFF settings other than 24 bits per
  // pixel without compression.
  UnsupportedSettings = 5,
};

// Why a picture could not be saved: the number and the description the
// "错误" message box shows.
struct SaveFailure {
  SaveError number;
  QString description;
};

// Writes `picture` to `fileName` in the format of `extension` (compared in
// lower case; the file name's own suffix is not looked at):
//   "jpg"  JPEG at `quality` (0..100)
//   "png"  PNG, alpha kept
//   "gif"  GIF with a dithered 256-colour palette (exact for pictures of 256
//          colours or fewer), opaque
//   "tiff" uncompressed 24-bit RGB; `colourDepth` must be 24 and
//          `compression` 6, the encoder value for "none"
//   "bmp"  24-bit Windows bitmap
// The file is written to a temporary file beside the target and renamed over
// it only when complete: a failed save leaves no partial file and keeps the
// file it would have replaced. Nothing is shown to the user: the failure, if
// any, is returned.
std::optional<SaveFailure> writePicture(const QImage& picture, const QString& fileName,
                                        const QString& extension, int quality, int colourDepth,
                                        int compression);

// The text of the "错误" message box for a failure.
QString errorReportText(const SaveFailure& failure);

// writePicture with the hourglass cursor while it works (removed on every way
// out) and any failure shown in the "错误" message box. True when the file was
// written.
bool SavePicToFile(const QImage& picture, const QString& fileName, const QString& extension,
                   int quality, int colourDepth, int compression, QWidget* parent = nullptr);

}  // namespace ModSavePic
