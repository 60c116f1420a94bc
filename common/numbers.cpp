#include "common/numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace numbers {

std::int64_t roundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMax = 0x1p63;  // the first value that no longer fits
  if (value >= kMax) return std::numeric_limits<std::int64_t>::max();
  if (value < -kMax) return std::numeric_limits<std::int64_t>::min();
  // nearbyint follows the current rounding mode, which is to-nearest-even
  // unless someone changed it; do it by hand to be independent of that.
  const double floorValue = std::floor(value);
  const double fraction = value - floorValue;
  auto result = static_cast<std::int64_t>(floorValue);
  if (fraction > 0.5 || (fraction == 0.5 && (result & 1) != 0)) ++result;
  return result;
}

std::int32_t roundHalfEven32(double value) {
  const std::int64_t wide = roundHalfEven(value);
  if (wide > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (wide < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(wide);
}

QString shortestFloatText(float value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return QString();
  return QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
}

std::optional<std::int16_t> fieldInteger16(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  bool ok = false;
  const int value = trimmed.toInt(&ok, 10);
  if (!ok || value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max())
    return std::nullopt;
  return static_cast<std::int16_t>(value);
}

double leadingNumber(const QString& text) {
  const QByteArray latin = text.trimmed().toLatin1();
  const char* begin = latin.constData();
  const char* end = begin + latin.size();
  // from_chars takes no leading '+'; accept it like the toolkit does.
  bool negative = false;
  if (begin != end && (*begin == '+' || *begin == '-')) {
    negative = *begin == '-';
    ++begin;
  }
  // Only digits may follow: from_chars would also take a second sign and
  // the words "inf" and "nan", none of which is a number to the toolkit.
  if (begin == end || !(std::isdigit(static_cast<unsigned char>(*begin)) || *begin == '.'))
    return 0;
  double value = 0;
  const auto result = std::from_chars(begin, end, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return 0;
  return negative ? -value : value;
}

}  // namespace numbers
