#pragma once

#include <QIODevice>
#include <vector>

// Passes a PDF on to another device with its pictures marked for smoothing.
//
// Qt's PDF writer never sets an image's /Interpolate flag, and readers and
// printers then enlarge a picture's pixels as blocks (poppler does from four
// times on): a stamp on a poster shows its pixels as squares. Here each image
// Qt writes gets "/Interpolate true" in its dictionary, and the table of
// where each object starts (the xref table and startxref), which Qt writes
// last, is moved on by what was added before each object.
class PdfSmoothImages : public QIODevice {
 public:
  // Open for writing at once; `target` must stay open while it is used.
  explicit PdfSmoothImages(QIODevice& target);

 protected:
  qint64 readData(char* data, qint64 length) override;
  qint64 writeData(const char* data, qint64 length) override;

 private:
  // How far what Qt wrote at `offset` has moved on.
  qint64 moved(qint64 offset) const;

  QIODevice& target_;
  qint64 received_ = 0;
  std::vector<qint64> marks_;  // where, in what Qt wrote, each flag went in
  bool inTable_ = false;
};
