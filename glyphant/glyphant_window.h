#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "common/dialogs.h"
#include "common/picture_box.h"
#include "glyphant/canvas_record.h"
#include "glyphant/canvas_work.h"
#include "glyphant/history_ring.h"
#include "glyphant/panel_inputs.h"

class BackgroundJob;
class ColourSwatch;
class FaceButton;
class PictureLoadJob;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QScrollBar;
class StretchedImage;

// Glyphant's window: one line of very large text composed on the canvas,
// filled with a tiled pattern or shadowed, over a background colour or
// picture, with pasted stamp pictures, a ten-step history and BMP saving.
// Every drawing ends by refreshing the thumbnail and recording a step.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `programFolder` holds the pattern folder "textures" and is where the
  // default save name points; the program's own folder unless given.
  explicit Form1(const QString& programFolder = QString(), QWidget* parent = nullptr);
  ~Form1() override;

  // The canvas guides, as the canvas's overlay lines.
  static constexpr int Line1 = 0;  // vertical
  static constexpr int Line2 = 1;  // horizontal

  // The window's controls, named as users and tests know them.
  QFrame* Frame1 = nullptr;
  PictureBox* pic1 = nullptr;      // the canvas (主图)
  PictureBox* Picture1 = nullptr;  // the stamp picture, inside the canvas
  PictureBox* PicRes = nullptr;    // the fill-pattern holder, never shown
  PictureBox* picDst = nullptr;    // the working surface of pattern text, never shown
  StretchedImage* imgpreview = nullptr;
  StretchedImage* Image1 = nullptr;  // thumbnail and zoomable preview
  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr;
  QLineEdit *txtMessage = nullptr, *txtsave = nullptr;
  QComboBox *cbofont = nullptr, *cbofontsize = nullptr, *cbofontstyle = nullptr;
  QListWidget* File1 = nullptr;
  QScrollBar* HScroll1 = nullptr;
  ColourSwatch *Label10 = nullptr, *Label22 = nullptr, *Label26 = nullptr, *Label7 = nullptr;
  QLabel *Label5 = nullptr, *Label6 = nullptr, *Label27 = nullptr;
  FaceButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
             *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr, *Command8 = nullptr,
             *Command9 = nullptr, *Command10 = nullptr, *Command11 = nullptr, *Command12 = nullptr,
             *Command13 = nullptr, *Command14 = nullptr, *Command15 = nullptr, *Command16 = nullptr,
             *Command17 = nullptr;
  QCheckBox *Check1 = nullptr, *Check2 = nullptr;
  CommonDialog CommonDialog1;

  // The shadow distance, the bar's value once it has moved.
  std::int16_t ShadowOffset = 10;
  // The history slots and the step index (StepIndex).
  HistoryRing History;
  // What the canvas was drawn from since it was last cleared, for printing.
  CanvasRecord Drawings;

  // Covers the whole canvas with the fill pattern.
  void IntTitle();
  // Scales the preview Image1: factor 0.1 shrinks it by a tenth, -0.1 grows
  // it by one, until the next thumbnail refresh.
  void ZoomPreview(float factor);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // glyphant_window.cpp: the window, its panel and the canvas size.
  void buildPanel();
  void buildSurfaces();
  void connectHandlers();
  void loadPatternList();
  void Command5_Click();
  void File1_Click(QListWidgetItem* item);
  // The thumbnail made of the canvas (canvas_work::previewOf), shown.
  void showPreview(const QImage& preview);
  using PictureUse = std::function<void(const QImage&)>;
  // Loads `path` off the window's thread for `use`, or tells the user why it
  // cannot. A newer load replaces one still under way.
  void loadOrReport(const QString& path, const PictureUse& use);
  // Shows the shared open dialog with every picture kind first; the file
  // chosen, if any, is loaded for `use`.
  void choosePicture(const PictureUse& use);

  // text_rendering.cpp: the six text operations and the font style.
  void cbofontstyle_Click(int entry);
  void Command1_Click();
  void Command4_Click();
  void shadowText(int sign, bool clearFirst);
  // Sets the canvas's font, colour and current point for the shadow (when
  // `sign` is not 0) and then the letters, and places each text there;
  // adds each text's letters to `drawings` when it is given.
  QList<PictureBox::TextPlacement> placeCanvasText(const panel_inputs::TextRequest& request,
                                                   int sign, CanvasRecord* drawings = nullptr);
  // Runs `work` as the canvas's long operation; what it drew becomes the
  // canvas (with `ground` its background colour too), its record,
  // thumbnail and history step are shown and kept, and `then` runs.
  void drawOnCanvas(const QString& label, std::function<canvas_work::Drawn(JobTracking&)> work,
                    std::optional<ColourRef> ground, std::function<void()> then);
  // The checked inputs of a text operation, or nothing after telling the
  // user what is wrong with them.
  std::optional<panel_inputs::TextRequest> textRequest();
  void applyFont(PictureBox* surface, const panel_inputs::TextRequest& request);
  // Sets the working surface's font and current point for `request` and
  // places its text there, as printing it would.
  PictureBox::TextPlacement placeWorkText(const panel_inputs::TextRequest& request);

  // history, view, colours and saving (view_operations.cpp).
  void Command16_Click();
  void Command17_Click();
  void step(HistoryRing::Restore (HistoryRing::*move)(), const QString& label);
  void showRestored(const HistoryRing::Restore& restored);
  void Command13_Click();
  void Command2_Click();
  void Command12_Click();
  void Label10_Chosen();

  // mouse_operations.cpp: dragging, stamping and the pointer readouts.
  void pic1_MouseDown(double x, double y);
  void pic1_MouseMove(double x, double y);
  void stampAt(double x, double y);
  void Command11_Click();

  QString programFolder_;
  panel_inputs::PreviewZoom previewZoom_;  // Image1's size
  PictureLoadJob* pictureLoad_ = nullptr;
  // The long operations on the canvas, one at a time, off the window's thread.
  BackgroundJob* canvasJob_ = nullptr;
};
