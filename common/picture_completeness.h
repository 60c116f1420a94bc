#pragma once

class QIODevice;

// Whether a picture file holds all the data its headers promise, for formats
// whose decoders quietly make up what is missing (Qt's BMP reader shows
// whatever memory held, its GIF reader paints black). Each check reads the
// device from its current position on and leaves it at an unspecified place;
// a header it cannot make sense of is left for the decoder to refuse.
namespace picture_completeness {

// BMP and DIB: every pixel row, or, run-length encoded, the runs up to the
// end-of-picture mark or the last row.
bool bmpComplete(QIODevice& device);

// GIF: every block, each to its terminator. A trailer missing after whole
// blocks loses nothing, as long as a picture came before it.
bool gifComplete(QIODevice& device);

// ICO and CUR: every picture the directory lists.
bool iconComplete(QIODevice& device);

// A JPEG that ends without its end marker: whether the decoder finds every
// scanline (and, progressive, every refinement) in the data. Some writers
// leave the marker out, and then the picture is whole.
bool jpegDecodesWhole(QIODevice& device);

}  // namespace picture_completeness
