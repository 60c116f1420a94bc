// Internals of the rotation kernel shared by the reference and the SIMD
// implementations. Everything that does not depend on the pixel is worked
// out once per call into `Prepared`; both implementations then walk the same
// rows and spans and do the same integer and float operations in the same
// order, so they agree bit for bit.
#ifndef ROTATE_ROTATE_INTERNAL_H
#define ROTATE_ROTATE_INTERNAL_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "rotate/rotatedc.h"

namespace rotate_internal {

// Sample positions are fixed point with 16 fraction bits; bilinear weights
// are in 128ths, from the top kWeightBits of the fraction.
constexpr int kFractionBits = 16;
constexpr int64_t kFixedOne = int64_t{1} << kFractionBits;
constexpr int kWeightBits = 7;
constexpr int32_t kWeightOne = 1 << kWeightBits;
// A pixel's coverage: the weight that falls on neighbours that are there,
// in 16384ths (the square of the weights' unit).
constexpr int32_t kFullCoverage = kWeightOne * kWeightOne;
// Positions are worked out exactly (to the nearest 1/65536) at every
// kRestartPixels-th pixel of a span and stepped in between, which keeps the
// drift of the rounded step below 1/1000 of a pixel.
constexpr int32_t kRestartPixels = 128;

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
  // Fixed-point steps from one pixel of a row to the next (a and b rounded).
  int64_t stepU = 0;
  int64_t stepV = 0;
  double inverseStepU = 0.0;  // 1 / stepU and 1 / stepV where they are not zero
  double inverseStepV = 0.0;

  // Destination rows that can be covered, [rowBegin, rowEnd).
  int32_t rowBegin = 0;
  int32_t rowEnd = 0;

  // 0x00RRGGBB of the keyed-out colour, or a value no pixel can match.
  uint32_t key = 0x01000000u;

  // Recolouring in HSV, in whole numbers (see the reference renderer): the
  // saturation is multiplied by `saturation256` 256ths (0 to 65280: from 255
  // on every colour clips to full saturation), the hue turns by
  // `turnSixths` sixths of a circle and `turnFraction` 256ths of a sixth.
  // `sectorOffset` holds, for red, green and blue, where on the hue hexagon
  // (in sixths, 0 to 5) the channel reads the turned hue. Skipped when it
  // would change nothing.
  bool recolour = false;
  int32_t saturation256 = 256;
  int32_t turnFraction = 0;
  int32_t sectorOffset[3] = {5, 3, 1};

  // Luminance limits in ten-thousandths of a channel step (the luminance
  // 0.2126 R + 0.7152 G + 0.0722 B times 10000 is a whole number): below
  // `blackBelow` goes black, above `whiteAbove` goes white. Only the one that
  // `threshold` asks for is active.
  bool thresholdActive = false;
  int32_t blackBelow = -1;
  int32_t whiteAbove = 2550001;

  int32_t alpha256 = 256;  // opacity in 256ths, 1 to 256

  // The SIMD renderer's 32-bit positions and offsets hold for this call.
  bool fastFits = true;
  // The source rectangle is too large for the cache: the SIMD renderer
  // prefetches, `prefetchAhead` pixels of the source from where it reads
  // (where the same sample lies two destination rows further down).
  bool prefetch = false;
  int64_t prefetchAhead = 0;
};

// A run of destination pixels [begin, end) on one row that may be covered:
// the pixels whose centres map strictly inside -1 < u < rectWidth,
// -1 < v < rectHeight. `cu` and `cv` give the exact sample position of pixel
// x as (cu + a * (x + 0.5 - centreX), cv + b * (x + 0.5 - centreX)).
struct Span {
  int32_t begin = 0;
  int32_t end = 0;
  double cu = 0.0;
  double cv = 0.0;
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
// [0, width), as a half-open range. Floors by truncation, cheaper than a
// library call for every row; the bounds are clamped first, which also
// keeps them in range of the conversion.
inline bool columns(double lo, double hi, double centreX, double width, double* first,
                    double* last) {
  if (!(lo < hi)) return false;
  auto floor = [](double x) {
    const double t = static_cast<double>(static_cast<int64_t>(x));
    return t > x ? t - 1.0 : t;
  };
  const double from = std::clamp(lo + centreX - 0.5, -1.0, width);
  const double to = std::clamp(hi + centreX - 0.5, -1.0, width);
  *first = std::clamp(floor(from) + 1.0, 0.0, width);
  *last = std::clamp(-floor(-to), 0.0, width);  // the ceiling
  return *first < *last;
}

}  // namespace detail

// The span of row y. Returns false when the row has no such pixel.
inline bool rowSpan(const Prepared& p, int32_t y, Span* span) {
  const double Y = static_cast<double>(y) + 0.5 - p.centreY;
  span->cu = p.u0 - p.b * Y;  // u = cu + a * X
  span->cv = p.v0 + p.a * Y;  // v = cv + b * X
  double lo = -HUGE_VAL;
  double hi = HUGE_VAL;
  detail::limit(span->cu, p.a, p.inverseA, -1.0, p.rectWidth, &lo, &hi);
  detail::limit(span->cv, p.b, p.inverseB, -1.0, p.rectHeight, &lo, &hi);
  double first = 0.0;
  double last = 0.0;
  if (!detail::columns(lo, hi, p.centreX, p.dstWidth, &first, &last)) return false;
  span->begin = static_cast<int32_t>(first);
  span->end = static_cast<int32_t>(last);
  return true;
}

// The fixed-point sample position of destination column x of a span, for
// an x where positions restart. Rounding may put a position a hair outside
// the span's limits; the clamp also keeps huge steps in range.
inline void restartPosition(const Prepared& p, const Span& span, int32_t x, int64_t* u,
                            int64_t* v) {
  const double X = static_cast<double>(x) + 0.5 - p.centreX;
  const double fu = std::clamp(span.cu + p.a * X, -2.0, p.rectWidth + 1.0);
  const double fv = std::clamp(span.cv + p.b * X, -2.0, p.rectHeight + 1.0);
  // Halves away from zero, as std::llround but without a library call (this
  // runs for every 128 pixels).
  auto round = [](double x) { return static_cast<int64_t>(x < 0.0 ? x - 0.5 : x + 0.5); };
  *u = round(fu * static_cast<double>(kFixedOne));
  *v = round(fv * static_cast<double>(kFixedOne));
}

// Narrows [*first, *last) (at most a few hundred long) to the k with
// lo <= start + k * step < hi; an empty result may lie outside the original
// range. `inverse` is 1 / step: the bounds are estimated in floating point
// and then settled exactly, which is cheaper than integer division.
inline void fixedLimit(int64_t start, int64_t step, double inverse, int64_t lo, int64_t hi,
                       int64_t* first, int64_t* last) {
  if (step == 0) {
    if (start < lo || start >= hi) *last = *first;
    return;
  }
  // The first k at which start + k * step has reached `limit`, going the way
  // of the step.
  auto reach = [&](int64_t limit) {
    const double estimate = static_cast<double>(limit - start) * inverse;
    int64_t k = static_cast<int64_t>(std::clamp(estimate, *first - 2.0, *last + 2.0));
    auto reached = [&](int64_t j) {
      return step > 0 ? start + j * step >= limit : start + j * step < limit;
    };
    while (k > *first - 2 && reached(k - 1)) --k;
    while (k < *last + 2 && !reached(k)) ++k;
    return k;
  };
  // With a positive step, k enters [lo, hi) at reach(lo) and leaves at
  // reach(hi); with a negative one it enters below hi and leaves below lo.
  const int64_t from = step > 0 ? reach(lo) : reach(hi);
  const int64_t to = step > 0 ? reach(hi) : reach(lo);
  *first = std::max(*first, from);
  *last = std::min(*last, to);
  if (*last < *first) *last = *first;  // empty
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
// tests and benchmarks that exercise every compiled target on one machine.
void forceFastTarget(int64_t target);

}  // namespace rotate_internal

#endif  // ROTATE_ROTATE_INTERNAL_H
