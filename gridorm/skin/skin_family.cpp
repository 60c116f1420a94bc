#include "gridorm/skin/skin_family.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

bool isComboPopup(const QWidget* widget) {
  // Qt's private container class; it is always the combo box's child.
  return widget != nullptr && widget->inherits("QComboBoxPrivateContainer") &&
         qobject_cast<const QComboBox*>(widget->parentWidget()) != nullptr;
}

SkinFamily familyOf(const QWidget* widget) {
  if (widget == nullptr) return SkinFamily::Other;
  if (qobject_cast<const QPushButton*>(widget)) return SkinFamily::Button;
  if (qobject_cast<const QComboBox*>(widget)) return SkinFamily::Combo;
  if (qobject_cast<const QCheckBox*>(widget)) return SkinFamily::CheckBox;
  if (qobject_cast<const QRadioButton*>(widget)) return SkinFamily::Option;
  if (qobject_cast<const QHeaderView*>(widget)) return SkinFamily::Header;
  if (qobject_cast<const QProgressBar*>(widget)) return SkinFamily::Progress;
  if (isComboPopup(widget)) return SkinFamily::ComboList;
  if (widget->isWindow()) return SkinFamily::Form;
  return SkinFamily::Other;
}

bool tracksPointer(SkinFamily family) {
  switch (family) {
    case SkinFamily::Button:
    case SkinFamily::Combo:
    case SkinFamily::CheckBox:
    case SkinFamily::Option:
    case SkinFamily::Header:
      return true;
    default:
      return false;
  }
}
