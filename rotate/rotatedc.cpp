// Argument checking, the per-call preparation and the choice of renderer.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "rotate/rotate_internal.h"

namespace rotate_internal {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTurn = 2.0 * kPi;
constexpr double kSnap = 1e-4;  // radians from a whole turn that count as it

bool usableSurface(const Surface* s) {
  if (s == nullptr || s->bits == nullptr || s->width <= 0 || s->height <= 0) return false;
  if (reinterpret_cast<uintptr_t>(s->bits) % alignof(uint32_t) != 0) return false;
  return s->stride % 4 == 0 && static_cast<int64_t>(s->stride) >= int64_t{4} * s->width;
}

// The hue as sixths of a turn in [0, 6]; whole turns in either direction
// leave it.
double hueSixths(float hue) {
  const double turn = static_cast<double>(hue) - std::floor(static_cast<double>(hue));
  return std::clamp(turn * 6.0, 0.0, 6.0);
}

}  // namespace

Outcome prepare(Prepared* p, const Surface* dst, float angle, int32_t cx, int32_t cy, int32_t sw,
                int32_t sh, const Surface* src, int32_t sx, int32_t sy, float zoom, uint32_t mask,
                float alpha, float hue, float saturation, float threshold) {
  if (!usableSurface(dst) || !usableSurface(src)) return Outcome::Invalid;
  for (float f : {angle, zoom, alpha, hue, saturation, threshold}) {
    if (!std::isfinite(f)) return Outcome::Invalid;
  }
  if (!(zoom > 0.0f) || sw < 0 || sh < 0) return Outcome::Invalid;

  // The readable part of the rectangle.
  const int64_t left = std::max<int64_t>(sx, 0);
  const int64_t top = std::max<int64_t>(sy, 0);
  const int64_t right = std::min<int64_t>(int64_t{sx} + sw, src->width);
  const int64_t bottom = std::min<int64_t>(int64_t{sy} + sh, src->height);
  // Opacity in 256ths; what rounds to nothing draws nothing.
  const int32_t alpha256 =
      static_cast<int32_t>(std::lround(std::clamp(static_cast<double>(alpha), 0.0, 1.0) * 256.0));
  if (left >= right || top >= bottom || alpha256 == 0) return Outcome::Nothing;

  p->dst = dst->bits;
  p->dstStride = dst->stride / 4;
  p->dstWidth = dst->width;
  p->dstHeight = dst->height;
  p->srcStride = src->stride / 4;
  p->src = src->bits + top * p->srcStride + left;
  p->rectWidth = static_cast<int32_t>(right - left);
  p->rectHeight = static_cast<int32_t>(bottom - top);
  p->prefetch = int64_t{4} * p->rectWidth * p->rectHeight > (int64_t{1} << 20);

  // Geometry. The rectangle's centre (sx + sw/2, sy + sh/2), whole pixels so
  // that an unturned, unzoomed copy lands on whole pixels, sits on (cx, cy).
  double theta = static_cast<double>(angle);
  const double turns = std::nearbyint(theta / kTurn);
  if (std::fabs(theta - turns * kTurn) < kSnap) theta = 0.0;
  const double cosT = theta == 0.0 ? 1.0 : std::cos(theta);
  const double sinT = theta == 0.0 ? 0.0 : std::sin(theta);
  const double scale = 1.0 / static_cast<double>(zoom);
  p->a = cosT * scale;
  p->b = sinT * scale;
  p->inverseA = p->a != 0.0 ? 1.0 / p->a : 0.0;
  p->inverseB = p->b != 0.0 ? 1.0 / p->b : 0.0;
  p->centreX = cx;
  p->centreY = cy;
  const double rectCentreX = static_cast<double>(int64_t{sx} + sw / 2);
  const double rectCentreY = static_cast<double>(int64_t{sy} + sh / 2);
  // Sample coordinates are pixel centres relative to the readable corner.
  p->u0 = rectCentreX - static_cast<double>(left) - 0.5;
  p->v0 = rectCentreY - static_cast<double>(top) - 0.5;
  // A step of more than the rectangle's size leaves at most one pixel per
  // row in a span, so clamping it changes nothing but keeps it in range.
  constexpr double kLargestStep = 4294967296.0;
  p->stepU = std::llround(std::clamp(p->a, -kLargestStep, kLargestStep) * kFixedOne);
  p->stepV = std::llround(std::clamp(p->b, -kLargestStep, kLargestStep) * kFixedOne);
  p->inverseStepU = p->stepU != 0 ? 1.0 / static_cast<double>(p->stepU) : 0.0;
  p->inverseStepV = p->stepV != 0 ? 1.0 / static_cast<double>(p->stepV) : 0.0;
  constexpr double kRowsAhead = 2.0;
  p->prefetchAhead = std::llround(std::clamp(kRowsAhead * p->a, -1e9, 1e9)) * p->srcStride -
                     std::llround(std::clamp(kRowsAhead * p->b, -1e9, 1e9));
  // The SIMD renderer's positions, steps over a vector and pixel offsets fit
  // 32-bit lanes.
  constexpr int64_t kLargestFastStep = int64_t{1} << 26;
  p->fastFits = p->rectWidth <= 16384 && p->rectHeight <= 16384 &&
                std::abs(p->stepU) <= kLargestFastStep && std::abs(p->stepV) <= kLargestFastStep &&
                (p->rectHeight - 1) * p->srcStride + p->rectWidth + 1 < (int64_t{1} << 31);

  // Rows: the bounding box of the region a sample can touch, which reaches
  // half a pixel beyond the readable rectangle, mapped forward.
  double minY = HUGE_VAL;
  double maxY = -HUGE_VAL;
  const double z = zoom;
  for (double ex : {static_cast<double>(left) - 0.5, static_cast<double>(right) + 0.5}) {
    for (double ey : {static_cast<double>(top) - 0.5, static_cast<double>(bottom) + 0.5}) {
      const double dx = ex - rectCentreX;
      const double dy = ey - rectCentreY;
      const double y = static_cast<double>(cy) + z * (-dx * sinT + dy * cosT);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  const double rows = dst->height;
  p->rowBegin = static_cast<int32_t>(std::clamp(std::floor(minY) - 1.0, 0.0, rows));
  p->rowEnd = static_cast<int32_t>(std::clamp(std::ceil(maxY) + 1.0, 0.0, rows));
  if (p->rowBegin >= p->rowEnd) return Outcome::Nothing;

  // Mask 0x00BBGGRR to the 0x00RRGGBB of the pixels.
  if ((mask & 0x80000000u) == 0) {
    p->key = ((mask & 0xFFu) << 16) | (mask & 0xFF00u) | ((mask >> 16) & 0xFFu);
  } else {
    p->key = 0x01000000u;  // above any masked pixel value
  }

  // The turn in 256ths of a sixth; a turn that rounds to a whole circle is
  // none.
  const int32_t turn = static_cast<int32_t>(std::lround(hueSixths(hue) * 256.0)) % (6 * 256);
  p->turnFraction = turn % 256;
  for (int i = 0; i < 3; ++i) p->sectorOffset[i] = (5 - 2 * i + turn / 256) % 6;
  // Negative saturation has no meaning; from 255 on every colour clips to
  // full saturation.
  p->saturation256 = static_cast<int32_t>(
      std::lround(std::clamp(static_cast<double>(saturation), 0.0, 255.0) * 256.0));
  p->recolour = turn != 0 || p->saturation256 != 256;

  // Below -1 everything is black already, above 3 everything white. The
  // limits are whole ten-thousandths, rounded so that comparing whole
  // luminances with them decides as the exact limits would.
  const double t = std::clamp(static_cast<double>(threshold), -1.0, 3.0);
  p->thresholdActive = threshold != 1.0f;
  if (threshold < 1.0f) {
    p->blackBelow = static_cast<int32_t>(std::ceil((1.0 - t) * 2550000.0));
  } else if (threshold > 1.0f) {
    p->whiteAbove = static_cast<int32_t>(std::floor((2.0 - t) * 2550000.0));
  }

  p->alpha256 = alpha256;
  return Outcome::Draw;
}

int rotatedcWith(Implementation implementation, Surface* dst, float angle, int32_t cx, int32_t cy,
                 int32_t sw, int32_t sh, Surface* src, int32_t sx, int32_t sy, float zoom,
                 uint32_t mask, float alpha, float hue, float saturation, float threshold) {
  Prepared p;
  switch (prepare(&p, dst, angle, cx, cy, sw, sh, src, sx, sy, zoom, mask, alpha, hue, saturation,
                  threshold)) {
    case Outcome::Invalid:
      return -1;
    case Outcome::Nothing:
      return 0;
    case Outcome::Draw:
      break;
  }
  if (implementation == Implementation::Automatic) {
    static const bool forceReference = [] {
      const char* value = std::getenv("ROTATEDC_REFERENCE");
      return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    implementation = forceReference ? Implementation::Reference : Implementation::Fast;
  }
  if (implementation == Implementation::Reference) {
    renderReference(p);
  } else {
    renderFast(p);
  }
  return 0;
}

}  // namespace rotate_internal
