#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

class QPalette;

// Colour references as the programs speak of them: 0x00BBGGRR, red in the
// low byte; a value with the top bit set names a system colour instead.
using ColourRef = std::uint32_t;

namespace colour {

inline constexpr ColourRef kSystemFlag = 0x80000000u;
inline constexpr ColourRef kButtonFace = 0x8000000Fu;
inline constexpr ColourRef kCaptionText = 0x80000009u;
inline constexpr ColourRef kWindowBackground = 0x80000005u;
inline constexpr ColourRef kWindowText = 0x80000008u;
// What a failed pixel read returns, like GetPixel's CLR_INVALID.
inline constexpr ColourRef kInvalid = 0xFFFFFFFFu;

constexpr ColourRef rgb(int r, int g, int b) {
  return static_cast<ColourRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int red(ColourRef c) { return static_cast<int>(c & 0xFF); }
constexpr int green(ColourRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blue(ColourRef c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr bool isSystemColour(ColourRef c) { return (c & kSystemFlag) != 0 && c != kInvalid; }

// 0xAARRGGBB pixel (as in a 32-bit image) <-> colour reference.
constexpr ColourRef fromPixel(std::uint32_t argb) {
  return rgb(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
             static_cast<int>(argb & 0xFF));
}
constexpr std::uint32_t toPixel(ColourRef c) {
  return 0xFF000000u | (static_cast<std::uint32_t>(red(c)) << 16) |
         (static_cast<std::uint32_t>(green(c)) << 8) | static_cast<std::uint32_t>(blue(c));
}

// A system colour is resolved through the palette; 0x8000000F is the button
// face. Unknown system colour numbers resolve to the window colour.
QColor toQColor(ColourRef c);
QColor toQColor(ColourRef c, const QPalette& palette);
ColourRef fromQColor(const QColor& c);

// Black or white, whichever reads better on `background`.
QColor readableOn(const QColor& background);

// The readout text "RGB(r,g,b)".
QString rgbText(ColourRef c);

}  // namespace colour
