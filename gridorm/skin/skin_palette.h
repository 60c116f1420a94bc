#pragma once

#include "common/colour.h"

// The skin's colours, the states it draws and the cells of its bitmaps: every
// size the painters use is named here.
namespace skin {

// Colours of the skinned controls, as colour references (0x00BBGGRR).
inline constexpr ColourRef kFrameEnabled = 0x00D5A554;       // RGB(84,165,213)
inline constexpr ColourRef kFrameDisabled = 0x00E9CFA4;      // RGB(164,207,233)
inline constexpr ColourRef kCheckFramePressed = 0x00C48639;  // RGB(57,134,196)
inline constexpr ColourRef kProgressFill = 0x00F6D64C;       // RGB(76,214,246)
inline constexpr ColourRef kCaptionDisabled = 0x00968A79;    // RGB(121,138,150)
inline constexpr ColourRef kCaption = 0x00000000;
inline constexpr ColourRef kWhite = 0x00FFFFFF;
// Skin pixels of the key colour are left out where a cell is drawn with key.
inline constexpr ColourRef kKey = 0x00FF00FF;

// The states a control is drawn in; only push buttons have their own
// disabled image.
enum State { kNormal = 0, kHot = 1, kPressed = 2, kDisabled = 3 };
inline constexpr int kButtonStates = 4;

struct Cell {
  int x, y, width, height;
};
struct Margins {
  int left, top, right, bottom;
};

// Push buttons: four cells stacked downwards, one per state.
inline constexpr int kButtonSkinWidth = 7, kButtonSkinHeight = 84;
inline constexpr Cell buttonCell(int state) { return {0, 21 * state, 7, 21}; }
inline constexpr Margins kButtonMargins{3, 3, 3, 3};
// The caption and the focus rectangle keep this far from the button's edge.
inline constexpr int kButtonCaptionInset = 2;
inline constexpr int kButtonIconGap = 4;  // between a button's icon and its caption

// Combo boxes: the hot and pressed drop-button cells and the two arrows.
inline constexpr int kComboSkinWidth = 15, kComboSkinHeight = 18;
inline constexpr Cell kComboHotCell{0, 0, 4, 18};
inline constexpr Cell kComboPressedCell{4, 0, 4, 18};
inline constexpr Margins kComboMargins{2, 1, 1, 1};
inline constexpr Cell kArrowEnabled{8, 0, 7, 4};
inline constexpr Cell kArrowDisabled{8, 4, 7, 4};
// The arrow sits (length - 6) / 2 in from the drop button's left and top.
inline constexpr int kArrowInset = 6;

// Check marks, indeterminate squares and option dots, enabled then disabled.
inline constexpr int kMarkSkinWidth = 18, kMarkSkinHeight = 24;
inline constexpr Cell kCheckEnabled{0, 0, 9, 8};
inline constexpr Cell kCheckDisabled{9, 0, 9, 8};
inline constexpr Cell kSquareEnabled{1, 9, 7, 7};
inline constexpr Cell kSquareDisabled{10, 9, 7, 7};
inline constexpr Cell kDotEnabled{2, 18, 5, 5};
inline constexpr Cell kDotDisabled{11, 18, 5, 5};

// Round option boxes, one cell per state (disabled last); check boxes take
// the middle rows of the hot and pressed cells as their fill.
inline constexpr int kBoxSkinWidth = 13, kBoxSkinHeight = 52;
inline constexpr Cell boxCell(int state) { return {0, 13 * state, 13, 13}; }
inline constexpr Margins kBoxMargins{5, 5, 5, 5};
inline constexpr Cell kCheckHotStrip{1, 17, 11, 5};
inline constexpr Cell kCheckPressedStrip{1, 30, 11, 5};

// Header items: three cells side by side; the middle column of the normal
// cell is the header's background.
inline constexpr int kHeaderSkinWidth = 9, kHeaderSkinHeight = 20;
inline constexpr Cell headerCell(int state) { return {3 * state, 0, 3, 20}; }
inline constexpr Margins kHeaderMargins{1, 1, 1, 1};
inline constexpr Cell kHeaderBackground{1, 0, 1, 20};

// Frames are one pixel wide; lists and list-style combo boxes add a white
// ring inside theirs. A combo box's drop button sits inside its frame and is
// one pixel wider than a scroll bar.
inline constexpr int kFrameWidth = 1;
inline constexpr int kFrameAndWhiteRing = 2;
inline constexpr int kDropButtonExtraWidth = 1;

// Fades of push buttons: a tick every 15 ms raises the opacity by 3.
inline constexpr int kFadeIntervalMs = 15;
inline constexpr int kFadeStep = 3;
inline constexpr int kOpaque = 255;
inline constexpr int kReleaseOpacity = 60;  // a released button starts its fade here
inline constexpr int kLeaveOpacity = 140;   // the hot image a leaving pointer leaves behind

}  // namespace skin
