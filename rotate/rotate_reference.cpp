// The reference renderer: one pixel at a time, written for clarity. It
// defines the kernel's arithmetic, all in whole numbers; the SIMD renderer
// in rotate_fast.cpp gives the same pixels.
#include <algorithm>
#include <cmath>

#include "rotate/rotate_internal.h"

namespace rotate_internal {
namespace {

struct Rgb {
  int32_t r, g, b;
};

Rgb channels(uint32_t pixel) {
  return {static_cast<int32_t>((pixel >> 16) & 0xFFu), static_cast<int32_t>((pixel >> 8) & 0xFFu),
          static_cast<int32_t>(pixel & 0xFFu)};
}

uint32_t pack(Rgb c) {
  return 0xFF000000u | (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) |
         static_cast<uint32_t>(c.b);
}

// Hue and saturation in HSV (as image editors and QColor have it), in whole
// numbers. With V the brightest channel and C the chroma (V minus the
// darkest), a colour's place on the hue hexagon times C is a whole number
// in [0, 6C). The saturation gives the new chroma C' = C * s (rounded, at
// most V); the place is scaled to it (rounded) and turned, and each channel
// falls from V by its distance on the hexagon, which is 0 for the channel
// that leads the turned hue, C' for the one that trails it and in between
// for the third. So the brightest channel keeps V, the darkest becomes
// V - C', and only the middle one needs the division.
Rgb recolour(const Prepared& p, Rgb in) {
  const int32_t value = std::max(in.r, std::max(in.g, in.b));
  const int32_t chroma = value - std::min(in.r, std::min(in.g, in.b));
  if (chroma == 0) return in;  // a grey stays grey
  int32_t place = 0;
  if (value == in.r) {
    place = in.g - in.b;
    if (place < 0) place += 6 * chroma;
  } else if (value == in.g) {
    place = 2 * chroma + in.b - in.r;
  } else {
    place = 4 * chroma + in.r - in.g;
  }
  const int32_t newChroma = std::min((chroma * p.saturation256 + 128) >> 8, value);
  // In [0, 7C'].
  const int32_t turned =
      (2 * place * newChroma + chroma) / (2 * chroma) + ((newChroma * p.turnFraction + 128) >> 8);
  auto channel = [&](int32_t sectorOffset) {
    int32_t k = turned + sectorOffset * newChroma;
    if (k >= 6 * newChroma) k -= 6 * newChroma;
    return value - std::clamp(std::min(k, 4 * newChroma - k), 0, newChroma);
  };
  return {channel(p.sectorOffset[0]), channel(p.sectorOffset[1]), channel(p.sectorOffset[2])};
}

// Threshold on the luminance of the (recoloured) channels, in
// ten-thousandths.
Rgb applyThreshold(const Prepared& p, Rgb c) {
  const int32_t luminance = 2126 * c.r + 7152 * c.g + 722 * c.b;
  if (luminance < p.blackBelow) return {0, 0, 0};
  if (luminance > p.whiteAbove) return {255, 255, 255};
  return c;
}

// One byte of the four neighbours (top-left, top-right, bottom-left,
// bottom-right) mixed with weights in 128ths, negated: -(128 * mix), in
// [-32640, 0]. Rows first mixed across, then the bottom row's share added
// to the top row's, rounded; the sign lets the SIMD renderer's byte
// multiply hold both weights (fx - 128 and -fx fit a signed byte, 128 - fx
// does not).
int32_t mixNegated(const uint32_t taps[4], int shift, int32_t fx, int32_t fy) {
  auto byte = [&](int i) { return static_cast<int32_t>((taps[i] >> shift) & 0xFFu); };
  const int32_t top = (fx - kWeightOne) * byte(0) - fx * byte(1);
  const int32_t bottom = (fx - kWeightOne) * byte(2) - fx * byte(3);
  return top + (((bottom - top) * fy + kWeightOne / 2) >> kWeightBits);
}

// The sample at fixed-point position (u, v), recoloured and blended over
// *out.
void renderPixel(const Prepared& p, int64_t u, int64_t v, uint32_t* out) {
  // Out-of-range positions clamp to where no neighbour is readable.
  u = std::clamp(u, -kFixedOne, p.rectWidth * kFixedOne);
  v = std::clamp(v, -kFixedOne, p.rectHeight * kFixedOne);
  const int64_t col = u >> kFractionBits;
  const int64_t row = v >> kFractionBits;
  constexpr int kDrop = kFractionBits - kWeightBits;
  const int32_t fx = static_cast<int32_t>((u >> kDrop) & (kWeightOne - 1));
  const int32_t fy = static_cast<int32_t>((v >> kDrop) & (kWeightOne - 1));

  // Neighbours that are there carry their colour and a presence byte of
  // 128; those outside the rectangle or of the mask colour are all zero, so
  // the presence byte mixes into the coverage and the colours into the
  // coverage-weighted colour.
  uint32_t taps[4] = {};
  for (int i = 0; i < 4; ++i) {
    const int64_t c = col + (i & 1);
    const int64_t r = row + (i >> 1);
    if (c < 0 || c >= p.rectWidth || r < 0 || r >= p.rectHeight) continue;
    const uint32_t pixel = p.src[r * p.srcStride + c] & 0x00FFFFFFu;
    if (pixel != p.key) taps[i] = pixel | 0x80000000u;
  }
  const int32_t coverage = -mixNegated(taps, 24, fx, fy);
  if (coverage == 0) return;
  // The weighted mean of the neighbours that are there, rounded to nearest
  // (the rounding of the mix can push it a hair past 255).
  auto mean = [&](int shift) {
    const int32_t mixed = -mixNegated(taps, shift, fx, fy);
    return std::min(255, (256 * mixed + coverage) / (2 * coverage));
  };
  Rgb c = {mean(16), mean(8), mean(0)};

  if (p.recolour) c = recolour(p, c);
  if (p.thresholdActive) c = applyThreshold(p, c);

  // Edge coverage times opacity, in 256ths.
  const int32_t a = (coverage * p.alpha256 + kFullCoverage / 2) / kFullCoverage;
  if (a < 256) {
    const Rgb d = channels(*out);
    auto blend = [&](int32_t top, int32_t under) {
      return (top * a + under * (256 - a) + 128) >> 8;
    };
    c = {blend(c.r, d.r), blend(c.g, d.g), blend(c.b, d.b)};
  }
  *out = pack(c);
}

}  // namespace

void renderReference(const Prepared& p) {
  for (int32_t y = p.rowBegin; y < p.rowEnd; ++y) {
    Span span;
    if (!rowSpan(p, y, &span)) continue;
    uint32_t* line = p.dst + y * p.dstStride;
    int64_t u = 0;
    int64_t v = 0;
    for (int32_t x = span.begin; x < span.end; ++x) {
      if ((x - span.begin) % kRestartPixels == 0) {
        restartPosition(p, span, x, &u, &v);
      } else {
        u += p.stepU;
        v += p.stepV;
      }
      renderPixel(p, u, v, line + x);
    }
  }
}

}  // namespace rotate_internal
