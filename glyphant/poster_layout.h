#pragma once

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <vector>

// How a picture is spread over sheets of paper: one sheet with the picture
// scaled to fit, or a poster at a physical size over rows and columns of
// sheets that overlap their neighbours. Pure geometry in millimetres and
// picture pixels, apart from any printer, so that the preview, the print and
// the tests all see the same sheets.
namespace poster {

constexpr double kMillimetresPerInch = 25.4;
// A picture printed at its true size has the screen's pixels per inch.
constexpr double kTruePixelsPerInch = 96.0;
// Each poster sheet keeps a band this wide inside its printable area, around
// its part of the picture, for the cut marks and the sheet's label.
constexpr double kMarkBandMm = 6.0;
constexpr double kDefaultOverlapMm = 10.0;
// A mistyped width could ask for thousands of sheets; beyond this many the
// poster is refused instead of printed.
constexpr int kMaxSheets = 500;

// One sheet of paper and the part of the picture it carries.
struct Sheet {
  int row = 0;     // from 0, top to bottom
  int column = 0;  // from 0, left to right
  QRectF source;   // picture pixels (fractional at the poster's seams)
  QRectF place;    // where they go, millimetres from the paper's top-left corner
};

enum class Problem {
  None,
  EmptyPicture,     // no pixels, or no physical size
  NoRoom,           // the printable area is smaller than the mark bands
  OverlapTooLarge,  // neighbours would overlap by a whole sheet or more
  TooManySheets,    // more than kMaxSheets
};

struct Layout {
  std::vector<Sheet> sheets;  // row by row, each row from the left; empty on a problem
  int rows = 0;
  int columns = 0;
  bool poster = false;  // marks and labels go on poster sheets only
  Problem problem = Problem::None;
};

// The physical size of `picture` at 96 pixels per inch.
QSizeF trueSizeMm(QSize picture);
// The physical size of `picture` `widthMm` wide, its proportions kept.
QSizeF sizeForWidthMm(QSize picture, double widthMm);
// The physical size of `picture` at `percent` of its true size.
QSizeF sizeForPercent(QSize picture, double percent);
// The physical size that fills exactly `across` poster sheets side by side.
QSizeF sizeForSheetsAcross(QSize picture, int across, const QRectF& printableMm, double overlapMm);
// The physical size that fills exactly `down` poster sheets one under another.
QSizeF sizeForSheetsDown(QSize picture, int down, const QRectF& printableMm, double overlapMm);
// The largest physical size that fits `across` by `down` poster sheets: it
// fills them exactly along one side.
QSizeF sizeForSheets(QSize picture, int across, int down, const QRectF& printableMm,
                     double overlapMm);

// The picture scaled to fit the printable area (millimetres on the paper),
// proportions kept, centred.
Layout oneSheet(QSize picture, const QRectF& printableMm);
// The picture at `sizeMm` over as many sheets as it needs: each sheet carries
// a window of its printable area less the mark bands, and neighbours share
// exactly `overlapMm` of the picture (a negative overlap counts as none).
// The picture starts at each window's top-left corner; the last row and
// column carry what is left, so no sheet is without picture. `centred`
// instead shares what the sheets leave blank equally between both ends of
// each row and column.
Layout posterSheets(QSize picture, QSizeF sizeMm, const QRectF& printableMm, double overlapMm,
                    bool centred = false);

}  // namespace poster
