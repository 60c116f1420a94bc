#include "rotaskiv/annotation_session.h"

#include <QPainter>

#include "common/fonts.h"

namespace capture {

namespace {

QPoint rounded(QPointF p) { return QPoint(qRound(p.x()), qRound(p.y())); }

// `dirty` (window pixels) of `image` (device pixels), drawn at the window's origin.
void drawPart(QPainter& painter, const QImage& image, const QRect& dirty) {
  const qreal ratio = image.devicePixelRatio();
  const QRect source =
      QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio).toAlignedRect() &
      image.rect();
  painter.drawImage(QRectF(QPointF(source.topLeft()) / ratio, QSizeF(source.size()) / ratio), image,
                    source);
}

bool hasHandles(const Annotation& annotation) { return !annotation.handles().isEmpty(); }

// Pen, highlighter, marker and text have no handles: a dotted frame round
// what they paint shows that they are selected.
QRect frameOf(const Annotation& annotation, qreal ratio) {
  return annotation.paintedRect(ratio).adjusted(-1, -1, 1, 1);
}

void paintFrame(QPainter& painter, const QRect& frame, qreal ratio) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(QColor(0, 122, 236), 1 / ratio, Qt::DotLine);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const qreal half = 0.5 / ratio;  // the line along the frame's outermost device pixels
  painter.drawRect(QRectF(frame).adjusted(half, half, -half, -half));
  painter.restore();
}

}  // namespace

void AnnotationSession::open(std::vector<QImage> screens) {
  pictures_ = std::move(screens);
  if (pictures_.empty()) pictures_.emplace_back();
  screen_ = -1;
  moveTo(0);
  tool_.reset();
  lastButton_.reset();
}

void AnnotationSession::moveTo(int screen) {
  if (screen == screen_ || screen < 0 || screen >= int(pictures_.size())) return;
  // The annotations lie on the other screen: undo could not bring them here.
  screen_ = screen;
  renderer_.setPicture(pictures_[screen_]);
  layer_.clear();
  history_.clear();
  history_.push(layer_);
  handlesShown_ = QRect();
  cancel();
}

const QImage& AnnotationSession::picture() const {
  const QImage& composed = renderer_.composed();
  return composed.isNull() ? pictures_[screen_] : composed;
}

const QImage& AnnotationSession::picture(int screen) const {
  return screen == screen_ ? picture() : pictures_.at(screen);
}

bool AnnotationSession::chooseTool(ToolbarButton tool, bool panelShowing) {
  toolActive_ = true;
  tool_ = tool;
  // A tool that draws another kind lets go of the selected annotation: its
  // size box speaks of its own kind (a line's width is no text's points).
  const std::optional<AnnotationKind> kind = kindForTool(tool);
  if (selected_ && kind && *kind != layer_.at(*selected_).kind) deselect();
  return !panelShowing || lastButton_ != tool;
}

bool AnnotationSession::toolLocksSelection() {
  if (history_.count() == 1) toolActive_ = false;
  return toolActive_;
}

// --- The mouse -------------------------------------------------------------------

void AnnotationSession::press(QPointF point, Selection selection, Style style) {
  // A text opened by a double-click is written by the next click, not by the
  // release of the double-click itself.
  if (editedText_ && !textStroke_) {
    textStroke_ = true;
    return;
  }
  // A second button during a drag, or the click that writes a placed text.
  if (gesture_ != Gesture::None || textStroke_ || !tool_) return;
  const auto grab = [&](Gesture gesture, int index) {
    gesture_ = gesture;
    selected_ = index;
    pressed_ = drawing_ = layer_.at(index);
    pressedAt_ = point;
    refresh();
  };
  if (selected_) {
    const Annotation& chosen = layer_.at(*selected_);
    if (const auto handle = chosen.handleAt(point)) {
      handle_ = *handle;
      return grab(Gesture::Resize, *selected_);
    }
    if (tool_ != ToolbarButton::Select && chosen.hit(point)) return grab(Gesture::Move, *selected_);
  }
  if (tool_ == ToolbarButton::Select) {
    if (const auto hit = layer_.topmostAt(point)) return grab(Gesture::Move, *hit);
    return deselect();
  }
  const auto kind = kindForTool(*tool_);
  if (!kind || !strictlyInside(point, selection)) return;
  selected_.reset();
  if (*kind == AnnotationKind::Text) {
    textStroke_ = true;  // the release places the text box
    return refresh();
  }
  gesture_ = Gesture::Draw;
  pressedAt_ = point;
  if (*kind == AnnotationKind::Marker)
    drawing_ = Annotation::marker(point, layer_.nextMarkerNumber(), style.colour, style.size);
  else if (*kind == AnnotationKind::Pen || *kind == AnnotationKind::Highlighter)
    drawing_ = Annotation::stroke(*kind, {point}, style.colour, style.size);
  else
    drawing_ = Annotation::box(*kind, point, point, style.colour, style.size);
  refresh();
}

void AnnotationSession::move(QPointF point, Selection selection, bool shift) {
  if (gesture_ == Gesture::Draw) {
    QPointF end = clampedToSelection(point, selection);
    if (shift && drawing_.kind == AnnotationKind::Line)
      end = clampedToSelection(snappedAngle(drawing_.points.first(), end), selection);
    drawing_ = drawing_.drawnTo(end);
  } else if (gesture_ == Gesture::Move) {
    drawing_ = pressed_.moved(point - pressedAt_);
  } else if (gesture_ == Gesture::Resize) {
    drawing_ = pressed_.withHandleAt(handle_, point);
  } else {
    return;
  }
  refresh();
}

AnnotationSession::Release AnnotationSession::release(QPointF point, Selection selection,
                                                      bool shift) {
  if (textStroke_) {
    if (textAt_) return Release::WriteText;
    // The stroke stays open until the next release writes the text.
    textAt_ = rounded(point);
    return Release::PlaceText;
  }
  if (gesture_ == Gesture::None) return Release::None;
  move(point, selection, shift);
  const Gesture gesture = std::exchange(gesture_, Gesture::None);
  AnnotationLayer next = layer_;
  if (gesture == Gesture::Draw) {
    // One that paints nothing is not kept, but the step is: the stroke was made.
    const bool seen = !drawing_.degenerate(ratio());
    const std::optional<int> added = seen ? std::optional(next.add(drawing_)) : std::nullopt;
    commit(std::move(next), added);
    clickDrew_ = point == pressedAt_;
    return Release::Committed;
  }
  if (drawing_ == pressed_) {  // a click on it only selects it
    refresh();
    return Release::None;
  }
  next.replace(*selected_, drawing_);
  commit(std::move(next), selected_);
  return Release::Committed;
}

// --- Text ----------------------------------------------------------------------------

QFont AnnotationSession::textFont(double points, double dpi) {
  QFont font;
  font.setFamilies(fonts::withCjkFallback(QString()));
  font.setPixelSize(qMax(1, qRound(points * dpi / 72.0)));
  return font;
}

void AnnotationSession::writeText(const QString& text, Style style) {
  AnnotationLayer next = layer_;
  std::optional<int> select;
  if (editedText_) {
    Annotation edited = layer_.at(*editedText_);
    edited.text = text;
    if (text.isEmpty()) {
      next.remove(*editedText_);
    } else {
      next.replace(*editedText_, edited);
      select = editedText_;
    }
  } else if (!text.isEmpty() && textAt_) {
    Annotation written =
        Annotation::textAt(*textAt_, text, textFont(style.size, textDpi_), style.colour);
    written.size = style.size;  // points; the font is in pixels
    select = next.add(std::move(written));
  }
  const bool edit = editedText_.has_value();
  textAt_.reset();
  editedText_.reset();
  textStroke_ = false;
  if (edit && next == layer_) return refresh();  // the same words: no step
  commit(std::move(next), select);
}

void AnnotationSession::dropText() {
  textAt_.reset();
  editedText_.reset();
  textStroke_ = false;
  refresh();
}

void AnnotationSession::dropClickDrawing() {
  if (!std::exchange(clickDrew_, false) || gesture_ != Gesture::None) return;
  if (const auto before = history_.dropLast()) restore(*before);
}

std::optional<Annotation> AnnotationSession::editTextAt(QPointF point) {
  for (int i = layer_.count() - 1; i >= 0; --i) {
    const Annotation& text = layer_.at(i);
    if (text.kind != AnnotationKind::Text || !text.hit(point)) continue;
    gesture_ = Gesture::None;
    selected_ = editedText_ = i;
    textStroke_ = false;  // armed by the next press
    textAt_ = rounded(text.points.first());
    refresh();
    return text;
  }
  return std::nullopt;
}

// --- Editing the selected annotation --------------------------------------------------

void AnnotationSession::deselect() {
  selected_.reset();
  refresh();
}

bool AnnotationSession::removeSelected() {
  if (!selected_ || gesture_ != Gesture::None || editedText_) return false;
  AnnotationLayer next = layer_;
  next.remove(*selected_);
  commit(std::move(next), std::nullopt);
  return true;
}

bool AnnotationSession::nudgeSelected(int dx, int dy) {
  if (!selected_ || gesture_ != Gesture::None || editedText_) return false;
  AnnotationLayer next = layer_;
  next.replace(*selected_, layer_.at(*selected_).moved(QPointF(dx, dy) / ratio()));
  commit(std::move(next), selected_);
  return true;
}

void AnnotationSession::restyleSelected(std::optional<QColor> colour, std::optional<int> size) {
  if (!selected_ || gesture_ != Gesture::None || editedText_) return;
  const Annotation& before = layer_.at(*selected_);
  Annotation after = before.restyled(colour.value_or(before.colour), size.value_or(before.size));
  if (after.kind == AnnotationKind::Text) after.font = textFont(after.size, textDpi_);
  if (after == before) return;
  AnnotationLayer next = layer_;
  next.replace(*selected_, std::move(after));
  commit(std::move(next), selected_);
}

// --- Showing ---------------------------------------------------------------------------

AnnotationLayer AnnotationSession::shownLayer() const {
  AnnotationLayer shown = layer_;
  if (gesture_ == Gesture::Draw) shown.add(drawing_);
  if ((gesture_ == Gesture::Move || gesture_ == Gesture::Resize) && selected_)
    shown.replace(*selected_, drawing_);
  // The box shows the words being typed; the picture must not show them twice.
  if (editedText_) shown.remove(*editedText_);
  return shown;
}

std::optional<Annotation> AnnotationSession::shownSelection() const {
  if (!selected_ || selected_ == editedText_) return std::nullopt;
  if (gesture_ == Gesture::Move || gesture_ == Gesture::Resize) return drawing_;
  return layer_.at(*selected_);
}

void AnnotationSession::refresh() {
  const AnnotationLayer shown = shownLayer();
  // Until something is drawn the frozen picture shows as it is: opening the
  // window copies no screen.
  if (!shown.empty() || !renderer_.composed().isNull()) {
    // Along a large outline only the strips its edges lie in, not its whole box.
    if (!renderer_.update(shown).isEmpty()) dirty_ += renderer_.changedRegion();
  }
  const auto chosen = shownSelection();
  const QRect marks = !chosen               ? QRect()
                      : hasHandles(*chosen) ? handlesRect(*chosen)
                                            : frameOf(*chosen, ratio());
  if (marks != handlesShown_) dirty_ += QRegion(handlesShown_) + marks;
  handlesShown_ = marks;
}

void AnnotationSession::paint(QPainter& painter, int screen, const QRegion& dirty) const {
  const bool frozen = screen != screen_ || renderer_.composed().isNull();
  // Each piece apart: the strips along an outline, not the box they span.
  for (const QRect& piece : dirty) {
    if (frozen)
      drawPart(painter, picture(screen), piece);
    else
      renderer_.paint(painter, piece);
  }
  if (frozen) return;
  const auto chosen = shownSelection();
  if (!chosen) return;
  if (hasHandles(*chosen))
    paintHandles(painter, *chosen, ratio());
  else
    paintFrame(painter, handlesShown_, ratio());
}

// --- History ---------------------------------------------------------------------------

void AnnotationSession::commit(AnnotationLayer layer, std::optional<int> select) {
  clickDrew_ = false;
  layer_ = std::move(layer);
  selected_ = select;
  history_.push(layer_);
  refresh();
}

void AnnotationSession::restore(const AnnotationLayer& layer) {
  clickDrew_ = false;
  layer_ = layer;
  selected_.reset();
  gesture_ = Gesture::None;
  // A text typed again may no longer be there.
  if (editedText_) dropText();
  refresh();
}

bool AnnotationSession::undo() {
  const auto state = history_.undo();
  if (state) restore(*state);
  return state.has_value();
}

void AnnotationSession::redo() {
  if (const auto state = history_.redo()) restore(*state);
}

void AnnotationSession::resetToFirstSnapshot() {
  history_.resetToFirst();
  restore(AnnotationLayer());
}

void AnnotationSession::cancel() {
  toolActive_ = false;
  gesture_ = Gesture::None;
  // A text box waiting for its second click would otherwise write into the
  // next selection.
  textStroke_ = false;
  textAt_.reset();
  editedText_.reset();
  selected_.reset();
  refresh();
}

}  // namespace capture
