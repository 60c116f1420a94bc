#include "gridorm/line_batch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Pixel centres: the first of 0..size-1 whose centre lies after `edge`, and
// the last whose centre lies at or before it. The edge is clamped first, so
// the conversion to int is a plain truncation of a positive number (floor
// itself is a library call on the baseline instruction set, and this runs
// once a row).
constexpr double kShift = 4;  // keeps the truncated value positive
int firstCentreAfter(double edge, int size) {
  const double e = std::clamp(edge - 0.5, -1.0, double(size));
  return static_cast<int>(e + kShift) - static_cast<int>(kShift) + 1;
}
int lastCentreUpTo(double edge, int size) {
  const double e = std::clamp(edge - 0.5, -2.0, double(size - 1));
  return static_cast<int>(e + kShift) - static_cast<int>(kShift);
}

struct Edge {
  double y0, y1;     // y0 < y1
  double x0, slope;  // x at y0, and dx / dy
  double at(double y) const { return x0 + (y - y0) * slope; }
};

// The run of each row already painted by the lines before: all lines of a
// call share one colour, so a span inside it is painted already.
struct Run {
  int from = 1, to = 0;  // empty
};

// Paints the span from..to of row y, leaving out what the row's run holds,
// and grows the run when the span touches it.
void paintSpan(Surface& s, Run& run, int y, int from, int to, std::uint32_t pixel) {
  auto* row = reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(s.bits) +
                                               static_cast<std::ptrdiff_t>(y) * s.stride);
  if (run.from > run.to || to < run.from - 1 || from > run.to + 1) {
    std::fill(row + from, row + to + 1, pixel);
    run = {from, to};
    return;
  }
  if (from < run.from) std::fill(row + from, row + run.from, pixel);
  if (to > run.to) std::fill(row + run.to + 1, row + to + 1, pixel);
  run = {std::min(from, run.from), std::max(to, run.to)};
}

// One line's outline is a rectangle turned along the line. Between the y of
// two corners, one pair of its edges bounds every row: the rows of such a
// band are filled between those two, with no search per row.
void strokeOne(Surface& s, std::vector<Run>& runs, const QLineF& line, double half,
               std::uint32_t pixel) {
  const QPointF d = line.p2() - line.p1();
  const double length = std::hypot(d.x(), d.y());
  const QPointF u = length > 0 ? d / length : QPointF(1, 0);
  const QPointF n(-u.y(), u.x());
  const QPointF a = line.p1() - u * half, b = line.p2() + u * half;
  const std::array<QPointF, 4> corner = {a + n * half, b + n * half, b - n * half, a - n * half};

  std::array<Edge, 4> edges{};
  int count = 0;
  std::array<double, 4> ys{};
  for (int i = 0; i < 4; ++i) {
    QPointF p = corner[i], q = corner[(i + 1) % 4];
    ys[i] = p.y();
    if (p.y() == q.y()) continue;
    if (p.y() > q.y()) std::swap(p, q);
    edges[count++] = {p.y(), q.y(), p.x(), (q.x() - p.x()) / (q.y() - p.y())};
  }
  std::sort(ys.begin(), ys.end());
  for (int band = 0; band < 3; ++band) {
    const double top = ys[band], bottom = ys[band + 1];
    if (top == bottom) continue;
    const double middle = (top + bottom) / 2;
    // A convex outline: exactly two of its edges span the band.
    std::array<const Edge*, 2> side{};
    int found = 0;
    for (int e = 0; e < count && found < 2; ++e)
      if (edges[e].y0 <= middle && edges[e].y1 >= middle) side[found++] = &edges[e];
    if (found < 2) continue;
    if (side[0]->at(middle) > side[1]->at(middle)) std::swap(side[0], side[1]);
    const Edge &left = *side[0], &right = *side[1];
    const int lastRow = lastCentreUpTo(bottom, s.height);
    for (int y = firstCentreAfter(top, s.height); y <= lastRow; ++y) {
      const double cy = y + 0.5;
      const int from = firstCentreAfter(left.at(cy), s.width);
      const int to = lastCentreUpTo(right.at(cy), s.width);
      if (from <= to) paintSpan(s, runs[static_cast<std::size_t>(y)], y, from, to, pixel);
    }
  }
}

}  // namespace

void strokeLines(Surface& surface, const QList<QLineF>& lines, int width, ColourRef colour) {
  if (surface.bits == nullptr || surface.width <= 0 || surface.height <= 0 || width < 1) return;
  const std::uint32_t pixel = colour::toPixel(colour);
  const QRectF area(0, 0, surface.width, surface.height);
  std::vector<Run> runs(static_cast<std::size_t>(surface.height));
  for (const QLineF& line : lines) {
    // Far-off lines would only be clipped away.
    const QRectF bounds =
        QRectF(line.p1(), line.p2()).normalized().adjusted(-width, -width, width, width);
    if (bounds.intersects(area)) strokeOne(surface, runs, line, width / 2.0, pixel);
  }
}
