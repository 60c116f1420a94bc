#include "rotaskiv/selection_machine.h"

#include <algorithm>

namespace capture {

SelectionMachine::SelectionMachine(std::vector<ScreenLayout> screens, QSizeF toolbar, QSizeF handle)
    : screens_(std::move(screens)), toolbar_(toolbar), handle_(handle) {
  if (screens_.empty()) screens_.push_back({});
  // Parked above the window's top edge until the first selection places it.
  view_.toolbarAt = QPointF(screen().left(), screen().top() - toolbar.height());
}

SelectionStep SelectionMachine::press(Qt::MouseButton button, QPointF point) {
  SelectionStep step;
  // A press on another screen misses the selection, so it cancels it below,
  // and the next selection is drawn there.
  screen_ = screenAt(point);
  view_.toolbarShown = false;
  if (mode_ == Mode::Draw) {
    view_.frameShown = true;
    pressedWindow_ = button == Qt::LeftButton ? windowAt(point) : std::nullopt;
    view_.windowOutline.reset();
    anchor_ = point;
    view_.frame = {float(point.x()), float(point.y()), 0, 0};
    if (button == Qt::RightButton) keepOpenOnOtherRelease_ = false;
    return step;
  }
  setCursor(Qt::CrossCursor, step);
  hitRect_ = view_.frame;
  if (hitTest(point, hitRect_)) {
    pressPoint_ = point;
    if (button == Qt::RightButton) cancel(point, step);
  } else {
    cancel(point, step);
  }
  return step;
}

SelectionStep SelectionMachine::move(Qt::MouseButtons buttons, QPointF point) {
  SelectionStep step;
  setCursor(strictlyInside(point, view_.frame) ? Qt::SizeAllCursor : Qt::CrossCursor, step);
  if (!(buttons & Qt::LeftButton)) {
    if (mode_ == Mode::Draw && !view_.frameShown) view_.windowOutline = windowAt(point);
    return step;
  }
  view_.windowOutline.reset();
  pressedWindow_.reset();  // a drag draws its own selection
  if (mode_ == Mode::Draw) {
    // The pointer may wander onto another screen; the selection stays on its own.
    view_.frame = drawnSelection(anchor_, onScreen(point));
    showSize();
    setCursor(Qt::CrossCursor, step);
  } else {
    setCursor(Qt::SizeAllCursor, step);
    view_.frame =
        movedSelection(anchor_, pressPoint_.value_or(anchor_), point, view_.frame, screen());
  }
  view_.frameShown = view_.labelsShown = view_.handlesShown = true;
  return step;
}

SelectionStep SelectionMachine::release(Qt::MouseButton button, QPointF) {
  SelectionStep step;
  if (button != Qt::LeftButton) {
    step.close = !keepOpenOnOtherRelease_;
    return step;
  }
  if (mode_ == Mode::Draw && pressedWindow_) {
    const QRectF& window = *pressedWindow_;
    view_.frame = {float(window.left()), float(window.top()), float(window.width()),
                   float(window.height())};
    view_.frameShown = view_.labelsShown = view_.handlesShown = true;
    showSize();
  }
  pressedWindow_.reset();
  mode_ = Mode::Move;
  anchor_ = QPointF(view_.frame.left, view_.frame.top);
  placeToolbar();
  return step;
}

SelectionStep SelectionMachine::doubleClick() {
  SelectionStep step;
  if (!pressPoint_ || !hitTest(*pressPoint_, hitRect_)) return step;
  view_.toolbarShown = false;
  view_.frameShown = false;
  step.copyAndClose = true;
  return step;
}

SelectionStep SelectionMachine::handlePress(int, bool toolLocksSelection) {
  SelectionStep step;
  if (toolLocksSelection || mode_ != Mode::Move) return step;
  handleDrag_ = HandleDrag::Start;
  const Selection& s = view_.frame;
  handlePressEdges_ = {s.left, s.top, s.right(), s.bottom()};
  view_.toolbarShown = false;
  step.handleDragStarted = true;
  return step;
}

SelectionStep SelectionMachine::handleMove(int index, QPointF cursor) {
  SelectionStep step;
  setCursor(handleCursor(index), step);
  if (handleDrag_ != HandleDrag::Start) return step;
  // A drag past the opposite edge is refused; handles and labels still follow.
  if (const auto resized = resizedSelection(index, onScreen(cursor), handlePressEdges_, handle_))
    view_.frame = *resized;
  view_.handlesShown = true;
  showSize();
  anchor_ = QPointF(view_.frame.left, view_.frame.top);
  return step;
}

SelectionStep SelectionMachine::handleRelease(int) {
  handleDrag_ = HandleDrag::Stop;
  placeToolbar();
  return {};
}

SelectionStep SelectionMachine::nudge(int dx, int dy, int dw, int dh) {
  if (mode_ != Mode::Move || handleDrag_ == HandleDrag::Start) return {};
  const double step = 1 / screens_[screen_].devicePixelRatio;  // one device pixel
  const QRectF area = screen();
  Selection s = view_.frame;
  // Grown no further than the screen's right and bottom edges.
  s.width = float(qBound(0.0, s.width + dw * step, qMax(double(s.width), area.right() - s.left)));
  s.height =
      float(qBound(0.0, s.height + dh * step, qMax(double(s.height), area.bottom() - s.top)));
  const QPointF origin(s.left, s.top);
  view_.frame = movedSelection(origin, origin, origin + QPointF(dx * step, dy * step), s, area);
  anchor_ = QPointF(view_.frame.left, view_.frame.top);
  view_.frameShown = view_.labelsShown = view_.handlesShown = true;
  showSize();
  placeToolbar();
  return {};
}

void SelectionMachine::cancelAll() {
  mode_ = Mode::Draw;
  view_.frameShown = view_.toolbarShown = view_.labelsShown = view_.handlesShown = false;
  view_.frame.width = view_.frame.height = 0;
}

void SelectionMachine::cancel(QPointF point, SelectionStep& step) {
  anchor_ = point;
  view_.frame = {float(point.x()), float(point.y()), 0, 0};
  view_.frameShown = view_.labelsShown = view_.handlesShown = false;
  pressPoint_.reset();
  setCursor(std::nullopt, step);
  mode_ = Mode::Draw;
  keepOpenOnOtherRelease_ = true;
}

void SelectionMachine::setCursor(std::optional<Qt::CursorShape> shape, SelectionStep& step) {
  cursor_ = shape;
  step.cursorChanged = true;
}

void SelectionMachine::placeToolbar() {
  view_.toolbarAt = toolbarPosition(view_.frame, toolbar_, screen());
  view_.toolbarShown = true;
}

void SelectionMachine::showSize() {
  // What a copy will hold: on a HiDPI screen, more pixels than the frame spans.
  view_.sizeText = sizeLabelText(view_.frame, screens_[screen_].devicePixelRatio);
}

int SelectionMachine::screenAt(QPointF point) const {
  if (screen().contains(point)) return screen_;
  for (std::size_t i = 0; i < screens_.size(); ++i)
    if (QRectF(screens_[i].geometry).contains(point)) return int(i);
  return screen_;
}

std::optional<QRectF> SelectionMachine::windowAt(QPointF point) const {
  const QRectF area(screens_[screenAt(point)].geometry);
  for (const QRect& frame : windows_)
    if (QRectF(frame).contains(point)) {
      const QRectF shown = QRectF(frame).intersected(area);
      if (!shown.isEmpty()) return shown;
    }
  return std::nullopt;
}

QPointF SelectionMachine::onScreen(QPointF point) const {
  const QRectF area = screen();
  return {std::clamp(point.x(), area.left(), area.right()),
          std::clamp(point.y(), area.top(), area.bottom())};
}

}  // namespace capture
