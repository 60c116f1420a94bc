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

// The length `count` sheets cover side by side when each carries `window`
// and neighbours share `overlap`.
double spanOf(int count, double window, double overlap) {
  return count * window - (count - 1) * std::max(0.0, overlap);
}

QRectF windowOf(const QRectF& printableMm) {
  return printableMm.adjusted(kMarkBandMm, kMarkBandMm, -kMarkBandMm, -kMarkBandMm);
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

QSizeF sizeForPercent(QSize picture, double percent) { return trueSizeMm(picture) * percent / 100; }

QSizeF sizeForSheetsAcross(QSize picture, int across, const QRectF& printableMm, double overlapMm) {
  return sizeForWidthMm(picture, spanOf(across, windowOf(printableMm).width(), overlapMm));
}

QSizeF sizeForSheetsDown(QSize picture, int down, const QRectF& printableMm, double overlapMm) {
  if (picture.isEmpty()) return QSizeF();
  const double height = spanOf(down, windowOf(printableMm).height(), overlapMm);
  return QSizeF(height * picture.width() / picture.height(), height);
}

QSizeF sizeForSheets(QSize picture, int across, int down, const QRectF& printableMm,
                     double overlapMm) {
  const QSizeF wide = sizeForSheetsAcross(picture, across, printableMm, overlapMm);
  const QSizeF tall = sizeForSheetsDown(picture, down, printableMm, overlapMm);
  return wide.width() <= tall.width() ? wide : tall;
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

Layout posterSheets(QSize picture, QSizeF sizeMm, const QRectF& printableMm, double overlapMm,
                    bool centred) {
  Layout layout;
  layout.poster = true;
  const QRectF window = windowOf(printableMm);
  const double overlap = std::max(0.0, overlapMm);
  if (picture.isEmpty()) {
    layout.problem = Problem::EmptyPicture;
    return layout;
  }
  if (window.width() <= 0 || window.height() <= 0) {
    layout.problem = Problem::NoRoom;
    return layout;
  }
  if (!(sizeMm.width() > 0 && sizeMm.height() > 0)) {
    layout.problem = Problem::EmptyPicture;
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
  // Where the picture starts in the sheets' windows put together; what is
  // left blank is less than a step, so the first and last sheets keep a part.
  const double startX =
      centred ? std::max(0.0, spanOf(columns, window.width(), overlap) - sizeMm.width()) / 2 : 0;
  const double startY =
      centred ? std::max(0.0, spanOf(rows, window.height(), overlap) - sizeMm.height()) / 2 : 0;
  for (int row = 0; row < rows; ++row) {
    // The window's top and bottom, and the part of the picture in it, in
    // millimetres from the picture's top.
    const double windowTop = row * stepY - startY;
    const double top = std::max(0.0, windowTop);
    const double bottom = std::min(windowTop + window.height(), sizeMm.height());
    for (int column = 0; column < columns; ++column) {
      const double windowLeft = column * stepX - startX;
      const double left = std::max(0.0, windowLeft);
      const double right = std::min(windowLeft + window.width(), sizeMm.width());
      // The last row and column end exactly at the picture's edge.
      const double sourceRight = column == columns - 1 ? picture.width() : right * pixelsPerMmX;
      const double sourceBottom = row == rows - 1 ? picture.height() : bottom * pixelsPerMmY;
      const QRectF source(QPointF(left * pixelsPerMmX, top * pixelsPerMmY),
                          QPointF(sourceRight, sourceBottom));
      const QPointF at = window.topLeft() + QPointF(left - windowLeft, top - windowTop);
      layout.sheets.push_back(
          {row, column, source, QRectF(at, QSizeF(right - left, bottom - top))});
    }
  }
  return layout;
}

}  // namespace poster
