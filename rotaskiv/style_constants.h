#pragma once

#include "common/colour.h"

// Colours and names that several of Rotaskiv's widgets share, kept in one
// place so the selection, the toolbar and the option panel never drift apart.
namespace style_constants {

// The program's caption: the product name and its version.
inline constexpr char kProgramCaption[] = "Rotaskiv2.0";

// The selection frame, its handles and the size and colour labels.
inline constexpr ColourRef kSelectionBlue = colour::rgb(0, 122, 236);
// The toolbar strip and the tool option panel, and the frame around them.
inline constexpr ColourRef kStripBackground = colour::rgb(222, 238, 255);
inline constexpr ColourRef kStripBorder = colour::rgb(128, 128, 255);
// A toolbar button or palette swatch under the pointer.
inline constexpr ColourRef kHoverFill = colour::rgb(148, 217, 255);
inline constexpr ColourRef kHoverBorder = colour::rgb(36, 143, 251);

}  // namespace style_constants
