#pragma once

class QPainter;
class QStyle;
class QStyleOption;
class QWidget;
struct AttachedWidget;
struct SkinBitmaps;

// One paint request of the style for an attached widget, with what the
// skin needs to answer it.
struct SkinPaint {
  const QStyleOption* option;
  QPainter* painter;
  const QWidget* widget;
  const AttachedWidget& record;
  const SkinBitmaps& skin;
  const QStyle& previous;  // the style the widget had: captions, focus frames, metrics
};

// The skinned look of each control, in the state the engine keeps for it.
// Each returns false when the option is not what it paints, leaving the
// request to the previous style.
namespace skinned {

bool pushButton(const SkinPaint& paint);    // the button's face, as the engine last blended it
bool checkBox(const SkinPaint& paint);      // the box; caption and focus as before
bool optionButton(const SkinPaint& paint);  // the round box; caption and focus as before
bool comboBox(const SkinPaint& paint);      // frame and drop button
bool headerSection(const SkinPaint& paint);
bool headerEmptyArea(const SkinPaint& paint);
bool progressBar(const SkinPaint& paint);
bool comboListFrame(const SkinPaint& paint);
// A sunken frame (or a line edit's) made flat: a one-pixel line in the
// frame colour, the rest of the border in the client's background.
bool sunkenFrame(const SkinPaint& paint);
bool lineEditPanel(const SkinPaint& paint);

}  // namespace skinned
