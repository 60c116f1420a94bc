#include "rotaskiv/annotation_filters.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace capture::filters {

namespace {

// The edges of the blocks along one side: from `start` every `block`
// pixels up to `end` (exclusive), a sliver narrower than half a block
// joined to the block before it.
std::vector<int> blockEdges(int start, int end, int block) {
  std::vector<int> edges;
  for (int edge = start; edge < end; edge += block) edges.push_back(edge);
  if (edges.size() > 1 && (end - edges.back()) * 2 < block) edges.pop_back();
  edges.push_back(end);
  return edges;
}

// Each channel of `pixels` (rows of `width`) averaged over 2 radius + 1
// neighbours along a row (step 1) or a column (step width), the edge pixels
// repeated outwards. `count` lines of `length` pixels each.
void boxPass(std::vector<quint32>& pixels, int length, int count, int along, int across,
             int radius) {
  std::vector<quint32> line(static_cast<size_t>(length));
  const int window = 2 * radius + 1;
  for (int l = 0; l < count; ++l) {
    quint32* first = pixels.data() + size_t(l) * size_t(across);
    const auto at = [&](int i) { return first[size_t(std::clamp(i, 0, length - 1)) * along]; };
    for (int shift = 0; shift < 32; shift += 8) {
      const auto channel = [&](int i) { return int((at(i) >> shift) & 0xff); };
      int sum = 0;
      for (int i = -radius; i <= radius; ++i) sum += channel(i);
      for (int i = 0; i < length; ++i) {
        const quint32 mean = quint32((sum + radius) / window);
        line[size_t(i)] = (shift == 0 ? 0 : line[size_t(i)]) | (mean << shift);
        sum += channel(i + radius + 1) - channel(i - radius);
      }
    }
    for (int i = 0; i < length; ++i) first[size_t(i) * along] = line[size_t(i)];
  }
}

}  // namespace

void pixelate(QImage& image, QRect area, int block) {
  block = std::max(2, block);
  const QRect inside = area & image.rect();
  if (inside.isEmpty()) return;
  const std::vector<int> columns = blockEdges(area.left(), area.right() + 1, block);
  const std::vector<int> rows = blockEdges(area.top(), area.bottom() + 1, block);
  for (size_t r = 0; r + 1 < rows.size(); ++r) {
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
      const QRect cell =
          QRect(QPoint(columns[c], rows[r]), QPoint(columns[c + 1] - 1, rows[r + 1] - 1)) & inside;
      if (cell.isEmpty()) continue;
      quint64 sums[4] = {0, 0, 0, 0};
      for (int y = cell.top(); y <= cell.bottom(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = cell.left(); x <= cell.right(); ++x)
          for (int k = 0; k < 4; ++k) sums[k] += (line[x] >> (8 * k)) & 0xff;
      }
      const quint64 n = quint64(cell.width()) * quint64(cell.height());
      quint32 mean = 0;
      for (int k = 0; k < 4; ++k) mean |= quint32((sums[k] + n / 2) / n) << (8 * k);
      for (int y = cell.top(); y <= cell.bottom(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        std::fill(line + cell.left(), line + cell.right() + 1, mean);
      }
    }
  }
}

void blur(QImage& image, QRect area, int radius) {
  const QRect inside = area & image.rect();
  if (inside.isEmpty()) return;
  // Blurred at a fraction of the size and brought back smoothly: a radius of
  // tens of pixels costs no more than a small one, and the result is as
  // unreadable as a true Gaussian of that radius.
  const int factor = std::max(1, radius / 4);
  const int smallRadius = std::max(1, radius / factor - 1);
  QImage part = image.copy(inside);
  part.setDevicePixelRatio(1);
  const int w = std::max(1, (inside.width() + factor - 1) / factor);
  const int h = std::max(1, (inside.height() + factor - 1) / factor);
  QImage small =
      factor > 1 ? part.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : part;
  small = small.convertToFormat(image.format());
  std::vector<quint32> pixels(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    std::memcpy(pixels.data() + size_t(y) * size_t(w), small.constScanLine(y), size_t(w) * 4);
  // Three box passes each way come close to a Gaussian.
  for (int pass = 0; pass < 3; ++pass) {
    boxPass(pixels, w, h, 1, w, smallRadius);
    boxPass(pixels, h, w, w, 1, smallRadius);
  }
  for (int y = 0; y < h; ++y)
    std::memcpy(small.scanLine(y), pixels.data() + size_t(y) * size_t(w), size_t(w) * 4);
  if (factor > 1)
    small = small.scaled(inside.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(image.format());
  copyPixels(image, inside.topLeft(), small, small.rect());
}

void copyPixels(QImage& target, QPoint to, const QImage& source, QRect from) {
  from &= source.rect();
  QRect into = QRect(to, from.size()) & target.rect();
  if (into.isEmpty()) return;
  from = QRect(from.topLeft() + (into.topLeft() - to), into.size());
  const size_t bytes = size_t(into.width()) * 4;
  for (int y = 0; y < into.height(); ++y)
    std::memcpy(target.scanLine(into.top() + y) + size_t(into.left()) * 4,
                source.constScanLine(from.top() + y) + size_t(from.left()) * 4, bytes);
}

}  // namespace capture::filters
