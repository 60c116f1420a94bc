#pragma once

#include <QRect>
#include <QWidget>
#include <array>
#include <memory>

#include "rotaskiv/annotation_session.h"
#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/selection_machine.h"
#include "rotaskiv/toolbar_button.h"

class CaptureToolbar;
class ToolOptionPanel;
class QFrame;
class QLabel;
class QLineEdit;
class ResizeHandle;

// The capture window: it freezes the whole primary screen, lets the user
// draw, move and resize a selection, annotate it, and copy it to the
// clipboard or save it to a file. The selection rules live in
// capture::SelectionMachine and the annotations in capture::AnnotationSession;
// this window wires its widgets to them.
class CaptureForm : public QWidget {
  Q_OBJECT

 public:
  explicit CaptureForm(QWidget* owner);
  ~CaptureForm() override;

  // Grabs the screen and shows the window over it, modeless. When the screen
  // cannot be grabbed the user is told why and the window closes.
  void Show();

  // Places the eight handles around the selection and shows them.
  void ImageMove();
  // Puts the picture of the window rectangle (x1, y1)-(x2, y2), right and
  // bottom exclusive, on the clipboard. False when the rectangle is empty.
  bool ScrnCap(int x1, int y1, int x2, int y2);
  bool ScrnCap(const QRect& rectangle);
  // Asks for a file name and saves the clipboard's picture to it.
  void CutdSave();

  const capture::AnnotationSession& session() const { return session_; }

  QFrame* Shape1 = nullptr;
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

 private:
  // Shows the machine's view on the widgets and carries out its step.
  void apply(const capture::SelectionStep& step);
  void showColourUnder(QPointF point);
  QColor currentColour() const;

  void toolbarClicked(ToolbarButton button);
  void chooseTool(ToolbarButton tool);
  void finishStroke(QPointF point);
  void prepareTextBox();
  void writeText();
  void widenTextEdit();
  void undo();

  // Output (capture_output.cpp).
  // Writes pending text, then puts the selection on the clipboard.
  bool copySelection();
  void copyAndExit();
  void save();
  QRect selectionPixels() const;

  std::unique_ptr<capture::SelectionMachine> machine_;
  capture::AnnotationSession session_;
};
