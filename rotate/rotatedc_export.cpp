// The one symbol librotate exports.
#include "rotate/rotate_internal.h"
#include "rotate/rotatedc.h"

extern "C" ROTATEDC_API int ROTATEDC_CALL rotatedc(Surface* dst, float angle, int32_t cx,
                                                   int32_t cy, int32_t sw, int32_t sh, Surface* src,
                                                   int32_t sx, int32_t sy, float zoom,
                                                   uint32_t mask, float alpha, float hue,
                                                   float saturation, float threshold) {
  return rotate_internal::rotatedcWith(rotate_internal::Implementation::Automatic, dst, angle, cx,
                                       cy, sw, sh, src, sx, sy, zoom, mask, alpha, hue, saturation,
                                       threshold);
}
