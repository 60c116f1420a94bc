#pragma once

#include <QIODevice>

// Passes a PDF on to another device with its text searchable as drawn.
//
// Qt's PDF writer tells readers which character each glyph stands for (the
// font's ToUnicode map) by the lowest character the font maps to that glyph.
// CJK fonts map an ideograph and its Kangxi radical to one glyph (行 U+884C
// and ⾏ U+2F8F), so the poster's label read back with radicals that no
// search or copy matches. Qt writes that map uncompressed, in one piece:
// here each radical in it becomes its ideograph, four hex digits for four, so
// that no byte of the file moves and Qt's own offsets stay right.
class PdfTextRepair : public QIODevice {
 public:
  // Open for writing at once; `target` must stay open while it is used.
  explicit PdfTextRepair(QIODevice& target);

 protected:
  qint64 readData(char* data, qint64 length) override;
  qint64 writeData(const char* data, qint64 length) override;

 private:
  QIODevice& target_;
};
