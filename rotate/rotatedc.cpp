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

// Row-major 3x3 product a * b.
void multiply(const double a[9], const double b[9], double out[9]) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      out[r * 3 + c] = a[r * 3] * b[c] + a[r * 3 + 1] * b[3 + c] + a[r * 3 + 2] * b[6 + c];
    }
  }
}

// The hue-rotate and saturate matrices of CSS filters / SVG feColorMatrix,
// hue first.
void colourMatrix(float hue, float saturation, Prepared* p) {
  double turn = static_cast<double>(hue) - std::floor(static_cast<double>(hue));
  if (turn >= 1.0) turn = 0.0;  // floor of a value just below an integer
  const double c = turn == 0.0 ? 1.0 : std::cos(turn * kTurn);
  const double s = turn == 0.0 ? 0.0 : std::sin(turn * kTurn);
  const double h[9] = {
      0.213 + c * 0.787 - s * 0.213, 0.715 - c * 0.715 - s * 0.715, 0.072 - c * 0.072 + s * 0.928,
      0.213 - c * 0.213 + s * 0.143, 0.715 + c * 0.285 + s * 0.140, 0.072 - c * 0.072 - s * 0.283,
      0.213 - c * 0.213 - s * 0.787, 0.715 - c * 0.715 + s * 0.715, 0.072 + c * 0.928 + s * 0.072,
  };
  // Negative saturation has no meaning; very large values only clip.
  const double k = std::clamp(static_cast<double>(saturation), 0.0, 1000.0);
  const double sat[9] = {
      0.213 + 0.787 * k, 0.715 - 0.715 * k, 0.072 - 0.072 * k, 0.213 - 0.213 * k, 0.715 + 0.285 * k,
      0.072 - 0.072 * k, 0.213 - 0.213 * k, 0.715 - 0.715 * k, 0.072 + 0.928 * k,
  };
  double m[9];
  multiply(sat, h, m);
  bool identity = true;
  for (int i = 0; i < 9; ++i) {
    const double unit = (i % 4 == 0) ? 1.0 : 0.0;
    // The constants above sum to 1 only up to double rounding.
    if (std::fabs(m[i] - unit) < 1e-9) m[i] = unit;
    p->matrix[i] = static_cast<float>(m[i]);
    identity = identity && m[i] == unit;
  }
  p->identityMatrix = identity;
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
  if (left >= right || top >= bottom || !(alpha > 0.0f)) return Outcome::Nothing;

  p->dst = dst->bits;
  p->dstStride = dst->stride / 4;
  p->dstWidth = dst->width;
  p->dstHeight = dst->height;
  p->srcStride = src->stride / 4;
  p->src = src->bits + top * p->srcStride + left;
  p->rectWidth = static_cast<int32_t>(right - left);
  p->rectHeight = static_cast<int32_t>(bottom - top);
  // Byte offsets within the rectangle fit the SIMD renderer's 32-bit gather
  // offsets, and sample positions its float-to-int shortcut.
  p->smallSource = (p->rectHeight - 1) * p->srcStride + p->rectWidth < (int64_t{1} << 29) &&
                   p->rectWidth < (1 << 21) && p->rectHeight < (1 << 21);
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
  // A step that large leaves at most one pixel per row anyway; keeping it
  // finite in float avoids inf * 0.
  p->stepU = static_cast<float>(std::clamp(p->a, -1e30, 1e30));
  p->stepV = static_cast<float>(std::clamp(p->b, -1e30, 1e30));

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

  colourMatrix(hue, saturation, p);

  // Below -1 everything is black already, above 3 everything white.
  const double t = std::clamp(static_cast<double>(threshold), -1.0, 3.0);
  p->thresholdActive = threshold != 1.0f;
  if (threshold < 1.0f) {
    p->blackBelow = static_cast<float>((1.0 - t) * 255.0);
  } else if (threshold > 1.0f) {
    p->whiteAbove = static_cast<float>((2.0 - t) * 255.0);
  }

  p->alpha = std::min(alpha, 1.0f);
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
