#include "glyphant/pattern_tiling.h"

#include <algorithm>
#include <cstring>

#include "common/surface.h"

namespace tiling {

namespace {

// Copies `count` rows starting at row 0 to the rows starting at `y`, as far
// as the surface reaches.
void repeatFirstRows(Surface& canvas, int y, int count) {
  const int rows = std::min(count, canvas.height - y);
  auto* bits = reinterpret_cast<unsigned char*>(canvas.bits);
  const auto rowBytes = static_cast<size_t>(canvas.width) * 4;
  for (int i = 0; i < rows; ++i)
    std::memcpy(bits + std::ptrdiff_t(y + i) * canvas.stride,
                bits + std::ptrdiff_t(i) * canvas.stride, rowBytes);
}

}  // namespace

qint64 tile(Surface& canvas, int canvasWidth, int canvasHeight, const Surface& pattern, int width,
            int height) {
  if (canvas.bits == nullptr || pattern.bits == nullptr) return 0;
  return forEachTile(canvasWidth, canvasHeight, width, height, [&](int x, int y) {
    if (y == 0) {
      surface::bitBlt(canvas, x, 0, width, height, pattern, 0, 0);
    } else if (x == 0 && y < canvas.height) {
      // Every later row of copies comes out as the first one: copy its
      // pixel rows whole instead of blitting pattern by pattern.
      repeatFirstRows(canvas, y, height);
    }
  });
}

}  // namespace tiling
