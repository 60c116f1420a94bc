#pragma once

#include <array>

// The capture toolbar's buttons, numbered as the toolbar's picture array
// Image2(i) numbers them.
enum class ToolbarButton : int {
  Undo = 0,
  CopyAndExit = 1,
  Save = 2,
  ExitCapture = 3,
  Arrow = 4,
  Text = 5,
  Ellipse = 6,
  Rectangle = 7,
  Redo = 8,
  Pin = 9,  // keeps the selection on the desktop
  // The tools that follow pin on the strip.
  Select = 10,       // picks an annotation to change it
  Pen = 11,          // freehand strokes
  Highlighter = 12,  // wide translucent strokes that darken only
  Line = 13,         // straight lines
  Marker = 14,       // numbered circles
  Pixelate = 15,     // blocks over a rectangle
  Blur = 16,         // blur over a rectangle
  PickColour = 17,   // the current colour from the frozen screen
};
inline constexpr int kToolbarButtonCount = 18;

// Left to right: the four tools | undo, redo, save | exit, copy and exit | pin
// | select and the tools added after the first four.
inline constexpr std::array<ToolbarButton, kToolbarButtonCount> kToolbarOrder = {
    ToolbarButton::Rectangle,   ToolbarButton::Ellipse,     ToolbarButton::Text,
    ToolbarButton::Arrow,       ToolbarButton::Undo,        ToolbarButton::Redo,
    ToolbarButton::Save,        ToolbarButton::ExitCapture, ToolbarButton::CopyAndExit,
    ToolbarButton::Pin,         ToolbarButton::Select,      ToolbarButton::Pen,
    ToolbarButton::Highlighter, ToolbarButton::Line,        ToolbarButton::Marker,
    ToolbarButton::Pixelate,    ToolbarButton::Blur,        ToolbarButton::PickColour};

constexpr int buttonIndex(ToolbarButton button) { return static_cast<int>(button); }

// The four buttons that choose an annotation tool.
constexpr bool isTool(ToolbarButton button) {
  return button == ToolbarButton::Arrow || button == ToolbarButton::Text ||
         button == ToolbarButton::Ellipse || button == ToolbarButton::Rectangle;
}
