#pragma once

#include <QString>
#include <optional>

class QWidget;

// How a capture is saved, wherever it is saved from: the capture window, a
// pin on the desktop, or the command line.
namespace capture_save {

// JPEG at quality 80; TIFF uncompressed (the encoder's value 6) in 24 bits.
inline constexpr int kJpegQuality = 80, kTiffColourDepth = 24, kTiffNoCompression = 6;

// The format a file name asks for: the text after its last dot, or the
// whole name when it has none (the saver then names it in its report).
QString extensionOf(const QString& fileName);

// The save dialog: "保存为", the five formats and all files, PNG first and
// by default, starting in `initialDir`, over `parent`, asking nothing before
// a file is replaced. The chosen name, or nothing when the user cancelled.
std::optional<QString> askFileName(QWidget* parent, const QString& initialDir);

}  // namespace capture_save
