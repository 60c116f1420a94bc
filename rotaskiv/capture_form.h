#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "rotaskiv/annotation_session.h"
#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/loupe.h"
#include "rotaskiv/selection_machine.h"
#include "rotaskiv/toolbar_button.h"

class CaptureToolbar;
class ToolOptionPanel;
class DevicePixelBox;
class QLabel;
class QLineEdit;
class ResizeHandle;

class CaptureSurface;

// The capture window: it freezes every screen, lets the user draw, move and
// resize a selection on any one of them, annotate it, and copy it to the
// clipboard or save it to a file. The window itself covers the primary
// screen; each other screen gets a CaptureSurface of its own, and the
// selection's controls live on the surface of the screen the selection is on.
// The selection rules live in capture::SelectionMachine and the annotations in
// capture::AnnotationSession; this window wires its widgets to them.
class CaptureForm : public QWidget {
  Q_OBJECT
  friend class CaptureSurface;

 public:
  explicit CaptureForm(QWidget* owner);
  ~CaptureForm() override;

  // Grabs every screen and shows the window and its surfaces over them,
  // modeless. When the screens cannot be grabbed the user is told why and the
  // window closes.
  void Show();

  // Places the eight handles around the selection and shows them.
  void ImageMove();
  // Puts the picture of the rectangle (x1, y1)-(x2, y2), right and bottom
  // exclusive, in the pixels of the selection's screen, on the clipboard.
  // False when the rectangle is empty.
  bool ScrnCap(int x1, int y1, int x2, int y2);
  bool ScrnCap(const QRect& rectangle);
  // Asks for a file name and saves the clipboard's picture to it. A saved
  // picture leaves the clipboard; after a cancel or a failure it stays there.
  enum class SaveOutcome { Cancelled, Saved, Failed };
  SaveOutcome CutdSave();

  const capture::AnnotationSession& session() const { return session_; }
  // One full-screen surface per screen, the window itself first.
  const std::vector<QWidget*>& surfaces() const { return surfaces_; }

  DevicePixelBox* Shape1 = nullptr;
  std::array<ResizeHandle*, capture::kHandleCount> Image1{};
  QLabel* LblPos = nullptr;
  QLabel* lblInfo = nullptr;
  CaptureToolbar* Picture1 = nullptr;
  ToolOptionPanel* Picture2 = nullptr;
  QLineEdit* TextEdit = nullptr;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The frozen screen looks the same whether its window is active or has the
  // keyboard: neither repaints the whole screen (see capture_form.cpp).
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent*) override {}
  void focusOutEvent(QFocusEvent*) override {}
  // Esc in the text box or the font-size box ends typing there.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What happens on surface `screen` (0: this window), in its own pixels.
  void paintScreen(int screen, QWidget* surface, const QRegion& dirty);
  void pressOn(int screen, QMouseEvent* event);
  void moveOn(int screen, QMouseEvent* event);
  void releaseOn(int screen, QMouseEvent* event);
  void doubleClickOn(int screen, QMouseEvent* event);

  // Points between a surface's pixels, the desktop's, and those of the
  // surface the selection is on, where its controls and its picture live.
  QPointF onDesktop(int screen, QPointF point) const;
  QPointF onSelectionScreen(QPointF desktopPoint) const;
  capture::Selection selectionOnScreen() const;
  QWidget* selectionSurface() const { return surfaces_[controlsOn_]; }
  // Shows this window and a new surface for each other screen over them.
  void openSurfaces(const std::vector<ScreenLayout>& screens);
  void moveControlsTo(int screen);
  // Outlines the window a click would select (desktop pixels); nothing hides it.
  void showWindowOutline(const std::optional<QRectF>& frame);

  // Shows the machine's view on the widgets and carries out its step.
  void apply(const capture::SelectionStep& step);
  void showColourUnder(int screen, QPointF point);
  // The pixel under `point` as the surface of `screen` shows it, if any.
  std::optional<QRgb> pixelUnder(int screen, QPointF point) const;
  // The loupe follows the pointer (in the desktop's pixels) while a
  // selection is drawn or resized.
  void showLoupe(QPointF desktopPoint);
  void hideLoupe();
  // Arrow keys move the selected annotation by a device pixel (Shift: ten);
  // with none selected they move the selection, with Shift they resize it.
  bool nudge(const QKeyEvent* event);
  QColor currentColour() const;
  // The current colour and the chosen tool's size (the text tool's: `text`).
  capture::AnnotationSession::Style style(bool text = false);
  // Repaints what the annotations changed on the selection's screen.
  void showAnnotations();

  void toolbarClicked(ToolbarButton button);
  void chooseTool(ToolbarButton tool);
  void finishStroke(QPointF point, bool shift);
  void prepareTextBox();
  // Opens the text box on the text annotation under `point`, with its words.
  bool editText(QPointF point);
  void writeText();
  void widenTextEdit();
  void undo();

  // Output (capture_output.cpp).
  // Writes pending text, then puts the selection on the clipboard.
  bool copySelection();
  // Writes pending text; the selection's device pixels on its screen.
  QRect finishedSelection();
  // Puts these device pixels of the selection's screen on the clipboard.
  bool copyDevicePixels(const QRect& devicePixels);
  void copyAndExit();
  // Keeps the selection, as it is annotated, on the desktop where it lies.
  void pinAndExit();
  void save();

  std::unique_ptr<capture::SelectionMachine> machine_;
  capture::AnnotationSession session_;
  std::vector<QWidget*> surfaces_{this};
  std::vector<QPointF> origins_{QPointF()};  // each surface's top-left on the desktop
  int controlsOn_ = 0;                       // the surface the selection's controls are on
  std::optional<capture::Loupe> loupe_;      // on the selection's surface
  DevicePixelBox* windowOutline_ = nullptr;  // on the surface of the window's screen
};

// Another screen's share of the capture window: that screen's frozen picture,
// full screen, whose input goes to the capture window. It belongs to the
// window and closes with it.
class CaptureSurface : public QWidget {
  Q_OBJECT

 public:
  CaptureSurface(CaptureForm* form, int screen);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The frozen screen looks the same whether its window is active or has the
  // keyboard: neither repaints the whole screen (see capture_form.cpp).
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent*) override {}
  void focusOutEvent(QFocusEvent*) override {}

 private:
  CaptureForm* form_;
  int screen_;
};
