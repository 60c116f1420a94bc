#include "gridorm/table_geometry.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "common/numbers.h"

namespace table {
namespace {

using Int16 = std::numeric_limits<std::int16_t>;

// Ends farther out than this are beyond anything a canvas (at most 32767
// twips) shows, and beyond what the painter places exactly: such a line
// counts as one whose coordinates cannot be worked out.
constexpr double kReach = 1 << 24;

bool reachable(double v) { return std::isfinite(v) && std::abs(v) <= kReach; }

void addLine(QList<QLineF>& lines, double x1, double y1, double x2, double y2) {
  if (reachable(x1) && reachable(y1) && reachable(x2) && reachable(y2))
    lines << QLineF(x1, y1, x2, y2);
}

// a / b, or nothing when the division fails (by zero, or 0 / 0).
std::optional<double> quotient(std::optional<double> a, std::optional<double> b) {
  if (!a || !b || *b == 0) return std::nullopt;
  const double q = *a / *b;
  return std::isfinite(q) ? std::optional(q) : std::nullopt;
}

std::optional<double> plus(std::optional<double> a, double b) {
  return a ? std::optional(*a + b) : std::nullopt;
}

// A loop's 16-bit limit and step: the run of its counter, empty when either fails.
QList<std::int16_t> run(std::optional<std::int16_t> last, std::optional<std::int16_t> step) {
  return last && step ? counterRun(1, *last, *step) : QList<std::int16_t>();
}

}  // namespace

std::optional<double> real(const QString& text) {
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<std::int16_t> integer(std::optional<double> value) {
  if (!value) return std::nullopt;
  const std::int64_t rounded = numbers::roundHalfEven(*value);
  if (rounded < Int16::min() || rounded > Int16::max()) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

QList<std::int16_t> counterRun(std::int16_t first, std::int16_t last, std::int16_t step) {
  QList<std::int16_t> values;
  if (step == 0) return values;
  // Counted in a wider integer: a next value past the 16-bit range is past
  // `last` too and ends the run, where a 16-bit counter would overflow.
  for (int i = first; step > 0 ? i <= last : i >= last; i += step)
    values << static_cast<std::int16_t>(i);
  return values;
}

QList<QLineF> verticalRules(const Fields& f) {
  const auto width = real(f.width);
  const auto x0 = real(f.x0), y0 = real(f.y0), height = real(f.height);
  const auto y0i = integer(f.y0);
  QList<QLineF> rules;
  for (std::int16_t i : run(integer(plus(width, 1)), integer(quotient(width, real(f.columns))))) {
    if (x0 && y0 && height && y0i) addLine(rules, *x0 + i, *y0, *x0 + i, *height + *y0i);
  }
  return rules;
}

QList<QLineF> horizontalRules(const Fields& f) {
  const auto height = real(f.height);
  const auto x0 = real(f.x0), y0 = real(f.y0), width = real(f.width);
  const auto x0i = integer(f.x0);
  QList<QLineF> rules;
  for (std::int16_t j : run(integer(plus(height, 1)), integer(quotient(height, real(f.rows))))) {
    if (x0 && y0 && width && x0i) addLine(rules, *x0, *y0 + j, *width + *x0i, *y0 + j);
  }
  return rules;
}

Placement firstCell(const Fields& f) {
  // The toolkit refuses a negative size; the editor then keeps its old one.
  const auto size = [](std::optional<double> cell) -> std::optional<double> {
    if (!cell || *cell - 80 < 0) return std::nullopt;
    return *cell - 80;
  };
  return {plus(real(f.x0), 60), plus(real(f.y0), 60),
          size(quotient(real(f.width), real(f.columns))),
          size(quotient(real(f.height), real(f.rows)))};
}

EditorBox moveRight(EditorBox box, const Fields& f) {
  const auto width = real(f.width), column = quotient(width, real(f.columns));
  if (!column) return box;
  const double right = double(box.left) + box.width;
  box.left = static_cast<float>(*width <= right ? *width - box.width : box.left + *column);
  return box;
}

EditorBox moveDown(EditorBox box, const Fields& f) {
  const auto height = real(f.height), row = quotient(height, real(f.rows));
  if (!row) return box;
  box.top =
      static_cast<float>(*height - box.height < box.top ? *height - box.height : box.top + *row);
  return box;
}

EditorBox moveLeft(EditorBox box, const Fields& f) {
  const auto x0 = real(f.x0), column = quotient(real(f.width), real(f.columns));
  if (!x0 || !column) return box;
  box.left = static_cast<float>(*x0 >= box.left ? *x0 : box.left - *column);
  return box;
}

EditorBox moveUp(EditorBox box, const Fields& f) {
  const auto y0 = real(f.y0), row = quotient(real(f.height), real(f.rows));
  if (!y0 || !row) return box;
  box.top = static_cast<float>(*y0 >= box.top ? *y0 : box.top - *row);
  return box;
}

QList<QLineF> hatchLines(const Fields& f) {
  // The columns field stands in for the far x and the height for the far y.
  const auto x = real(f.x0), y = real(f.y0), farX = real(f.columns), farY = real(f.height);
  QList<QLineF> lines;
  if (!x || !y || !farX || !farY) return lines;
  lines.reserve(27 * 300);
  for (int i = 1; i <= 6000; i += 230)
    for (int j = 1; j <= 6000; j += 20) addLine(lines, *x + j, *y + i, *farX + j, *farY + i);
  return lines;
}

}  // namespace table
