// The reference renderer: one pixel at a time, written for clarity. The SIMD
// renderer in rotate_fast.cpp does the same float operations in the same
// order.
#include <algorithm>
#include <cmath>

#include "rotate/rotate_internal.h"

namespace rotate_internal {
namespace {

struct Rgb {
  float r, g, b;
};

Rgb channels(uint32_t pixel) {
  return {static_cast<float>((pixel >> 16) & 0xFFu), static_cast<float>((pixel >> 8) & 0xFFu),
          static_cast<float>(pixel & 0xFFu)};
}

float clamp255(float v) { return std::min(std::max(v, 0.0f), 255.0f); }

// v + 0.5 truncated; v is within [0, 255] up to rounding, so the result is
// a byte.
uint32_t toByte(float v) { return static_cast<uint32_t>(static_cast<int32_t>(v + 0.5f)); }

void renderPixel(const Prepared& p, float u, float v, uint32_t* out) {
  // Out-of-range positions clamp to where no neighbour is readable.
  u = std::min(std::max(u, -1.0f), static_cast<float>(p.rectWidth));
  v = std::min(std::max(v, -1.0f), static_cast<float>(p.rectHeight));
  const float floorU = std::floor(u);
  const float floorV = std::floor(v);
  const int32_t col = static_cast<int32_t>(floorU);
  const int32_t row = static_cast<int32_t>(floorV);
  const float fx = u - floorU;
  const float fy = v - floorV;
  const float gx = 1.0f - fx;
  const float gy = 1.0f - fy;
  float weight[4] = {gx * gy, fx * gy, gx * fy, fx * fy};
  const int32_t cols[4] = {col, col + 1, col, col + 1};
  const int32_t rows[4] = {row, row, row + 1, row + 1};

  Rgb c[4];
  bool allThere = true;
  for (int i = 0; i < 4; ++i) {
    c[i] = {0.0f, 0.0f, 0.0f};
    const bool inside =
        cols[i] >= 0 && cols[i] < p.rectWidth && rows[i] >= 0 && rows[i] < p.rectHeight;
    if (!inside || (p.src[rows[i] * p.srcStride + cols[i]] & 0x00FFFFFFu) == p.key) {
      weight[i] = 0.0f;
      allThere = false;
      continue;
    }
    c[i] = channels(p.src[rows[i] * p.srcStride + cols[i]]);
  }
  float r = ((weight[0] * c[0].r + weight[1] * c[1].r) + weight[2] * c[2].r) + weight[3] * c[3].r;
  float g = ((weight[0] * c[0].g + weight[1] * c[1].g) + weight[2] * c[2].g) + weight[3] * c[3].g;
  float b = ((weight[0] * c[0].b + weight[1] * c[1].b) + weight[2] * c[2].b) + weight[3] * c[3].b;
  // With all four neighbours there the coverage is exactly one and the
  // weighted sum is the colour; otherwise divide by the coverage.
  float coverage = 1.0f;
  if (!allThere) {
    coverage = ((weight[0] + weight[1]) + weight[2]) + weight[3];
    if (!(coverage > 0.0f)) return;
    const float inverse = 1.0f / coverage;
    r = r * inverse;
    g = g * inverse;
    b = b * inverse;
  }

  if (!p.identityMatrix) {
    const float* m = p.matrix;
    const float nr = (m[0] * r + m[1] * g) + m[2] * b;
    const float ng = (m[3] * r + m[4] * g) + m[5] * b;
    const float nb = (m[6] * r + m[7] * g) + m[8] * b;
    r = nr;
    g = ng;
    b = nb;
  }
  r = clamp255(r);
  g = clamp255(g);
  b = clamp255(b);

  if (p.thresholdActive) {
    const float luminance = (0.2126f * r + 0.7152f * g) + 0.0722f * b;
    if (luminance < p.blackBelow) {
      r = g = b = 0.0f;
    } else if (luminance > p.whiteAbove) {
      r = g = b = 255.0f;
    }
  }

  const float a = std::min(coverage * p.alpha, 1.0f);
  if (a >= 1.0f) {
    *out = 0xFF000000u | (toByte(r) << 16) | (toByte(g) << 8) | toByte(b);
    return;
  }
  const Rgb d = channels(*out);
  const float outR = d.r + (r - d.r) * a;
  const float outG = d.g + (g - d.g) * a;
  const float outB = d.b + (b - d.b) * a;
  *out = 0xFF000000u | (toByte(outR) << 16) | (toByte(outG) << 8) | toByte(outB);
}

}  // namespace

void renderReference(const Prepared& p) {
  for (int32_t y = p.rowBegin; y < p.rowEnd; ++y) {
    Span span;
    if (!rowSpan(p, y, &span)) continue;
    uint32_t* line = p.dst + y * p.dstStride;
    for (int32_t x = span.begin; x < span.end; ++x) {
      const float k = static_cast<float>(x - span.begin);
      renderPixel(p, span.u + p.stepU * k, span.v + p.stepV * k, line + x);
    }
  }
}

}  // namespace rotate_internal
