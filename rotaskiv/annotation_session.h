#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <optional>
#include <utility>
#include <vector>

#include "rotaskiv/annotation.h"
#include "rotaskiv/annotation_layer.h"
#include "rotaskiv/capture_geometry.h"
#include "rotaskiv/snapshot_history.h"
#include "rotaskiv/toolbar_button.h"

class QPainter;

namespace capture {

// The annotations of one opening of the capture window, without widgets: the
// frozen screens, the annotations on the selection's screen (each an
// editable value until the capture leaves the window), the one selected, the
// history of their states for undo and redo, the chosen tool and the drawing
// or edit in progress. Points are the window pixels of the selection's
// screen; drawing stays inside the selection it is given.
//
// Whatever changes what the screen shows is collected in takeDirty(): the
// window repaints only that.
class AnnotationSession {
 public:
  // What a release did to the stroke in progress.
  enum class Release {
    None,       // there was no stroke
    Committed,  // a drawing or an edit ended
    PlaceText,  // first click of the text tool: the text box goes to textAt()
    WriteText,  // second click: the caller writes the box's text with writeText()
  };
  // What the tool draws with: the current colour and the size option.
  struct Style {
    QColor colour = Qt::red;
    int size = 1;
  };

  // A new opening: one frozen picture per screen. The first screen's is
  // annotated; snapshot 1 is no annotation at all; no tool is chosen.
  void open(std::vector<QImage> screens);
  // The selection went to another screen: its picture is annotated now, and
  // the history starts again from no annotation.
  void moveTo(int screen);
  int screen() const { return screen_; }

  // What the selection's screen shows: the frozen picture with every
  // annotation (and the one being drawn), device pixels with the screen's
  // devicePixelRatio. Without handles: this is what a copy takes.
  const QImage& picture() const;
  // The same for `screen`: its frozen picture where there is no selection.
  const QImage& picture(int screen) const;
  const AnnotationLayer& annotations() const { return layer_; }
  const SnapshotHistory<AnnotationLayer>& history() const { return history_; }
  std::optional<int> selected() const { return selected_; }

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

  // --- The mouse -------------------------------------------------------------
  // A press on the selected annotation's handle resizes it, on its body moves
  // it; with the select tool a press picks the topmost annotation under it
  // (and moves it), or none; with a drawing tool a press strictly inside the
  // selection starts a new annotation in `style`.
  void press(QPointF point, Selection selection, Style style);
  // The drawing or edit follows the pointer (a drawing clamped to the
  // selection); Shift snaps a line to 15° steps.
  void move(QPointF point, Selection selection, bool shift = false);
  // The drawing or edit ends: one step of the history, and what was drawn
  // is selected. A drawing that paints nothing still makes its step.
  Release release(QPointF point, Selection selection, bool shift = false);

  // --- Text ------------------------------------------------------------------
  // The font of text annotations at `points`, in pixels of a screen of
  // `dpi` logical dots per inch: the box the user types into and the picture
  // agree on the size.
  static QFont textFont(double points, double dpi);
  void setTextDpi(double dpi) { textDpi_ = dpi; }
  // The text box was placed (or opened on a text) and its text not yet written.
  bool textPending() const { return textAt_.has_value(); }
  QPoint textAt() const { return textAt_.value_or(QPoint()); }
  // Writes `text` at the text box's place: a new text annotation in `style`
  // (size in points), or the edited one's new text (empty text removes it).
  // One step of the history.
  void writeText(const QString& text, Style style);
  // The text box was closed without writing: the stroke ends, nothing is
  // kept; an edited text keeps its old words.
  void dropText();
  // The first click of a double-click drew (a dot, a marker, an empty
  // step): that step is taken back, as if the click had not been made.
  void dropClickDrawing();
  // Opens the topmost text annotation under `point` for typing again: it
  // hides while the box shows its words. Nothing when none is there.
  std::optional<Annotation> editTextAt(QPointF point);

  // --- Editing the selected annotation (each one step of the history) ---------
  void deselect();
  // Removes it. False when none is selected.
  bool removeSelected();
  // Moves it by (dx, dy) device pixels. False when none is selected.
  bool nudgeSelected(int dx, int dy);
  // Gives it the colour or the size. Nothing when neither changes it.
  void restyleSelected(std::optional<QColor> colour, std::optional<int> size);

  // --- Painting ----------------------------------------------------------------
  // Paints `dirty` (window pixels) of `screen`: the picture, and on the
  // selection's screen the selected annotation's handles.
  void paint(QPainter& painter, int screen, const QRegion& dirty) const;
  // The window pixels of the selection's screen changed since the last call.
  QRegion takeDirty() { return std::exchange(dirty_, QRegion()); }

  // --- History -----------------------------------------------------------------
  // False when there was nothing to undo: the caller cancels everything.
  bool undo();
  void redo();
  // A resize of the selection starts: only the unannotated capture is kept.
  void resetToFirstSnapshot();
  // Everything cancelled: no tool, no stroke, no text waiting, none selected.
  void cancel();

 private:
  enum class Gesture { None, Draw, Move, Resize };
  // What the screen shows: the annotations with the drawing or edit in
  // progress, and without a text being typed again.
  AnnotationLayer shownLayer() const;
  // The selected annotation as shown, handles and all.
  std::optional<Annotation> shownSelection() const;
  // Brings the picture and the handles to what is shown, noting what changed.
  void refresh();
  // The layer becomes `layer`, `select` is selected: one step of the history.
  void commit(AnnotationLayer layer, std::optional<int> select);
  void restore(const AnnotationLayer& layer);
  qreal ratio() const { return pictures_[screen_].devicePixelRatio(); }

  // Device pixels, each with its screen's devicePixelRatio; never empty.
  std::vector<QImage> pictures_{QImage()};
  int screen_ = 0;
  AnnotationRenderer renderer_;
  AnnotationLayer layer_;
  SnapshotHistory<AnnotationLayer> history_;
  std::optional<int> selected_;
  bool toolActive_ = false;
  std::optional<ToolbarButton> tool_;
  std::optional<ToolbarButton> lastButton_;

  Gesture gesture_ = Gesture::None;
  QPointF pressedAt_;
  Annotation pressed_;      // the annotation as at the press (Move, Resize)
  Annotation drawing_;      // the annotation as dragged so far
  int handle_ = 0;          // Resize: which handle
  bool clickDrew_ = false;  // the last step is a drawing made by a click
  bool textStroke_ = false;
  std::optional<QPoint> textAt_;
  std::optional<int> editedText_;  // the text annotation being typed again
  double textDpi_ = 96;

  QRegion dirty_;
  QRect handlesShown_;  // where the selected annotation's handles were painted
};

}  // namespace capture
