#pragma once

#include <QImage>
#include <array>

#include "gridorm/skin/control_painters.h"
#include "gridorm/skin/skin_palette.h"

class QPushButton;
struct SkinBitmaps;

// What a skinned push button shows: its four pre-rendered state images and
// the face on screen, onto which a state image is blended with a constant
// opacity. A fade blends the same image again and again at rising opacity,
// each blend landing on the result of the one before, so the face reaches
// the target image well before the opacity does.
class ButtonFace {
 public:
  // Renders the state images for `look`. The face on screen keeps its pixels
  // while the size stays; a new size starts it from the image of `state`.
  void render(const SkinBitmaps& skin, const skin::ButtonLook& look, int state);
  // Renders again only when the look changed since the last rendering.
  void sync(const SkinBitmaps& skin, const skin::ButtonLook& look, int state);
  const skin::ButtonLook& look() const { return look_; }

  // Blends the image of `state` over the face at `opacity` (0 leaves it,
  // 255 replaces it). False when the face came out as it was: late in a fade
  // it has reached its target and there is nothing new to show.
  bool blend(int state, int opacity);

  const QImage& face() const { return face_; }
  const QImage& stateImage(int state) const { return states_[state]; }

 private:
  skin::ButtonLook look_;
  std::array<QImage, skin::kButtonStates> states_;
  QImage face_;
  bool rendered_ = false;
};

namespace skin {

// How a push button looks now: what its state images are rendered from.
ButtonLook lookOf(const QPushButton& button);

// One tick of a fade: after a blend at the current opacity, the opacity
// rises; past fully opaque the fade is over and the opacity starts again at 0.
// A fade from 0 so takes 86 ticks.
struct FadeTick {
  int nextOpacity;
  bool finished;
};
constexpr FadeTick fadeTick(int opacity) {
  const int next = opacity + kFadeStep;
  return next > kOpaque ? FadeTick{0, true} : FadeTick{next, false};
}

}  // namespace skin
