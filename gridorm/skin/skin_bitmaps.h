#pragma once

#include <QImage>
#include <memory>

// The five skin surfaces every skinned control is drawn from. They are our
// own artwork, painted pixel by pixel in code; no skin file is read.
struct SkinBitmaps {
  QImage ButtonSkin;  // 7 x 84: push-button cells, normal, hot, pressed, disabled
  QImage ComboSkin;   // 15 x 18: hot and pressed drop-button cells, the two arrows
  QImage MarkSkin;    // 18 x 24: check marks, indeterminate squares, option dots
  QImage BoxSkin;     // 13 x 52: round option boxes, normal, hot, pressed, disabled
  QImage HeaderSkin;  // 9 x 20: header items, normal, hot, pressed
};

// Builds the five surfaces, in the order above. Null when the memory for them
// cannot be had.
std::unique_ptr<SkinBitmaps> BuildSkinBitmaps();
