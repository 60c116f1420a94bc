#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <future>
#include <optional>
#include <vector>

#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/excel_property_bag.h"
#include "rotaskiv/snapshot_history.h"
#include "rotaskiv/toolbar_button.h"

class QPainter;

namespace capture {

// The annotations of one opening of the capture window, without widgets: the
// committed pictures (each frozen screen with every finished stroke), the
// snapshots for undo and redo, the chosen tool and the stroke in progress.
// Strokes go to the picture of the screen the selection is on, in that
// picture's window pixels, and stay inside the selection they are given.
class AnnotationSession {
 public:
  // What a release did to the stroke in progress.
  enum class Release {
    None,       // there was no stroke
    Committed,  // an arrow, ellipse or rectangle went into the picture
    PlaceText,  // first click of the text tool: the text box goes to textAt()
    WriteText,  // second click: the caller writes the box's text with writeText()
  };

  // A new opening: one frozen picture per screen. The first screen's becomes
  // the committed picture and snapshot 1; no tool is chosen. Snapshot 1 is
  // packed on a thread of its own while the window opens (on a 4K desktop
  // that takes tens of milliseconds); whatever reads it or paints into the
  // picture waits for it first.
  void open(std::vector<QImage> screens);
  // The selection went to another screen: its picture becomes the committed
  // one, and the history starts again from it.
  void moveTo(int screen);
  int screen() const { return screen_; }

  // The committed picture: the one of the selection's screen.
  const QImage& picture() const { return pictures_[screen_]; }
  const QImage& picture(int screen) const { return pictures_.at(screen); }
  const SnapshotHistory& history() const { return history_; }

  // --- Tools -----------------------------------------------------------------
  bool toolActive() const { return toolActive_; }
  std::optional<ToolbarButton> tool() const { return tool_; }
  // A tool button was clicked: the tool becomes active. Answers whether the
  // option panel is to show: a hidden panel shows, and a second click on the
  // same button hides it (the tool stays chosen).
  bool chooseTool(ToolbarButton tool, bool panelShowing);
  // Every toolbar button is remembered after its action, for the toggle above.
  void noteButton(ToolbarButton button) { lastButton_ = button; }
  // Whether the tool keeps the selection from being resized: a press on a
  // handle while nothing is annotated yet gives up the tool first.
  bool toolLocksSelection();

  // --- Strokes ---------------------------------------------------------------
  // A press strictly inside the selection starts a stroke; elsewhere nothing.
  void press(QPointF point, Selection selection);
  // The stroke follows the pointer (clamped to the selection) as a preview
  // that is not kept. Answers the window area to repaint.
  QRect move(QPointF point, Selection selection);
  Release release(QPointF point, Selection selection, QColor colour);
  // Paints the picture of `screen`, and the preview of the stroke in progress
  // over the committed one.
  void paint(QPainter& painter, int screen, QColor colour) const;

  // The text box was placed and its text not yet written.
  bool textPending() const { return textAt_.has_value(); }
  QPoint textAt() const { return textAt_.value_or(QPoint()); }
  // Writes `text` at the text box's place, without a background, commits and
  // records a snapshot: the second click of the text tool.
  void writeText(const QString& text, const QFont& font, QColor colour);
  // The text box was closed without writing: the stroke ends, nothing is kept.
  void dropText();

  // --- History ---------------------------------------------------------------
  // False when there was nothing to undo: the caller cancels everything.
  bool undo();
  void redo();
  // A resize starts: only the unannotated capture can be kept.
  void resetToFirstSnapshot() { history_.resetToFirst(); }
  // Everything cancelled: no tool, no stroke, no text waiting.
  void cancel();

 private:
  void drawStroke(QPainter& painter, QPointF end, QColor colour) const;
  void commit();
  void restore(const QByteArray& blob);
  // Snapshot 1 of the committed picture, packed apart.
  void packFirstSnapshot();
  // Waits for that snapshot and puts it into the history: the picture is
  // then no longer shared with the thread, and painting into it copies
  // nothing.
  void settleFirstSnapshot();

  // Device pixels, each with its screen's devicePixelRatio; never empty.
  std::vector<QImage> pictures_{QImage()};
  int screen_ = 0;
  ExcelPropertyBag bag_;
  SnapshotHistory history_;
  bool toolActive_ = false;
  std::optional<ToolbarButton> tool_;
  std::optional<ToolbarButton> lastButton_;
  bool strokeInProgress_ = false;
  QPointF strokeStart_;
  std::optional<QPointF> previewEnd_;  // the stroke being dragged, shown but not kept
  std::optional<QPoint> textAt_;
  std::future<QByteArray> firstSnapshot_;
};

}  // namespace capture
