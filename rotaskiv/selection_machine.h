#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <Qt>
#include <optional>
#include <vector>

#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/screen_source.h"

namespace capture {

// What the capture window shows of the selection after an event, in the
// desktop's logical pixels, on the screen the selection is on.
struct SelectionView {
  Selection frame;            // the selection frame Shape1
  bool frameShown = false;    // Shape1
  bool labelsShown = false;   // the size label LblPos and the colour readout lblInfo
  bool handlesShown = false;  // the eight handles, placed around the frame
  bool toolbarShown = false;  // the toolbar strip Picture1
  QPointF toolbarAt;          // its top-left
  QString sizeText;           // LblPos once a size is known ("200x120"), else empty
  // Before a selection is dragged, the frame of the window under the pointer,
  // clipped to its screen: a click selects it.
  std::optional<QRectF> windowOutline;
};

// What the window must do besides showing the view.
struct SelectionStep {
  bool cursorChanged = false;      // put SelectionMachine::cursor() in force
  bool close = false;              // close the window
  bool copyAndClose = false;       // copy the selection to the clipboard, then close
  bool handleDragStarted = false;  // hide the option panel, history back to its first snapshot
};

// The selection of the capture window as a state machine without widgets:
// drawing a new selection, moving it, resizing it with the handles, cancelling
// it, and the mouse rules that close the window. Fed the surfaces' and the
// handles' mouse events (in the desktop's logical pixels), it answers what to
// show and do.
//
// On a desktop of several screens the selection lies on one of them, never
// across two: a press on another screen is a press outside the selection, and
// that screen then confines what is drawn, moved and resized, and places the
// toolbar.
class SelectionMachine {
 public:
  enum class Mode { Draw, Move };
  enum class HandleDrag { None, Start, Stop };

  // `screens`: where each screen lies and its pictures' device pixel ratio,
  // which the size label counts in; the selection starts on the first.
  // `toolbar` and `handle`: their sizes.
  SelectionMachine(std::vector<ScreenLayout> screens, QSizeF toolbar, QSizeF handle);

  // Mouse on the surface while no tool is active (release: always).
  SelectionStep press(Qt::MouseButton button, QPointF point);
  SelectionStep move(Qt::MouseButtons buttons, QPointF point);
  SelectionStep release(Qt::MouseButton button, QPointF point);
  SelectionStep doubleClick();

  // Mouse on handle `index`. A press starts a resize only in "move" mode and
  // only when `toolLocksSelection` is false.
  SelectionStep handlePress(int index, bool toolLocksSelection);
  SelectionStep handleMove(int index, QPointF cursor);
  SelectionStep handleRelease(int index);

  // A key placed the selection to the device pixel: (dx, dy) moves it,
  // (dw, dh) grows it from its right and bottom edges (shrinks when
  // negative), in device pixels of its screen. Only in "move" mode and not
  // while a handle is dragged; the selection stays on its screen, never gets
  // a negative size, and the handles, labels and toolbar follow it.
  SelectionStep nudge(int dx, int dy, int dw, int dh);

  // Undo with nothing to undo: back to "draw", everything hidden, size 0.
  void cancelAll();

  // The frames of the desktop's windows (desktop pixels, topmost first),
  // which a click without a drag selects; none where the platform does not
  // tell where windows are.
  void setWindows(std::vector<QRect> frames) { windows_ = std::move(frames); }

  const SelectionView& view() const { return view_; }
  Mode mode() const { return mode_; }
  HandleDrag handleDrag() const { return handleDrag_; }
  Selection selection() const { return view_.frame; }
  // The application-wide cursor this window wants; nothing: no override.
  std::optional<Qt::CursorShape> cursor() const { return cursor_; }
  // The screen the selection is on: its index and where it lies.
  int screenIndex() const { return screen_; }
  QRectF screen() const { return QRectF(screens_[screen_].geometry); }

 private:
  void cancel(QPointF point, SelectionStep& step);
  void setCursor(std::optional<Qt::CursorShape> shape, SelectionStep& step);
  void placeToolbar();
  void showSize();
  // The screen under a press: the selection's own where screens meet.
  int screenAt(QPointF point) const;
  QPointF onScreen(QPointF point) const;
  // The frame of the topmost window at `point`, clipped to the screen there.
  std::optional<QRectF> windowAt(QPointF point) const;

  std::vector<ScreenLayout> screens_;
  int screen_ = 0;
  QSizeF toolbar_;
  QSizeF handle_;
  SelectionView view_;
  Mode mode_ = Mode::Draw;
  HandleDrag handleDrag_ = HandleDrag::None;
  QPointF anchor_;
  // The last press that fell inside the selection in "move" mode, until the
  // selection is cancelled: a double-click copies only from such a press.
  std::optional<QPointF> pressPoint_;
  Selection hitRect_;
  Edges handlePressEdges_;
  // False: the next release of a button other than the left one closes the window.
  bool keepOpenOnOtherRelease_ = false;
  std::optional<Qt::CursorShape> cursor_ = Qt::CrossCursor;
  std::vector<QRect> windows_;
  std::optional<QRectF> pressedWindow_;  // under the press that may select it
};

}  // namespace capture
