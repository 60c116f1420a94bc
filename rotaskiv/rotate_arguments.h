#pragma once

#include <cstdint>

#include "common/colour.h"

// What Draw reads from the window's controls.
struct DrawInputs {
  ColourRef mask = 0;
  int angle = 0;  // slider values, as set
  float displayWidth = 0;
  float displayHeight = 0;
  float sourceWidth = 0;
  float sourceHeight = 0;
  int zoom = 200;
  int transparency = 100;
  int hue = 0;
  int saturation = 100;
  int threshold = 100;
};

// The fifteen arguments of rotatedc, less the two surfaces.
struct RotateArguments {
  float angle = 0;
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  std::int32_t sw = 0;
  std::int32_t sh = 0;
  std::int32_t sx = 0;
  std::int32_t sy = 0;
  float zoom = 0;
  std::uint32_t mask = 0;
  float alpha = 0;
  float hue = 0;
  float saturation = 0;
  float threshold = 0;

  bool operator==(const RotateArguments&) const = default;
};

// Turns the control values into rotatedc's arguments:
//  - angle: (62832 - 175 * slider) ten-thousandths of a radian, counted in
//    whole ten-thousandths so that no binary rounding creeps in before the
//    single conversion to float (0 -> 6.2832, 360 -> -0.0168);
//  - centre: half the display size, a half rounded to the even neighbour
//    (753 x 605 -> 376, 302);
//  - factors: slider / 200, 100, 360, 100, 100 in double, then to float.
RotateArguments computeRotateArguments(const DrawInputs& in);
