#include "gridorm/skin/skin_bitmaps.h"

#include <cmath>
#include <initializer_list>

#include "gridorm/skin/skin_palette.h"

namespace {

using namespace skin;

// Channel by channel, `step` of `steps` of the way from `from` to `to`.
ColourRef mix(ColourRef from, ColourRef to, int step, int steps) {
  if (steps <= 0) return from;
  const auto channel = [&](int a, int b) { return a + (b - a) * step / steps; };
  return colour::rgb(channel(colour::red(from), colour::red(to)),
                     channel(colour::green(from), colour::green(to)),
                     channel(colour::blue(from), colour::blue(to)));
}

void put(QImage& image, int x, int y, ColourRef c) { image.setPixel(x, y, colour::toPixel(c)); }

// Columns left..right, rows top..bottom (inclusive) shaded from `topColour`
// in the first row to `bottomColour` in the last.
void gradient(QImage& image, int left, int right, int top, int bottom, ColourRef topColour,
              ColourRef bottomColour) {
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      put(image, x, y, mix(topColour, bottomColour, y - top, bottom - top));
}

// A small picture: 'X' pixels in `solid`, 'o' in `soft` (the shading at its
// edges), '.' left as they are.
void pattern(QImage& image, int x, int y, std::initializer_list<const char*> rows, ColourRef solid,
             ColourRef soft) {
  int row = 0;
  for (const char* line : rows) {
    for (int column = 0; line[column] != '\0'; ++column) {
      if (line[column] == 'X') put(image, x + column, y + row, solid);
      if (line[column] == 'o') put(image, x + column, y + row, soft);
    }
    ++row;
  }
}

QImage blank(int width, int height, ColourRef fill) {
  QImage image(width, height, QImage::Format_RGB32);
  if (!image.isNull()) image.fill(colour::toPixel(fill));
  return image;
}

struct ButtonLook {
  ColourRef border, corner, top, bottom;
};
// Normal, hot, pressed, disabled.
constexpr ButtonLook kButtonLooks[kButtonStates] = {
    {0x00D58F1B, 0x00F9E1BF, 0x00FCF8F1, 0x00EAD0B1},
    {0x00D58F1B, 0x00F9E1BF, 0x00FCEED2, 0x00F2D4A7},
    {0x00D58F1B, 0x00F9E1BF, 0x00F3D49F, 0x00FDEAC3},
    {0x00E8C387, 0x00FBEEDC, 0x00FBF7F2, 0x00F3E3D2},
};

QImage buttonSkin() {
  QImage image = blank(kButtonSkinWidth, kButtonSkinHeight, kWhite);
  if (image.isNull()) return image;
  for (int state = 0; state < kButtonStates; ++state) {
    const ButtonLook& look = kButtonLooks[state];
    const Cell cell = buttonCell(state);
    const int top = cell.y, bottom = cell.y + cell.height - 1, right = cell.width - 1;
    // The normal face carries a white highlight in its top rows.
    const int shadeFrom = state == kNormal ? top + 3 : top + 1;
    gradient(image, 1, right - 1, shadeFrom, bottom - 1, look.top, look.bottom);
    for (int x = 1; x < right; ++x) {
      put(image, x, top, look.border);
      put(image, x, bottom, look.border);
    }
    for (int y = top + 1; y < bottom; ++y) {
      put(image, 0, y, look.border);
      put(image, right, y, look.border);
    }
    for (int y : {top, bottom})
      for (int x : {0, right}) put(image, x, y, look.corner);
  }
  return image;
}

QImage comboSkin() {
  QImage image = blank(kComboSkinWidth, kComboSkinHeight, kKey);
  if (image.isNull()) return image;
  constexpr ColourRef kCellBorder = 0x00D1A04E;  // RGB(78,160,209)
  const int bottom = kComboSkinHeight - 1;
  gradient(image, kComboHotCell.x, kComboHotCell.x, 0, bottom, kCellBorder, kCellBorder);
  gradient(image, kComboHotCell.x + 1, kComboHotCell.x + 3, 0, bottom, 0x00FFF9E8, 0x00EFD191);
  gradient(image, kComboPressedCell.x, kComboPressedCell.x, 0, bottom, kCellBorder, kCellBorder);
  gradient(image, kComboPressedCell.x + 1, kComboPressedCell.x + 3, 0, bottom, 0x00F3E1BE,
           0x00FEF8E6);
  // Downward triangles, rows of 7, 5, 3 and 1 pixels.
  const auto arrow = [&](Cell at, ColourRef c) {
    for (int row = 0; row < at.height; ++row)
      for (int x = at.x + row; x < at.x + at.width - row; ++x) put(image, x, at.y + row, c);
  };
  arrow(kArrowEnabled, 0x005F5519);   // RGB(25,85,95)
  arrow(kArrowDisabled, 0x00ACA584);  // RGB(132,165,172)
  return image;
}

QImage markSkin() {
  QImage image = blank(kMarkSkinWidth, kMarkSkinHeight, kKey);
  if (image.isNull()) return image;
  const std::initializer_list<const char*> check = {
      ".......oX", "......oXX", "o....oXXo", "Xo..oXXo.",
      "XXooXXo..", "oXXXXo...", ".oXXo....", "..oo.....",
  };
  const std::initializer_list<const char*> square = {
      "oXXXXXo", "XXXXXXX", "XXXXXXX", "XXXXXXX", "XXXXXXX", "XXXXXXX", "oXXXXXo",
  };
  const std::initializer_list<const char*> dot = {".oXo.", "oXXXo", "XXXXX", "oXXXo", ".oXo."};
  pattern(image, kCheckEnabled.x, kCheckEnabled.y, check, 0x0013A948, 0x0070CC98);
  pattern(image, kCheckDisabled.x, kCheckDisabled.y, check, 0x0087D3A2, 0x00B8E4C8);
  pattern(image, kSquareEnabled.x, kSquareEnabled.y, square, 0x0010A445, 0x0060C890);
  pattern(image, kSquareDisabled.x, kSquareDisabled.y, square, 0x0086D1A0, 0x00B4E2C4);
  pattern(image, kDotEnabled.x, kDotEnabled.y, dot, 0x0012A847, 0x0068CA94);
  pattern(image, kDotDisabled.x, kDotDisabled.y, dot, 0x0088D3A3, 0x00B8E4C8);
  return image;
}

struct BoxLook {
  ColourRef ring, top, bottom;
};
constexpr BoxLook kBoxLooks[kButtonStates] = {
    {0x00D2A683, kWhite, kWhite},
    {0x00D2A683, 0x00FDF7E9, 0x00FAEECF},
    {0x00C18964, 0x00FBF1DA, 0x00F8E7BC},
    {0x00E8D2C1, kWhite, kWhite},
};

QImage boxSkin() {
  QImage image = blank(kBoxSkinWidth, kBoxSkinHeight, kKey);
  if (image.isNull()) return image;
  // A circle of diameter 13 through the pixel centres: a one-pixel ring,
  // the key colour outside it.
  const double radius = kBoxSkinWidth / 2.0;
  for (int state = 0; state < kButtonStates; ++state) {
    const Cell cell = boxCell(state);
    const BoxLook& look = kBoxLooks[state];
    for (int y = 0; y < cell.height; ++y)
      for (int x = 0; x < cell.width; ++x) {
        const double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
        if (distance > radius) continue;
        const ColourRef fill = mix(look.top, look.bottom, y, cell.height - 1);
        put(image, x, cell.y + y, distance > radius - 1 ? look.ring : fill);
      }
  }
  return image;
}

struct HeaderLook {
  ColourRef left, top, bottom;
};
constexpr ColourRef kHeaderBottomRow = 0x00F2DAC0;
constexpr ColourRef kHeaderSeparator = 0x00E6CBAE;
constexpr ColourRef kHeaderAccent = 0x00FAC25E;  // RGB(94,194,250)
constexpr HeaderLook kHeaderLooks[3] = {
    {kWhite, 0x00FEF5EA, 0x00F6E5D3},
    {kHeaderAccent, 0x00FEEED3, 0x00FDE0AE},
    {kHeaderAccent, 0x00FBD797, 0x00FFE8B3},
};

QImage headerSkin() {
  QImage image = blank(kHeaderSkinWidth, kHeaderSkinHeight, kWhite);
  if (image.isNull()) return image;
  const int bottom = kHeaderSkinHeight - 1;
  for (int state = 0; state < 3; ++state) {
    const Cell cell = headerCell(state);
    const HeaderLook& look = kHeaderLooks[state];
    gradient(image, cell.x + 1, cell.x + 1, 0, bottom - 1, look.top, look.bottom);
    // The normal cell's left column is its highlight; the others' an accent.
    gradient(image, cell.x, cell.x, 0, bottom - 1, look.left,
             state == kNormal ? look.top : look.left);
    gradient(image, cell.x + 2, cell.x + 2, 0, bottom - 1, kHeaderSeparator, kHeaderSeparator);
    gradient(image, cell.x, cell.x + 2, bottom, bottom, kHeaderBottomRow, kHeaderBottomRow);
  }
  return image;
}

}  // namespace

std::unique_ptr<SkinBitmaps> BuildSkinBitmaps() {
  auto bitmaps = std::make_unique<SkinBitmaps>();
  bitmaps->ButtonSkin = buttonSkin();
  bitmaps->ComboSkin = comboSkin();
  bitmaps->MarkSkin = markSkin();
  bitmaps->BoxSkin = boxSkin();
  bitmaps->HeaderSkin = headerSkin();
  for (const QImage* image : {&bitmaps->ButtonSkin, &bitmaps->ComboSkin, &bitmaps->MarkSkin,
                              &bitmaps->BoxSkin, &bitmaps->HeaderSkin})
    if (image->isNull()) return nullptr;
  return bitmaps;
}
