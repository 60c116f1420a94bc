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
};
inline constexpr int kToolbarButtonCount = 10;

// Left to right: the four tools | undo, redo, save | exit, copy and exit | pin.
inline constexpr std::array<ToolbarButton, kToolbarButtonCount> kToolbarOrder = {
    ToolbarButton::Rectangle, ToolbarButton::Ellipse,     ToolbarButton::Text,
    ToolbarButton::Arrow,     ToolbarButton::Undo,        ToolbarButton::Redo,
    ToolbarButton::Save,      ToolbarButton::ExitCapture, ToolbarButton::CopyAndExit,
    ToolbarButton::Pin};

constexpr int buttonIndex(ToolbarButton button) { return static_cast<int>(button); }

// The four buttons that choose an annotation tool.
constexpr bool isTool(ToolbarButton button) {
  return button == ToolbarButton::Arrow || button == ToolbarButton::Text ||
         button == ToolbarButton::Ellipse || button == ToolbarButton::Rectangle;
}
