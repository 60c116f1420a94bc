#pragma once

#include <QImage>
#include <QWidget>
#include <array>

#include "common/dialogs.h"
#include "gridorm/snapshot_ring.h"
#include "gridorm/table_geometry.h"

class CellEditor;
class ColourSwatch;
class FontCatalogue;
class ImageControl;
class PictureBox;
class PictureLoadJob;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

// Gridorm's main window: rules a table onto a white canvas from six fields,
// writes text into its cells through the cell editor laid over the canvas,
// pastes text or stamps textures with a transparent colour, keeps twelve
// snapshots and saves the canvas as a bitmap. Positions are in twips, 15 to
// a pixel; the table itself is only lines in the canvas's image.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `fonts` lists the screen fonts for the font list (the system's by
  // default); it is only read while the window opens.
  explicit Form1(const FontCatalogue* fonts = nullptr, QWidget* parent = nullptr);
  ~Form1() override;

  // Lays out the panning bars and places the canvas by their values.
  void AlignScrollBars();
  // Shows the canvas's persistent image.
  void UpdateDisplay();

  // The top panel and the table's fields.
  QFrame* Frame1 = nullptr;
  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr,
            *Text5 = nullptr, *Text6 = nullptr;
  QComboBox* Combo1 = nullptr;     // line width
  ColourSwatch* Label1 = nullptr;  // line colour
  QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
              *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr, *Command8 = nullptr,
              *Command9 = nullptr, *Command10 = nullptr, *Command11 = nullptr, *Command12 = nullptr,
              *Command14 = nullptr;
  // Pointer readout and its switch.
  QCheckBox* Check1 = nullptr;
  QLabel *Label9 = nullptr, *Label10 = nullptr;
  // Text settings and the paste modes.
  QComboBox *cbofont = nullptr, *cbofontsize = nullptr, *cbofontstyle = nullptr;
  ColourSwatch *Label4 = nullptr, *Label24 = nullptr;  // text colour, mask colour
  std::array<QRadioButton*, 2> Option1{};              // texture, paste text
  QRadioButton* Option4 = nullptr;                     // both off
  // The canvas with the cell editor, and the texture preview.
  PictureBox* Picture1 = nullptr;
  CellEditor* Text7 = nullptr;
  PictureBox* Picture2 = nullptr;
  // Canvas size, with readouts, and the panning bars.
  QScrollBar *HScroll1 = nullptr, *HScroll2 = nullptr, *HScroll = nullptr, *VScroll = nullptr;
  QLabel *Label22 = nullptr, *Label23 = nullptr;
  // The temp-store panel.
  QGroupBox* Frame2 = nullptr;
  std::array<ImageControl*, SnapshotRing::kSlots> Image1{};
  std::array<QPushButton*, SnapshotRing::kSlots> Command13{};
  CommonDialog CommonDialog1;

  // Which slot the next table drawing fills.
  int snapshotCounter() const { return snapshots_.counter(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildTopPanel();
  void buildPanningBars();
  void buildTextControls();
  void buildCanvas();
  void buildStorePanel();
  void connectHandlers();
  void Form_Load(const FontCatalogue& fonts);
  void Form_Paint();

  table::Fields fields() const;
  QSize clientTwips() const;

  // The table (table_designer.cpp).
  void Command1_Click();
  void Command2_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void Command8_Click();
  void Picture1_MouseMove(double x, double y);
  // Text and textures (designer_text.cpp).
  void cbofontstyle_Click();
  void Command9_Click();
  void Command10_Click();
  void Picture1_MouseDown(double x, double y);
  void Picture2_MouseDown(double x, double y);
  void pasteMode_Click();
  // Takes the size and face for the next text from the font lists; a size
  // that cannot be used leaves the one in force.
  void takeFontFromLists();
  // The editor's text without surrounding blanks; empty, after the message.
  QString editorTextOrComplain();
  // The canvas, its snapshots and saving (designer_canvas.cpp).
  void Command3_Click();
  void Command4_Click();
  void Command11_Click();
  void Command12_Click();
  void Image1_Click(int slot);
  void Command13_Click(int slot);
  void HScroll1_Change();
  void HScroll2_Change();
  void showSnapshot(int slot);
  void resizeCanvas(QSize size);
  // The canvas's content was replaced or erased: nothing hidden is kept.
  void forgetHiddenDrawing();

  SnapshotRing snapshots_;
  // Loads textures off the window's thread.
  PictureLoadJob* textureLoad_ = nullptr;
  // What was drawn on the canvas since it was last cleared, as large as the
  // canvas has been since: narrowing the canvas hides, never erases.
  QImage reserve_;
};
