#pragma once

#include <QtGlobal>

#include "rotate/surface.h"

// The pattern tiling of pattern text: a w x h pattern copied over a W x H
// canvas from the origin, rows from the top, each row from the left, for
// x = 0, w, 2w ... while x <= W and y likewise, so the last partial row and
// column are covered too. A pattern without area copies nothing.
namespace tiling {

// Calls place(x, y) for every copy in that order; returns how many there were.
template <typename Place>
qint64 forEachTile(int canvasWidth, int canvasHeight, int width, int height, Place&& place) {
  if (width <= 0 || height <= 0) return 0;
  qint64 copies = 0;
  // In 64 bits: the last step may pass the int range on a huge canvas.
  for (qint64 y = 0; y <= canvasHeight; y += height)
    for (qint64 x = 0; x <= canvasWidth; x += width, ++copies) place(int(x), int(y));
  return copies;
}

// Covers `canvas` with copies (BitBlt SRCCOPY) of the w x h pixels at the
// origin of `pattern`; returns the number of copies.
qint64 tile(Surface& canvas, int canvasWidth, int canvasHeight, const Surface& pattern, int width,
            int height);

}  // namespace tiling
