#pragma once

#include "common/colour.h"

// Texts and colours the window's parts share.
namespace window_style {

// The window's caption, and the one that carries the pointer position while
// the guides are on.
inline constexpr char kCaption[] = "Glyphant2.0";
inline constexpr char kGuideCaption[] = "Glyphprint2.0";
// The crosshair guides over the canvas.
inline constexpr ColourRef kGuideColour = colour::rgb(0, 0, 0);

}  // namespace window_style
