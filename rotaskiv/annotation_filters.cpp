#include "rotaskiv/annotation_filters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace capture::filters {

namespace {

using Channels = std::array<quint32, 4>;

Channels split(quint32 pixel) {
  return {pixel & 0xff, (pixel >> 8) & 0xff, (pixel >> 16) & 0xff, pixel >> 24};
}
quint32 join(const Channels& c) { return c[0] | c[1] << 8 | c[2] << 16 | c[3] << 24; }

const quint32* pixelsOf(const QImage& image, int y) {
  return reinterpret_cast<const quint32*>(image.constScanLine(y));
}

// The mean of `area` of `image`, each channel rounded.
quint32 meanOf(const QImage& image, const QRect& area) {
  std::array<quint64, 4> sums{};
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const quint32* line = pixelsOf(image, y);
    for (int x = area.left(); x <= area.right(); ++x) {
      const Channels c = split(line[x]);
      for (int k = 0; k < 4; ++k) sums[size_t(k)] += c[size_t(k)];
    }
  }
  const quint64 n = quint64(area.width()) * quint64(area.height());
  Channels mean{};
  for (size_t k = 0; k < 4; ++k) mean[k] = quint32((sums[k] + n / 2) / n);
  return join(mean);
}

// --- Pixelate -----------------------------------------------------------------

// The edges of the blocks along one side of the box: every `block` pixels
// from `start` up to `end` (exclusive), a sliver joined to the block before.
std::vector<int> blockEdges(int start, int end, int block) {
  std::vector<int> edges;
  for (int edge = start; edge < end; edge += block) edges.push_back(edge);
  if (edges.size() > 1 && (end - edges.back()) * 2 < block) edges.pop_back();
  edges.push_back(end);
  return edges;
}

// The blocks' span along one side that meets [from, to].
std::pair<int, int> blockSpan(const std::vector<int>& edges, int from, int to) {
  const auto first = std::upper_bound(edges.begin(), edges.end(), from) - 1;
  const auto last = std::upper_bound(edges.begin(), edges.end(), to);
  return {*first, *last - 1};
}

// --- Blur -------------------------------------------------------------------

// The blur works on the means of cells of `factor` x `factor` pixels (laid
// from the box's top-left), blurs them with two box passes each way and
// brings them back to pixels by bilinear interpolation: a radius of tens of
// pixels costs no more than a small one, and is as unreadable as a Gaussian
// of about that radius (the passes alone spread 2.8 cells).
constexpr int kPassRadius = 3;
constexpr int kPasses = 2;  // each way
// The cells' sums after the passes, over this, are their means again.
constexpr quint32 kPassesWeight = 7 * 7 * 7 * 7;
static_assert((2 * kPassRadius + 1) * (2 * kPassRadius + 1) * (2 * kPassRadius + 1) *
                  (2 * kPassRadius + 1) ==
              kPassesWeight);

struct BlurGrid {
  QRect box;
  // At most 16, so that a cell's sum of one channel fits 16 bits.
  int factor;
  int columns, rows;

  BlurGrid(const QRect& b, int radius)
      : box(b),
        factor(std::clamp((radius + 2) / 3, 1, 16)),
        columns((b.width() + factor - 1) / factor),
        rows((b.height() + factor - 1) / factor) {}

  static constexpr int reach() { return kPasses * kPassRadius; }  // of the passes together
  // The cell an output pixel's interpolation starts from (and the one after).
  int firstCell(int local) const { return int(std::floor((local + 0.5) / factor - 0.5)); }
  // The cells (columns x, rows y) whose blurred values the output over
  // `out` reads.
  QRect cellsRead(const QRect& out) const {
    const QRect local = out.translated(-box.topLeft());
    return QRect(QPoint(firstCell(local.left()), firstCell(local.top())),
                 QPoint(firstCell(local.right()) + 1, firstCell(local.bottom()) + 1)) &
           QRect(0, 0, columns, rows);
  }
  QRect pixelsOf(const QRect& cells) const {
    return QRect(box.topLeft() + cells.topLeft() * factor, cells.size() * factor) & box;
  }
  QRect widened(const QRect& cells, int by) const {
    return cells.adjusted(-by, -by, by, by) & QRect(0, 0, columns, rows);
  }
};

// Cells outside a row or column of `count` mirrored back into it (the edge
// cell not repeated): an edge cell weighs no more than its neighbours.
int mirrored(int i, int count) {
  if (count == 1) return 0;
  const int period = 2 * (count - 1);
  i %= period;
  if (i < 0) i += period;
  return i < count ? i : period - i;
}

// One channel of a part of the grid, row by row.
struct Plane {
  int width, height;
  std::vector<quint32> values;
  quint32* row(int y) { return values.data() + size_t(y) * size_t(width); }
};

// Sums over 2 kPassRadius + 1 neighbours along each row, mirrored at the
// ends: sums, not means, so nothing is rounded until the end.
void sumAlongRows(Plane& plane) {
  // The row with its mirrored cells on either side (one more on the right
  // for the last step).
  constexpr int pad = kPassRadius + 1;
  std::vector<quint32> line(static_cast<size_t>(plane.width + 2 * pad));
  for (int y = 0; y < plane.height; ++y) {
    quint32* values = plane.row(y);
    for (int i = -pad; i < plane.width + pad; ++i)
      line[size_t(i + pad)] = values[mirrored(i, plane.width)];
    const quint32* at = line.data() + pad;
    quint32 sum = 0;
    for (int i = -kPassRadius; i <= kPassRadius; ++i) sum += at[i];
    for (int i = 0; i < plane.width; ++i) {
      values[i] = sum;
      sum += at[i + kPassRadius + 1] - at[i - kPassRadius];
    }
  }
}

// The same down each column, a row of running sums at a time.
void sumAlongColumns(Plane& plane) {
  const std::vector<quint32> in = plane.values;
  const auto row = [&](int y) {
    return in.data() + size_t(mirrored(y, plane.height)) * size_t(plane.width);
  };
  std::vector<quint32> sums(size_t(plane.width), 0);
  for (int y = -kPassRadius; y <= kPassRadius; ++y)
    for (int x = 0; x < plane.width; ++x) sums[size_t(x)] += row(y)[x];
  for (int y = 0; y < plane.height; ++y) {
    std::copy(sums.begin(), sums.end(), plane.row(y));
    const quint32* entering = row(y + kPassRadius + 1);
    const quint32* leaving = row(y - kPassRadius);
    for (int x = 0; x < plane.width; ++x) sums[size_t(x)] += entering[x] - leaving[x];
  }
}

// The means of `cells` over the pixels of `below` (device pixel `origin` at
// its (0, 0)), one plane per channel. Two channels are summed at once in
// 16-bit halves.
std::array<Plane, 4> cellMeans(const BlurGrid& grid, const QImage& below, QPoint origin,
                               const QRect& cells) {
  const int w = cells.width(), h = cells.height();
  std::array<Plane, 4> planes;
  for (Plane& p : planes) p = Plane{w, h, std::vector<quint32>(size_t(w) * size_t(h))};
  const QRect pixels = grid.pixelsOf(cells);
  std::vector<quint32> blueRed(static_cast<size_t>(w)), greenAlpha(static_cast<size_t>(w));
  for (int cy = 0; cy < h; ++cy) {
    const int top = pixels.top() + cy * grid.factor;
    const int bottom = std::min(top + grid.factor - 1, pixels.bottom());
    std::fill(blueRed.begin(), blueRed.end(), 0);
    std::fill(greenAlpha.begin(), greenAlpha.end(), 0);
    for (int y = top; y <= bottom; ++y) {
      const quint32* line = pixelsOf(below, y - origin.y()) + (pixels.left() - origin.x());
      for (int cx = 0, x = 0; cx < w; ++cx) {
        const int end = std::min(x + grid.factor, pixels.width());
        quint32 br = 0, ga = 0;
        for (; x < end; ++x) {
          br += line[x] & 0x00ff00ff;
          ga += (line[x] >> 8) & 0x00ff00ff;
        }
        blueRed[size_t(cx)] += br;
        greenAlpha[size_t(cx)] += ga;
      }
    }
    for (int cx = 0; cx < w; ++cx) {
      const int width = std::min(grid.factor, pixels.width() - cx * grid.factor);
      const quint32 n = quint32(width * (bottom - top + 1));
      const size_t i = size_t(cy) * size_t(w) + size_t(cx);
      planes[0].values[i] = ((blueRed[size_t(cx)] & 0xffff) + n / 2) / n;
      planes[1].values[i] = ((greenAlpha[size_t(cx)] & 0xffff) + n / 2) / n;
      planes[2].values[i] = ((blueRed[size_t(cx)] >> 16) + n / 2) / n;
      planes[3].values[i] = ((greenAlpha[size_t(cx)] >> 16) + n / 2) / n;
    }
  }
  return planes;
}

// (x (256 - weight) + y weight) / 256 in each channel, two at a time.
inline quint32 mix(quint32 x, quint32 y, quint32 weight) {
  const quint32 other = 256 - weight;
  const quint32 blueRed =
      (((x & 0x00ff00ff) * other + (y & 0x00ff00ff) * weight) >> 8) & 0x00ff00ff;
  const quint32 greenAlpha =
      (((x >> 8) & 0x00ff00ff) * other + ((y >> 8) & 0x00ff00ff) * weight) & 0xff00ff00;
  return blueRed | greenAlpha;
}

void blur(const BlurGrid& grid, const QImage& below, QPoint belowOrigin, const QRect& out,
          QImage& result, QPoint resultOrigin) {
  const QRect read = grid.cellsRead(out);
  // The cells worked on reach far enough past those read that the edges of
  // this part (where the passes repeat edge cells the whole box does not
  // have) do not get into what is read.
  const QRect cells = grid.widened(read, BlurGrid::reach());
  std::array<Plane, 4> planes = cellMeans(grid, below, belowOrigin, cells);
  for (Plane& plane : planes)
    for (int pass = 0; pass < kPasses; ++pass) {
      sumAlongRows(plane);
      sumAlongColumns(plane);
    }
  const int w = cells.width();
  std::vector<quint32> blurred(planes[0].values.size());
  for (size_t i = 0; i < blurred.size(); ++i) {
    quint32 pixel = 0;
    for (int k = 0; k < 4; ++k)
      pixel |= ((planes[size_t(k)].values[i] + kPassesWeight / 2) / kPassesWeight) << (8 * k);
    blurred[i] = pixel;
  }
  // Bilinear, in 1/256 steps, from the cell centres: down, then across.
  struct Tap {
    int first, second;
    quint32 weight;
  };
  const auto tap = [&](int local, int count, int offset) {
    const double u = (local + 0.5) / grid.factor - 0.5;
    const int first = int(std::floor(u));
    return Tap{std::clamp(first, 0, count - 1) - offset,
               std::clamp(first + 1, 0, count - 1) - offset,
               quint32(std::lround((u - first) * 256))};
  };
  std::vector<Tap> across(static_cast<size_t>(out.width()));
  for (int x = 0; x < out.width(); ++x)
    across[size_t(x)] = tap(out.left() + x - grid.box.left(), grid.columns, cells.left());
  std::vector<quint32> mixedRow(static_cast<size_t>(w));
  for (int y = 0; y < out.height(); ++y) {
    const Tap down = tap(out.top() + y - grid.box.top(), grid.rows, cells.top());
    const quint32* upper = blurred.data() + size_t(down.first) * size_t(w);
    const quint32* lower = blurred.data() + size_t(down.second) * size_t(w);
    for (int c = 0; c < w; ++c) mixedRow[size_t(c)] = mix(upper[c], lower[c], down.weight);
    auto* line = reinterpret_cast<quint32*>(result.scanLine(out.top() + y - resultOrigin.y())) +
                 (out.left() - resultOrigin.x());
    for (int x = 0; x < out.width(); ++x) {
      const Tap& t = across[size_t(x)];
      line[x] = mix(mixedRow[size_t(t.first)], mixedRow[size_t(t.second)], t.weight);
    }
  }
}

}  // namespace

QRect Filter::affected(const QRect& changed) const {
  const QRect meets = changed & box;
  if (meets.isEmpty()) return {};
  if (kind == FilterKind::Pixelate) return needed(meets);
  const BlurGrid grid(box, strength);
  const QRect local = meets.translated(-box.topLeft());
  // (Whole division: QPoint's operator/ would round.)
  const QRect touched(QPoint(local.left() / grid.factor, local.top() / grid.factor),
                      QPoint(local.right() / grid.factor, local.bottom() / grid.factor));
  // Cells within the passes' reach change; a pixel reads the two cells
  // around it, so the pixels of one more cell each way change too.
  return grid.pixelsOf(grid.widened(touched, BlurGrid::reach() + 1));
}

QRect Filter::needed(const QRect& out) const {
  const QRect part = out & box;
  if (part.isEmpty()) return {};
  if (kind == FilterKind::Pixelate) {
    const int block = std::max(2, strength);
    const auto [left, right] =
        blockSpan(blockEdges(box.left(), box.right() + 1, block), part.left(), part.right());
    const auto [top, bottom] =
        blockSpan(blockEdges(box.top(), box.bottom() + 1, block), part.top(), part.bottom());
    return QRect(QPoint(left, top), QPoint(right, bottom));
  }
  const BlurGrid grid(box, strength);
  return grid.pixelsOf(grid.widened(grid.cellsRead(part), BlurGrid::reach()));
}

void Filter::run(const QImage& below, QPoint belowOrigin, QRect out, QImage& result,
                 QPoint resultOrigin) const {
  out &= box;
  if (out.isEmpty()) return;
  if (kind == FilterKind::Blur) {
    blur(BlurGrid(box, strength), below, belowOrigin, out, result, resultOrigin);
    return;
  }
  const int block = std::max(2, strength);
  const std::vector<int> columns = blockEdges(box.left(), box.right() + 1, block);
  const std::vector<int> rows = blockEdges(box.top(), box.bottom() + 1, block);
  const QRect blocks = needed(out);
  for (size_t r = 0; r + 1 < rows.size(); ++r) {
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
      const QRect cell(QPoint(columns[c], rows[r]), QPoint(columns[c + 1] - 1, rows[r + 1] - 1));
      if (!cell.intersects(blocks)) continue;
      const quint32 mean = meanOf(below, cell.translated(-belowOrigin));
      const QRect into = (cell & out).translated(-resultOrigin);
      for (int y = into.top(); y <= into.bottom(); ++y) {
        auto* line = reinterpret_cast<quint32*>(result.scanLine(y));
        std::fill(line + into.left(), line + into.right() + 1, mean);
      }
    }
  }
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
