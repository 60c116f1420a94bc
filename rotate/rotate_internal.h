// Internals of the rotation kernel shared by the reference and the SIMD
// implementations. Everything that does not depend on the pixel is worked
// out once per call into `Prepared`; both implementations then walk the same
// rows and spans and do the same float arithmetic in the same order, so
// they agree pixel for pixel up to rounding.
#ifndef ROTATE_ROTATE_INTERNAL_H
#define ROTATE_ROTATE_INTERNAL_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "rotate/rotatedc.h"

namespace rotate_internal {

// Everything a renderer needs, in the source rectangle's own coordinates:
// the readable part of the rectangle is [0, rectWidth) x [0, rectHeight),
// pixel (0, 0) of it being `src`.
struct Prepared {
  uint32_t* dst = nullptr;
  int64_t dstStride = 0;  // in pixels
  int32_t dstWidth = 0;
  int32_t dstHeight = 0;

  const uint32_t* src = nullptr;  // first readable pixel of the rectangle
  int64_t srcStride = 0;          // in pixels
  int32_t rectWidth = 0;
  int32_t rectHeight = 0;

  // Inverse mapping, sample coordinates in pixel-centre units of the
  // rectangle (a sample at u = 0 hits the centre of its first column):
  //   u = u0 + a * X - b * Y,  v = v0 + b * X + a * Y,
  // with X = x + 0.5 - centreX and Y = y + 0.5 - centreY for destination
  // pixel (x, y).
  double a = 0.0;
  double b = 0.0;
  double u0 = 0.0;
  double v0 = 0.0;
  double centreX = 0.0;
  double centreY = 0.0;
  double inverseA = 0.0;  // 1 / a and 1 / b where they are not zero
  double inverseB = 0.0;
  // Per-pixel steps along a row, as used by both renderers.
  float stepU = 0.0f;
  float stepV = 0.0f;

  // Destination rows that can be covered, [rowBegin, rowEnd).
  int32_t rowBegin = 0;
  int32_t rowEnd = 0;

  // 0x00RRGGBB of the keyed-out colour, or a value no pixel can match.
  uint32_t key = 0x01000000u;

  // Colour matrix (row-major, applied to (R, G, B)) combining hue and
  // saturation; skipped when it is the identity.
  float matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  bool identityMatrix = true;

  // Luminance limits: below `blackBelow` goes black, above `whiteAbove`
  // goes white. Only the one that `threshold` asks for is active.
  bool thresholdActive = false;
  float blackBelow = -1.0f;
  float whiteAbove = 256.0f;

  float alpha = 1.0f;  // clipped to (0, 1]

  // Source offsets fit the SIMD renderer's 32-bit gathers.
  bool smallSource = true;
  // The source rectangle is too large for the cache: the SIMD renderer
  // prefetches.
  bool prefetch = false;
};

// A run of destination pixels on one row that may be covered, with the
// sample position of its first pixel. Pixel k of the run samples at
// (u + stepU * k, v + stepV * k). Within [innerBegin, innerEnd) the samples
// keep clear of the rectangle's last row and column, so all four bilinear
// neighbours lie inside it.
struct Span {
  int32_t begin = 0;
  int32_t end = 0;
  int32_t innerBegin = 0;
  int32_t innerEnd = 0;
  float u = 0.0f;
  float v = 0.0f;
};

enum class Outcome { Invalid, Nothing, Draw };

Outcome prepare(Prepared* p, const Surface* dst, float angle, int32_t cx, int32_t cy, int32_t sw,
                int32_t sh, const Surface* src, int32_t sx, int32_t sy, float zoom, uint32_t mask,
                float alpha, float hue, float saturation, float threshold);

namespace detail {

// Narrows the open interval (lo, hi) of X to where lower < c + k * X < upper.
// `inverse` is 1 / k.
inline void limit(double c, double k, double inverse, double lower, double upper, double* lo,
                  double* hi) {
  if (k == 0.0) {
    if (!(c > lower && c < upper)) *hi = -HUGE_VAL;
    return;
  }
  const double t1 = (lower - c) * inverse;
  const double t2 = (upper - c) * inverse;
  *lo = std::max(*lo, std::min(t1, t2));
  *hi = std::min(*hi, std::max(t1, t2));
}

// Destination columns x with lo < x + 0.5 - centreX < hi, clipped to
// [0, width), as a half-open range.
inline bool columns(double lo, double hi, double centreX, double width, double* first,
                    double* last) {
  if (!(lo < hi)) return false;
  *first = std::clamp(std::floor(lo + centreX - 0.5) + 1.0, 0.0, width);
  *last = std::clamp(std::ceil(hi + centreX - 0.5), 0.0, width);
  return *first < *last;
}

}  // namespace detail

// The x-range of row y whose pixel centres map strictly inside the region
// where a bilinear sample still touches the rectangle (-1 < u < rectWidth,
// -1 < v < rectHeight). Returns false when the row has no such pixel.
inline bool rowSpan(const Prepared& p, int32_t y, Span* span) {
  const double Y = static_cast<double>(y) + 0.5 - p.centreY;
  const double cu = p.u0 - p.b * Y;  // u = cu + a * X
  const double cv = p.v0 + p.a * Y;  // v = cv + b * X
  const double width = p.rectWidth;
  const double height = p.rectHeight;
  double lo = -HUGE_VAL;
  double hi = HUGE_VAL;
  detail::limit(cu, p.a, p.inverseA, -1.0, width, &lo, &hi);
  detail::limit(cv, p.b, p.inverseB, -1.0, height, &lo, &hi);
  double first = 0.0;
  double last = 0.0;
  if (!detail::columns(lo, hi, p.centreX, p.dstWidth, &first, &last)) return false;
  span->begin = static_cast<int32_t>(first);
  span->end = static_cast<int32_t>(last);
  const double X = first + 0.5 - p.centreX;
  // Rounding may put the first centre a hair outside; the clamp also keeps
  // the float conversion in range.
  span->u = static_cast<float>(std::clamp(cu + p.a * X, -2.0, width + 1.0));
  span->v = static_cast<float>(std::clamp(cv + p.b * X, -2.0, height + 1.0));

  // The inner part, with a margin well above the float rounding of
  // u + stepU * k.
  span->innerBegin = span->innerEnd = span->begin;
  const double margin = 1e-6 * (width + height) + 1e-4;
  double innerLo = -HUGE_VAL;
  double innerHi = HUGE_VAL;
  detail::limit(cu, p.a, p.inverseA, margin, width - 1.0 - margin, &innerLo, &innerHi);
  detail::limit(cv, p.b, p.inverseB, margin, height - 1.0 - margin, &innerLo, &innerHi);
  if (detail::columns(innerLo, innerHi, p.centreX, p.dstWidth, &first, &last)) {
    span->innerBegin = std::clamp(static_cast<int32_t>(first), span->begin, span->end);
    span->innerEnd = std::clamp(static_cast<int32_t>(last), span->innerBegin, span->end);
  }
  return true;
}

void renderReference(const Prepared& p);
void renderFast(const Prepared& p);

enum class Implementation { Automatic, Reference, Fast };

// rotatedc() with a chosen implementation; Automatic is what the exported
// function does (fast unless ROTATEDC_REFERENCE=1).
int rotatedcWith(Implementation implementation, Surface* dst, float angle, int32_t cx, int32_t cy,
                 int32_t sw, int32_t sh, Surface* src, int32_t sx, int32_t sy, float zoom,
                 uint32_t mask, float alpha, float hue, float saturation, float threshold);

// Highway targets the fast path was compiled for and this CPU runs, best
// first, and the name of the one it currently dispatches to.
std::vector<int64_t> fastTargets();
const char* targetName(int64_t target);
const char* fastTargetName();
// Restricts the fast path to one target (0 restores normal dispatch). For
// tests that exercise every compiled target on one machine.
void forceFastTarget(int64_t target);

}  // namespace rotate_internal

#endif  // ROTATE_ROTATE_INTERNAL_H
