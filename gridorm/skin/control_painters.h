#pragma once

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include "common/colour.h"

struct SkinBitmaps;

// The looks of the skinned controls, each put together on a memory surface
// from the skin bitmaps. Pure functions of their arguments: the style places
// the result, the engine decides the state. A null image means there was
// nothing to draw (no size, or no memory).
namespace skin {

enum class CheckMark { None, Checked, Indeterminate };

// Half of a length, rounded half to even, as every centring here does.
int half(int length);

// A push button in one of its four states: the cell stretched over the whole
// button, the caption (grey when disabled) with the button's icon before it,
// and the dotted focus rectangle when it has the keyboard focus.
struct ButtonLook {
  QSize size;
  QString text;
  QFont font;
  bool focus = false;
  QIcon icon;
  QSize iconSize;
  friend bool operator==(const ButtonLook& a, const ButtonLook& b) {
    return a.size == b.size && a.text == b.text && a.font == b.font && a.focus == b.focus &&
           a.icon.cacheKey() == b.icon.cacheKey() && a.iconSize == b.iconSize;
  }
};
QImage ButtonStateImage(const SkinBitmaps& skin, const ButtonLook& look, int state);

// A square check box of `box` size: white, framed, filled while hot or
// pressed, with its mark. Disabled boxes have a pale frame and pale marks.
QImage CheckBoxImage(const SkinBitmaps& skin, QSize box, int state, CheckMark mark, bool enabled);

// A round option box with its dot; transparent outside the circle, so the
// window shows through there.
QImage OptionBoxImage(const SkinBitmaps& skin, QSize box, int state, bool checked, bool enabled);

// The drop button of a combo box, `button` in size, its arrow at `arrow`.
QImage DropButtonImage(const SkinBitmaps& skin, QSize button, int state, bool enabled,
                       QPoint arrow);

// A header item with its caption, and the strip behind the items.
QImage HeaderItemImage(const SkinBitmaps& skin, QSize item, int state, const QString& text,
                       const QFont& font, ColourRef textColour);
QImage HeaderBackgroundImage(const SkinBitmaps& skin, QSize size);

// A progress bar `fraction` full, frame included. A vertical bar fills from
// the bottom, a horizontal one from the left; inverted, from the other end.
QImage ProgressImage(QSize size, double fraction, bool vertical, bool inverted);

}  // namespace skin
