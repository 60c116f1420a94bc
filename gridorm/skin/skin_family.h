#pragma once

class QWidget;

// The kinds of window the skin engine tells apart, by widget class. Each
// family keeps its own state and has its own painters.
enum class SkinFamily {
  Form,       // top-level windows and dialogs: attaching one attaches its controls
  Button,     // push buttons (QPushButton, FaceButton)
  Combo,      // combo boxes
  CheckBox,   // check boxes
  Option,     // option (radio) buttons
  Header,     // header views
  Progress,   // progress bars
  ComboList,  // the drop-down list of a combo box
  Other,      // everything else: only sunken frames are skinned
};

SkinFamily familyOf(const QWidget* widget);

// The families that follow the pointer (hot states, mouse-leave tracking).
bool tracksPointer(SkinFamily family);

// The pop-up that holds a combo box's list.
bool isComboPopup(const QWidget* widget);
