#pragma once

#include <QByteArray>
#include <QImage>
#include <QPrinter>
#include <QRectF>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "glyphant/canvas_record.h"
#include "glyphant/poster_layout.h"

class QPageLayout;
class QPainter;

// How the canvas is to be printed, as chosen in the print preview.
struct PrintSettings {
  enum class Mode { OneSheet, Poster };
  // How the poster's physical size is given.
  // SheetsFit is the largest poster that fits sheetsAcross by sheetsDown.
  enum class Size {
    TrueSize,
    WidthCm,
    SheetsAcross,
    SheetsDown,
    SheetsFit,
    Percent,
    Last = Percent
  };
  Mode mode = Mode::OneSheet;
  Size size = Size::TrueSize;
  double widthCm = 100;
  int sheetsAcross = 2;
  int sheetsDown = 2;
  double percent = 100;  // of the true size
  double overlapMm = poster::kDefaultOverlapMm;
  bool centred = false;  // the poster in the middle of its sheets
};

// What is printed: the canvas's pixels, and the drawings they were made of.
// Where the drawings can be drawn again the sheets are painted from them at
// the printer's resolution (letters as outlines, pictures from their own
// pixels); otherwise from the canvas's pixels.
struct PrintSource {
  QImage pixels;
  CanvasRecord drawings;
  bool drawn() const { return drawings.replayable() && drawings.size() == pixels.size(); }
};

// Printing the canvas: sheets painted one at a time onto the printer, so
// that a poster of any size costs about one sheet's memory beyond the canvas.
namespace print_job {

// The printable area of `page`, millimetres from the paper's top-left corner.
QRectF printableMm(const QPageLayout& page);
// The options a print queue is given with a job, as Qt's own print engine
// gives them, so that the job is treated like any other: paper, copies,
// sides, orientation, then the name, value pairs the print dialog's option
// pages set.
std::vector<std::pair<QByteArray, QByteArray>> queueOptions(const QPageLayout& page, int copies,
                                                            bool collate,
                                                            QPrinter::DuplexMode duplex,
                                                            const QStringList& dialogOptions);

// The sheets `settings` give for a picture of `picture` pixels on `page`.
poster::Layout layoutFor(QSize picture, const PrintSettings& settings, const QPageLayout& page);

// Paints `sheet` of `layout` on the painter's current page of a device laid
// out as `page`: its part of the picture and, on a poster, the cut marks
// where a neighbour is laid on it, the alignment lines where it is laid on a
// neighbour, and its "row, column" label under the picture.
void paintSheet(QPainter& painter, const QPageLayout& page, const PrintSource& source,
                const poster::Layout& layout, const poster::Sheet& sheet);

// Told before each sheet how many are done out of how many, and once more
// when all are; answering false stops the job.
using CarryOn = std::function<bool(int done, int total)>;

enum class Outcome { Printed, Cancelled, Failed };
struct Result {
  Outcome outcome = Outcome::Failed;
  QString error;  // why it failed, for the user
};

// Prints every sheet of `layout` on `printer`, one page each. A PDF file
// appears only once complete (an older file of that name stays until then);
// a printer queue receives the job only once every sheet is made. A
// cancelled or failed job therefore leaves nothing half-written.
Result print(QPrinter& printer, const PrintSource& source, const poster::Layout& layout,
             const CarryOn& carryOn);

}  // namespace print_job
