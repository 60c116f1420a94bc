#include "rotaskiv/annotation_session.h"

#include <QPainter>

namespace capture {

namespace {

constexpr float kArrowHeadSize = 10;
// The arrow head reaches this far beyond the line from start to end.
constexpr int kPreviewMargin = int(kArrowHeadSize) + 2;

QPoint rounded(QPointF p) { return QPoint(qRound(p.x()), qRound(p.y())); }

}  // namespace

void AnnotationSession::open(std::vector<QImage> screens) {
  pictures_ = std::move(screens);
  if (pictures_.empty()) pictures_.emplace_back();
  screen_ = 0;
  packFirstSnapshot();
  cancel();
  tool_.reset();
  lastButton_.reset();
}

void AnnotationSession::moveTo(int screen) {
  if (screen == screen_ || screen < 0 || screen >= int(pictures_.size())) return;
  // The snapshots show the other screen: undo could not bring them back here.
  screen_ = screen;
  packFirstSnapshot();
  cancel();
}

bool AnnotationSession::chooseTool(ToolbarButton tool, bool panelShowing) {
  toolActive_ = true;
  tool_ = tool;
  return !panelShowing || lastButton_ != tool;
}

bool AnnotationSession::toolLocksSelection() {
  if (history_.count() == 1) toolActive_ = false;
  return toolActive_;
}

void AnnotationSession::press(QPointF point, Selection selection) {
  if (!strictlyInside(point, selection)) return;
  strokeInProgress_ = true;
  strokeStart_ = point;
}

QRect AnnotationSession::move(QPointF point, Selection selection) {
  if (!strokeInProgress_ || tool_ == ToolbarButton::Text) return QRect();  // no preview for text
  const QPointF end = clampedToSelection(point, selection);
  // Only where the old and the new preview lie: a whole 4K screen per mouse
  // move would lag behind the pointer.
  const auto area = [this](QPointF to) {
    return QRectF(strokeStart_, to)
        .normalized()
        .toAlignedRect()
        .adjusted(-kPreviewMargin, -kPreviewMargin, kPreviewMargin, kPreviewMargin);
  };
  const QRect dirty = previewEnd_ ? area(*previewEnd_).united(area(end)) : area(end);
  previewEnd_ = end;
  return dirty;
}

AnnotationSession::Release AnnotationSession::release(QPointF point, Selection selection,
                                                      QColor colour) {
  if (!strokeInProgress_) return Release::None;
  previewEnd_.reset();
  if (tool_ == ToolbarButton::Text) {
    if (textAt_) return Release::WriteText;
    // The stroke stays open until the next release writes the text.
    textAt_ = rounded(point);
    return Release::PlaceText;
  }
  settleFirstSnapshot();
  {
    QPainter painter(&pictures_[screen_]);
    drawStroke(painter, clampedToSelection(point, selection), colour);
  }
  strokeInProgress_ = false;
  commit();
  return Release::Committed;
}

void AnnotationSession::paint(QPainter& painter, int screen, QColor colour) const {
  painter.drawImage(QPointF(0, 0), picture(screen));
  if (previewEnd_ && screen == screen_) drawStroke(painter, *previewEnd_, colour);
}

void AnnotationSession::writeText(const QString& text, const QFont& font, QColor colour) {
  settleFirstSnapshot();
  if (!text.isEmpty() && textAt_) {
    QPainter painter(&pictures_[screen_]);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRectF(*textAt_, QSizeF(1e6, 1e6)), Qt::AlignLeft | Qt::AlignTop, text);
  }
  textAt_.reset();
  strokeInProgress_ = false;
  commit();
}

void AnnotationSession::dropText() {
  textAt_.reset();
  strokeInProgress_ = false;
}

void AnnotationSession::drawStroke(QPainter& painter, QPointF end, QColor colour) const {
  const QPointF start = strokeStart_;
  painter.setPen(QPen(colour, 1));
  painter.setBrush(Qt::NoBrush);
  if (tool_ == ToolbarButton::Arrow) {
    const auto head = arrowHead(start, end, kArrowHeadSize);
    if (!head) return;
    // Each line starts at the tip: the two barbs, then the shaft.
    painter.drawLine(end, head->a);
    painter.drawLine(end, head->b);
    painter.drawLine(end, start);
  } else if (tool_ == ToolbarButton::Ellipse) {
    // The bounding box in whole pixels, right and bottom exclusive.
    const int left = qRound(qMin(start.x(), end.x())), right = qRound(qMax(start.x(), end.x()));
    const int top = qRound(qMin(start.y(), end.y())), bottom = qRound(qMax(start.y(), end.y()));
    if (right - left >= 2 && bottom - top >= 2)
      painter.drawEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
  } else if (tool_ == ToolbarButton::Rectangle) {
    painter.drawRect(QRectF(start, end).normalized());
  }
}

void AnnotationSession::commit() {
  settleFirstSnapshot();
  history_.push(bag_.WriteP(picture()));
}

void AnnotationSession::packFirstSnapshot() {
  // A snapshot still being packed belongs to the history about to be cleared.
  if (firstSnapshot_.valid()) firstSnapshot_.wait();
  history_.clear();
  history_.push(QByteArray());  // filled in by settleFirstSnapshot()
  // The thread holds its own reference to the picture, which nobody paints
  // into before settleFirstSnapshot().
  firstSnapshot_ = std::async(std::launch::async,
                              [bag = bag_, frozen = picture()] { return bag.WriteP(frozen); });
}

void AnnotationSession::settleFirstSnapshot() {
  if (firstSnapshot_.valid()) history_.replaceFirst(firstSnapshot_.get());
}

void AnnotationSession::restore(const QByteArray& blob) {
  const QImage restored = bag_.ReadP(blob);
  if (!restored.isNull()) pictures_[screen_] = restored;
}

bool AnnotationSession::undo() {
  settleFirstSnapshot();
  const auto blob = history_.undo();
  if (blob) restore(*blob);
  return blob.has_value();
}

void AnnotationSession::redo() {
  settleFirstSnapshot();
  if (const auto blob = history_.redo()) restore(*blob);
}

void AnnotationSession::cancel() {
  toolActive_ = false;
  strokeInProgress_ = false;
  previewEnd_.reset();
  // A text box waiting for its second click would otherwise write into the
  // next selection.
  textAt_.reset();
}

}  // namespace capture
