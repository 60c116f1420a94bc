#include "gridorm/skin/button_face.h"

#include <QPushButton>
#include <algorithm>

#include "gridorm/skin/skin_drawing.h"

void ButtonFace::render(const SkinBitmaps& skin, const skin::ButtonLook& look, int state) {
  for (int i = 0; i < skin::kButtonStates; ++i) states_[i] = skin::ButtonStateImage(skin, look, i);
  const QImage& start = states_[std::clamp(state, 0, skin::kButtonStates - 1)];
  if (face_.size() != look.size || face_.isNull()) face_ = start.copy();
  look_ = look;
  rendered_ = true;
}

void ButtonFace::sync(const SkinBitmaps& skin, const skin::ButtonLook& look, int state) {
  if (!rendered_ || !(look == look_)) render(skin, look, state);
}

bool ButtonFace::blend(int state, int opacity) {
  const QImage& image = states_[std::clamp(state, 0, skin::kButtonStates - 1)];
  if (opacity <= 0 || image.isNull() || face_.isNull()) return false;
  const QImage before = face_.copy();
  Surface dst = surface::of(face_);
  const Surface src = skin::ReadingSurface(image);
  surface::alphaBlend(dst, 0, 0, face_.width(), face_.height(), src, 0, 0, image.width(),
                      image.height(), opacity);
  return face_ != before;
}

skin::ButtonLook skin::lookOf(const QPushButton& button) {
  return {button.size(),     button.text(), button.font(),
          button.hasFocus(), button.icon(), button.iconSize()};
}
