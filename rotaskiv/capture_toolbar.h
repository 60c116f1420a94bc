#pragma once

#include <QWidget>
#include <array>

#include "common/colour.h"
#include "rotaskiv/capture_parts.h"
#include "rotaskiv/toolbar_button.h"

class QComboBox;
class QFrame;
class QLineEdit;

// The toolbar strip Picture1: eighteen picture buttons with hover frames
// behind them, four separators and a border frame.
class CaptureToolbar : public Strip {
  Q_OBJECT

 public:
  explicit CaptureToolbar(QWidget* parent);

  // The tooltip of a button, which is also the name of a tool.
  static QString tooltip(ToolbarButton button);
  // Draws the icons at the device pixel ratio of the screen the strip is on.
  void drawIcons();

  // Indexed by the button's number, Image2(i).
  std::array<PictureButton*, kToolbarButtonCount> Image2{};
  std::array<ColourBox*, kToolbarButtonCount> Shape3{};  // hover frames
  QFrame* Line1 = nullptr;
  QFrame* Line2 = nullptr;
  QFrame* Line3 = nullptr;
  QFrame* Line4 = nullptr;

 signals:
  void buttonClicked(ToolbarButton button);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void showHoverFrame(int index);  // -1 hides them all
};

// The tool option panel Picture2: the font-size group (text tool only) and the
// colour group with the current colour and the sixteen-colour palette.
class ToolOptionPanel : public Strip {
  Q_OBJECT

 public:
  explicit ToolOptionPanel(QWidget* parent);

  // Lays the panel out for a tool: with the font-size group for the text
  // tool, without it (and narrower) for the others.
  void arrangeFor(bool textTool);

  ColourRef currentColour() const;
  // The font size the user asked for; falls back to 11 (and shows it) when
  // the box holds no usable number.
  double fontSize();

  QWidget* PicFont = nullptr;
  QLineEdit* Text1 = nullptr;
  QComboBox* Combo1 = nullptr;
  PictureButton* PicCombox = nullptr;
  QWidget* PicColor = nullptr;
  std::array<ColourBox*, 17> Pcolor{};  // 0..15 palette, 16 current colour

  // Shows the size list if it is closed, closes it if it is open.
  void OpenCombo();
  // Draws the drop-down button at the device pixel ratio of the screen the
  // panel is on.
  void drawPictures() { setComboLook(0); }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setComboLook(int look);
  void clearSwatchBorders();
};
