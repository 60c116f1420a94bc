// The reference renderer: one pixel at a time, written for clarity. It
// defines the kernel's arithmetic; the SIMD renderer in rotate_fast.cpp does
// the same integer and float operations in the same order.
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

struct Tone {
  float r, g, b;
};

// One output channel of the HSV recolouring. `hue` is the hue in [-1, 5)
// times the chroma, `offset` (in [1, 7)) where on the hue hexagon the
// channel reads the turned hue. The channel falls from the value by `ratio`
// (new chroma over old) times its distance from the value on the hexagon.
float hsvChannel(float value, float chroma, float hue, float ratio, float offset) {
  const float sixChroma = 6.0f * chroma;
  float k = hue + chroma * offset;  // in [0, 12) times the chroma
  if (k >= sixChroma) k = k - sixChroma;
  float t = std::min(k, 4.0f * chroma - k);
  t = std::max(std::min(t, chroma), 0.0f);
  return value - ratio * t;
}

// Hue turned by p.hueSixths sixths of a circle and saturation multiplied by
// p.saturation (clipped to 1), value kept: HSV as image editors use it.
Tone recolour(const Prepared& p, Tone in) {
  const float value = std::max(in.r, std::max(in.g, in.b));
  const float chroma = value - std::min(in.r, std::min(in.g, in.b));
  // The hue in [-1, 5) times the chroma, which keeps it exact.
  float hue = 0.0f;
  if (value == in.r) {
    hue = in.g - in.b;
  } else if (value == in.g) {
    hue = 2.0f * chroma + (in.b - in.r);
  } else {
    hue = 4.0f * chroma + (in.r - in.g);
  }
  const float newChroma = std::min(chroma * p.saturation, value);
  const float ratio = newChroma / std::max(chroma, 1.0f);  // a grey stays grey
  return {hsvChannel(value, chroma, hue, ratio, p.hueOffset[0]),
          hsvChannel(value, chroma, hue, ratio, p.hueOffset[1]),
          hsvChannel(value, chroma, hue, ratio, p.hueOffset[2])};
}

// Threshold on the luminance of the (recoloured) channels, in
// ten-thousandths.
Rgb applyThreshold(const Prepared& p, Rgb c) {
  const int32_t luminance = 2126 * c.r + 7152 * c.g + 722 * c.b;
  if (luminance < p.blackBelow) return {0, 0, 0};
  if (luminance > p.whiteAbove) return {255, 255, 255};
  return c;
}

// Rounded to nearest, halves to even.
int32_t toByte(float v) { return static_cast<int32_t>(std::nearbyint(v)); }

// The sample at fixed-point position (u, v), recoloured and blended over
// *out.
void renderPixel(const Prepared& p, int64_t u, int64_t v, uint32_t* out) {
  // Out-of-range positions clamp to where no neighbour is readable.
  u = std::clamp(u, -kFixedOne, p.rectWidth * kFixedOne);
  v = std::clamp(v, -kFixedOne, p.rectHeight * kFixedOne);
  const int64_t col = u >> kFractionBits;
  const int64_t row = v >> kFractionBits;
  const int32_t fx = static_cast<int32_t>((u >> (kFractionBits - 8)) & 0xFF);
  const int32_t fy = static_cast<int32_t>((v >> (kFractionBits - 8)) & 0xFF);
  // Weights in 256ths that always sum to 256.
  const int32_t w11 = (fx * fy + 128) >> 8;
  const int32_t weight[4] = {256 - fx - fy + w11, fx - w11, fy - w11, w11};
  const int64_t cols[4] = {col, col + 1, col, col + 1};
  const int64_t rows[4] = {row, row, row + 1, row + 1};

  // Neighbours outside the rectangle or of the mask colour get no weight.
  int32_t coverage = 0;
  Rgb sum = {0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    if (cols[i] < 0 || cols[i] >= p.rectWidth || rows[i] < 0 || rows[i] >= p.rectHeight) continue;
    const uint32_t pixel = p.src[rows[i] * p.srcStride + cols[i]];
    if ((pixel & 0x00FFFFFFu) == p.key) continue;
    const Rgb c = channels(pixel);
    coverage += weight[i];
    sum = {sum.r + weight[i] * c.r, sum.g + weight[i] * c.g, sum.b + weight[i] * c.b};
  }
  if (coverage == 0) return;
  // The weighted mean, rounded to nearest.
  auto mean = [&](int32_t s) { return (2 * s + coverage) / (2 * coverage); };
  Rgb c = {mean(sum.r), mean(sum.g), mean(sum.b)};

  if (p.recolour) {
    const Tone tone =
        recolour(p, {static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b)});
    c = {toByte(tone.r), toByte(tone.g), toByte(tone.b)};
  }
  if (p.thresholdActive) c = applyThreshold(p, c);

  // Edge coverage times opacity, in 256ths.
  const int32_t a = (coverage * p.alpha256 + 128) >> 8;
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
