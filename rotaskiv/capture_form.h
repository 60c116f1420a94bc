#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <optional>

#include "common/colour.h"
#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/excel_property_bag.h"
#include "rotaskiv/snapshot_history.h"

class CaptureToolbar;
class ToolOptionPanel;
class QLabel;
class QPainter;
class QLineEdit;
class ResizeHandle;
class SelectionFrame;

// The capture window: it freezes the whole primary screen, lets the user
// draw, move and resize a selection, annotate it, and copy it to the
// clipboard or save it to a file.
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
  // Asks for a file name and saves the clipboard's picture to it.
  void CutdSave();

  // The window state, readable by tests and by the tools.
  enum class Mode { Draw, Move };
  Mode mode() const { return mode_; }
  capture::Selection selection() const { return selection_; }
  const SnapshotHistory& history() const { return history_; }
  bool toolActive() const { return toolActive_; }
  // The tooltip of the tool chosen last, empty before any.
  QString currentTool() const;
  // The frozen screen with the committed annotations, in device pixels.
  const QImage& committedPicture() const { return committed_; }

  SelectionFrame* Shape1 = nullptr;
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
  // Selection (capture_form.cpp).
  void surfaceDown(Qt::MouseButton button, QPointF p);
  void surfaceMove(Qt::MouseButtons buttons, QPointF p);
  void surfaceUp(Qt::MouseButton button, QPointF p);
  void cancelSelection(QPointF p);
  void setSelection(const capture::Selection& selection);
  void setSizeLabel();
  void placeLabels();
  void setSelectionLabelsVisible(bool visible);
  void placeToolbar();
  void handleDown(int index);
  void handleMove(int index, QPointF globalPosition);
  void handleUp(int index);
  QSizeF screenSize() const;

  // Tools and history (capture_tools.cpp).
  void toolbarClicked(int index);
  void chooseTool(int index);
  void toolDown(QPointF p);
  void toolMove(QPointF p);
  void toolUp(QPointF p);
  void drawStroke(QPainter& painter, QPointF start, QPointF end) const;
  void writeText();
  void widenTextEdit();
  void commitAndSnapshot();
  void undo();
  void redo();
  void cancelEverything();

  // Output (capture_output.cpp).
  void copyAndExit();
  void save();
  void hideForCopy();
  QRect selectionPixels() const;

  QImage committed_;  // device pixels, with the screen's devicePixelRatio
  ExcelPropertyBag bag_;
  SnapshotHistory history_;

  Mode mode_ = Mode::Draw;
  enum class HandleDrag { None, Start, Stop } handleDrag_ = HandleDrag::None;
  QPointF anchor_;
  QPointF pressPoint_;
  capture::Selection hitRect_;
  capture::Edges handlePressEdges_;
  capture::Selection selection_;
  // False: the next release of a button other than the left one closes the window.
  bool keepOpenOnOtherRelease_ = false;

  bool toolActive_ = false;
  int currentTool_ = -1;  // toolbar index of the chosen tool
  int lastButton_ = 0;
  bool strokeInProgress_ = false;
  QPointF strokeStart_;
  std::optional<QPointF> previewEnd_;  // the stroke being dragged, shown but not kept
};
