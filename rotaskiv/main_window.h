#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "common/dialogs.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/rotate_library.h"

class FaceButton;
class PictureBox;
class PictureLoadJob;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollBar;

// Rotaskiv's main window: one source picture, turned, zoomed, masked and
// recoloured by six sliders onto the display. Every change ends in Draw,
// which repaints the display whole.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `rotator` paints the picture; by default the rotate library found beside
  // the program.
  explicit Form1(std::unique_ptr<RotateLibrary> rotator = nullptr, QWidget* parent = nullptr);
  ~Form1() override;

  // Repaints the display from the source box and the controls.
  void Draw();

  // The window's controls, named as users and tests know them.
  QFrame* Frame1 = nullptr;
  PictureBox* S = nullptr;                // hidden source box
  PictureBox* Picture2 = nullptr;         // the display
  QScrollBar* vScroll1 = nullptr;         // angle (a horizontal bar, whatever its name says)
  QScrollBar* HScroll1 = nullptr;         // transparency
  QScrollBar* HScroll2 = nullptr;         // zoom
  std::array<QScrollBar*, 3> HScroll3{};  // hue, saturation, threshold
  std::array<QLabel*, 3> Label2{};        // their readouts
  QLabel *Label1 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr,
         *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr;
  QLineEdit* Text1 = nullptr;
  FaceButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
             *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr;
  CommonDialog CommonDialog1;

  // The capture window last opened, while it is open.
  CaptureForm* captureForm() const { return captureForm_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void connectHandlers();
  // Draw without letting events through: the repaint itself.
  void paintDisplay();

  void Command1_Click();
  void Command2_MouseUp(Qt::MouseButton button);
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void Picture2_MouseDown(double x, double y);
  void HScroll3_Change(int index);
  bool Text1_Drop(const QString& path);

  using PictureUse = std::function<void(const QImage&)>;
  // Asks for a picture file with the shared dialog; the chosen name goes to
  // Text1, and the picture, once loaded, to `use`. Nothing else changes when
  // no picture comes of it.
  void choosePicture(const PictureUse& use);
  // Loads `path` off the window's thread for `use`, or says why it cannot.
  // A newer load replaces one still under way, whichever button started it.
  void loadOrReport(const QString& path, const PictureUse& use);

  std::unique_ptr<RotateLibrary> rotator_;
  bool rotatorFailureReported_ = false;
  QPointer<CaptureForm> captureForm_;
  PictureLoadJob* pictureLoad_ = nullptr;
};
