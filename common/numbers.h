#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Units and number conversions of the classic picture-box toolkit.
namespace numbers {

// A screen pixel is 15 twips throughout.
inline constexpr int kTwipsPerPixel = 15;
constexpr double twipsToPixels(double twips) { return twips / kTwipsPerPixel; }
constexpr double pixelsToTwips(double pixels) { return pixels * kTwipsPerPixel; }
// HIMETRIC (0.01 mm) to pixels at 96 pixels per inch.
constexpr double himetricToPixels(double himetric) { return himetric * 96.0 / 2540.0; }

// Rounds to the nearest integer, a half going to the even neighbour
// (376.5 -> 376, 302.5 -> 302, 2.5 -> 2, 3.5 -> 4). Saturates at the
// 64-bit range; NaN gives 0.
std::int64_t roundHalfEven(double value);

// The same, for the 32-bit arguments a caller hands to C functions.
std::int32_t roundHalfEven32(double value);

// The shortest text that reads back as the same single-precision value:
// 120.4, not 120.40000152; 320 not 320.0.
QString shortestFloatText(float value);

// The 16-bit integer a numeric text field holds: leading and trailing blanks
// allowed, then an optional sign and digits. Anything else, or a value
// outside -32768..32767, is reported as no value instead of thrown.
std::optional<std::int16_t> fieldInteger16(const QString& text);

// The number at the start of a text ("12abc" -> 12, "abc" -> 0, " 3.5" ->
// 3.5), as the toolkit's Val does.
double leadingNumber(const QString& text);

}  // namespace numbers
