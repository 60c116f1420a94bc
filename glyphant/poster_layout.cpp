#include "glyphant/poster_layout.h"

#include <algorithm>
#include <cmath>

namespace poster {

namespace {

// Lengths closer than this (mm) are the same: a width made to fill three
// sheets exactly must not spill a rounding error onto a fourth.
constexpr double kTolerance = 1e-6;

// Sheets needed side by side for `length` when each carries `window` and
// neighbours share `overlap`; 0 when no number of sheets can do it.
int sheetsAlong(double length, double window, double overlap) {
  if (length <= window + kTolerance) return 1;
  if (window <= overlap) return 0;
  return int(std::ceil((length - overlap) / (window - overlap) - kTolerance));
}

}  // namespace

QSizeF trueSizeMm(QSize picture) {
  constexpr double mmPerPixel = kMillimetresPerInch / kTruePixelsPerInch;
  return QSizeF(picture.width() * mmPerPixel, picture.height() * mmPerPixel);
}

QSizeF sizeForWidthMm(QSize picture, double widthMm) {
  if (picture.isEmpty()) return QSizeF();
  return QSizeF(widthMm, widthMm * picture.height() / picture.width());
}

QSizeF sizeForSheetsAcross(QSize picture, int across, const QRectF& printableMm, double overlapMm) {
  const double window = printableMm.width() - 2 * kMarkBandMm;
  const double overlap = std::max(0.0, overlapMm);
  return sizeForWidthMm(picture, across * window - (across - 1) * overlap);
}

Layout oneSheet(QSize picture, const QRectF& printableMm) {
  Layout layout;
  if (picture.isEmpty()) {
    layout.problem = Problem::EmptyPicture;
    return layout;
  }
  if (printableMm.isEmpty()) {
    layout.problem = Problem::NoRoom;
    return layout;
  }
  const double scale =
      std::min(printableMm.width() / picture.width(), printableMm.height() / picture.height());
  QRectF place(QPointF(), QSizeF(picture.width() * scale, picture.height() * scale));
  place.moveCenter(printableMm.center());
  layout.sheets.push_back({0, 0, QRectF(QPointF(), QSizeF(picture)), place});
  layout.rows = layout.columns = 1;
  return layout;
}

Layout posterSheets(QSize picture, QSizeF sizeMm, const QRectF& printableMm, double overlapMm) {
  Layout layout;
  layout.poster = true;
  const QRectF window = printableMm.adjusted(kMarkBandMm, kMarkBandMm, -kMarkBandMm, -kMarkBandMm);
  const double overlap = std::max(0.0, overlapMm);
  if (picture.isEmpty() || !(sizeMm.width() > 0 && sizeMm.height() > 0)) {
    layout.problem = Problem::EmptyPicture;
    return layout;
  }
  if (window.width() <= 0 || window.height() <= 0) {
    layout.problem = Problem::NoRoom;
    return layout;
  }
  const int columns = sheetsAlong(sizeMm.width(), window.width(), overlap);
  const int rows = sheetsAlong(sizeMm.height(), window.height(), overlap);
  if (columns == 0 || rows == 0) {
    layout.problem = Problem::OverlapTooLarge;
    return layout;
  }
  // Counted in floating point first: a huge width must not overflow an int.
  if (double(columns) * rows > kMaxSheets) {
    layout.problem = Problem::TooManySheets;
    return layout;
  }
  layout.rows = rows;
  layout.columns = columns;
  const double pixelsPerMmX = picture.width() / sizeMm.width();
  const double pixelsPerMmY = picture.height() / sizeMm.height();
  const double stepX = window.width() - overlap, stepY = window.height() - overlap;
  for (int row = 0; row < rows; ++row) {
    const double top = row * stepY;
    const double bottom = std::min(top + window.height(), sizeMm.height());
    for (int column = 0; column < columns; ++column) {
      const double left = column * stepX;
      const double right = std::min(left + window.width(), sizeMm.width());
      // The last row and column end exactly at the picture's edge.
      const double sourceRight = column == columns - 1 ? picture.width() : right * pixelsPerMmX;
      const double sourceBottom = row == rows - 1 ? picture.height() : bottom * pixelsPerMmY;
      const QRectF source(QPointF(left * pixelsPerMmX, top * pixelsPerMmY),
                          QPointF(sourceRight, sourceBottom));
      layout.sheets.push_back(
          {row, column, source, QRectF(window.topLeft(), QSizeF(right - left, bottom - top))});
    }
  }
  return layout;
}

}  // namespace poster
