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
// from the box's top-left), blurs them with three box passes each way and
// brings them back to pixels by bilinear interpolation: a radius of tens of
// pixels costs no more than a small one, as unreadable as a Gaussian.
struct BlurGrid {
  QRect box;
  int factor;
  int passRadius;  // of each box pass, in cells
  int columns, rows;

  BlurGrid(const QRect& b, int radius)
      : box(b),
        factor(std::max(1, radius / 4)),
        passRadius(std::max(1, radius / factor - 1)),
        columns((b.width() + factor - 1) / factor),
        rows((b.height() + factor - 1) / factor) {}

  int reach() const { return 3 * passRadius; }  // of the three passes together
  // The cell an output pixel's interpolation starts from (and the one after).
  static int firstCell(int local, int factor) {
    return int(std::floor((local + 0.5) / factor - 0.5));
  }
  // The cells (columns x, rows y) whose blurred values the output over
  // `out` reads.
  QRect cellsRead(const QRect& out) const {
    const QRect local = out.translated(-box.topLeft());
    return QRect(QPoint(firstCell(local.left(), factor), firstCell(local.top(), factor)),
                 QPoint(firstCell(local.right(), factor) + 1,
                        firstCell(local.bottom(), factor) + 1)) &
           QRect(0, 0, columns, rows);
  }
  QRect pixelsOf(const QRect& cells) const {
    return QRect(box.topLeft() + cells.topLeft() * factor, cells.size() * factor) & box;
  }
  QRect widened(const QRect& cells, int by) const {
    return cells.adjusted(-by, -by, by, by) & QRect(0, 0, columns, rows);
  }
};

// Each channel averaged over 2 radius + 1 neighbours along rows (step 1)
// or columns (step width) of `cells`, the edge repeated outwards.
void boxPass(std::vector<quint32>& cells, int width, int height, bool alongRows, int radius) {
  const int length = alongRows ? width : height, count = alongRows ? height : width;
  const size_t along = alongRows ? 1 : size_t(width), across = alongRows ? size_t(width) : 1;
  const int window = 2 * radius + 1;
  std::vector<Channels> line(static_cast<size_t>(length));
  for (int l = 0; l < count; ++l) {
    quint32* first = cells.data() + size_t(l) * across;
    for (int i = 0; i < length; ++i) line[size_t(i)] = split(first[size_t(i) * along]);
    const auto at = [&](int i) -> const Channels& {
      return line[size_t(std::clamp(i, 0, length - 1))];
    };
    Channels sum{};
    for (int i = -radius; i <= radius; ++i)
      for (size_t k = 0; k < 4; ++k) sum[k] += at(i)[k];
    for (int i = 0; i < length; ++i) {
      Channels mean;
      for (size_t k = 0; k < 4; ++k) mean[k] = (sum[k] + quint32(radius)) / quint32(window);
      first[size_t(i) * along] = join(mean);
      for (size_t k = 0; k < 4; ++k) sum[k] += at(i + radius + 1)[k] - at(i - radius)[k];
    }
  }
}

void blur(const BlurGrid& grid, const QImage& below, QPoint belowOrigin, const QRect& out,
          QImage& result, QPoint resultOrigin) {
  const QRect read = grid.cellsRead(out);
  // The cells worked on reach far enough past those read that the edges of
  // this part (where the passes repeat edge cells the whole box does not
  // have) do not get into what is read.
  const QRect cells = grid.widened(read, grid.reach());
  const int w = cells.width(), h = cells.height();
  std::vector<quint32> values(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRect pixels = grid.pixelsOf(QRect(cells.topLeft() + QPoint(x, y), QSize(1, 1)));
      values[size_t(y) * size_t(w) + size_t(x)] = meanOf(below, pixels.translated(-belowOrigin));
    }
  for (int pass = 0; pass < 3; ++pass) {
    boxPass(values, w, h, true, grid.passRadius);
    boxPass(values, w, h, false, grid.passRadius);
  }
  // Bilinear, in 1/256 steps, from the cell centres.
  struct Tap {
    int first, second, weight;
  };
  const auto tap = [&](int local, int count, int offset) {
    const double u = (local + 0.5) / grid.factor - 0.5;
    const int first = int(std::floor(u));
    const int weight = int(std::lround((u - first) * 256));
    return Tap{std::clamp(first, 0, count - 1) - offset,
               std::clamp(first + 1, 0, count - 1) - offset, weight};
  };
  std::vector<Tap> across(size_t(out.width()));
  for (int x = 0; x < out.width(); ++x)
    across[size_t(x)] = tap(out.left() + x - grid.box.left(), grid.columns, cells.left());
  for (int y = 0; y < out.height(); ++y) {
    const Tap down = tap(out.top() + y - grid.box.top(), grid.rows, cells.top());
    const quint32* upper = values.data() + size_t(down.first) * size_t(w);
    const quint32* lower = values.data() + size_t(down.second) * size_t(w);
    auto* line = reinterpret_cast<quint32*>(result.scanLine(out.top() + y - resultOrigin.y()));
    for (int x = 0; x < out.width(); ++x) {
      const Tap& t = across[size_t(x)];
      const Channels a = split(upper[t.first]), b = split(upper[t.second]);
      const Channels c = split(lower[t.first]), d = split(lower[t.second]);
      Channels mixed;
      for (size_t k = 0; k < 4; ++k) {
        const quint32 top = a[k] * quint32(256 - t.weight) + b[k] * quint32(t.weight);
        const quint32 bottom = c[k] * quint32(256 - t.weight) + d[k] * quint32(t.weight);
        mixed[k] = (top * quint32(256 - down.weight) + bottom * quint32(down.weight) + 32768) >> 16;
      }
      line[out.left() + x - resultOrigin.x()] = join(mixed);
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
  return grid.pixelsOf(grid.widened(touched, grid.reach() + 1));
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
  return grid.pixelsOf(grid.widened(grid.cellsRead(part), grid.reach()));
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
