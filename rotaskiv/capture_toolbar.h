#pragma once

#include <QWidget>
#include <array>
#include <map>

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

// The tool option panel Picture2: the size group (the font size of the text
// tool, the width, block size or radius of the others that have one) and the
// colour group with the current colour and the sixteen-colour palette.
class ToolOptionPanel : public Strip {
  Q_OBJECT

 public:
  explicit ToolOptionPanel(QWidget* parent);

  // Whether a tool has a size the user can choose.
  static bool hasSize(ToolbarButton tool);
  // Lays the panel out for a tool: with the size group for a tool that has a
  // size, without it (and narrower) for the others. The size box keeps what
  // was typed for the tool before and shows what was chosen for this one.
  void arrangeFor(ToolbarButton tool);

  ColourRef currentColour() const;
  // The current colour becomes `colour` (the colour picked from the screen).
  void setCurrentColour(ColourRef colour);
  // The size the user asked for the tool the panel is laid out for; falls
  // back to that tool's default (and shows it) when the box holds no number
  // from 1 to 500.
  double toolSize();
  // The size chosen for `tool`, whichever tool the panel is laid out for.
  double sizeOf(ToolbarButton tool);

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

 signals:
  // A palette colour was clicked: it is the current colour now.
  void colourChosen(QColor colour);
  // A size was picked from the list or typed and confirmed (Enter, or the
  // box losing the keyboard after a change).
  void sizeChosen(double size);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setComboLook(int look);
  void clearSwatchBorders();

  ToolbarButton tool_ = ToolbarButton::Text;
  // What the size box held for each tool when another one was chosen.
  std::map<ToolbarButton, QString> sizes_;
};
