#include "rotaskiv/rotate_arguments.h"

#include "common/numbers.h"

namespace {

float factor(int slider, double divisor) {
  return static_cast<float>(static_cast<double>(slider) / divisor);
}

}  // namespace

RotateArguments computeRotateArguments(const DrawInputs& in) {
  RotateArguments out;
  const std::int64_t tenThousandths = 2 * 31416 - std::int64_t{175} * in.angle;
  out.angle = static_cast<float>(static_cast<double>(tenThousandths) / 10000.0);
  out.cx = numbers::roundHalfEven32(in.displayWidth / 2.0);
  out.cy = numbers::roundHalfEven32(in.displayHeight / 2.0);
  out.sw = numbers::roundHalfEven32(in.sourceWidth);
  out.sh = numbers::roundHalfEven32(in.sourceHeight);
  out.sx = 0;
  out.sy = 0;
  out.zoom = factor(in.zoom, 200);
  out.mask = in.mask;
  out.alpha = factor(in.transparency, 100);
  out.hue = factor(in.hue, 360);
  out.saturation = factor(in.saturation, 100);
  out.threshold = factor(in.threshold, 100);
  return out;
}
