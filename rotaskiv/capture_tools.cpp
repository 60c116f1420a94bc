// The capture window's annotation tools and its undo and redo history.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

#include "common/fonts.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_parts.h"
#include "rotaskiv/capture_toolbar.h"

namespace {

constexpr float kArrowHeadSize = 10;
constexpr int kTextEditStartWidth = 25;
// The arrow head reaches this far beyond the line from start to end.
constexpr int kPreviewMargin = int(kArrowHeadSize) + 2;

// The surface's font at `points`, in pixels so that the box the user types
// into and the picture it is written on agree on the size.
QFont surfaceFont(double points, const QWidget* widget) {
  QFont font;
  font.setFamilies(fonts::withCjkFallback(QString()));
  font.setPixelSize(qMax(1, qRound(points * widget->logicalDpiY() / 72.0)));
  return font;
}

}  // namespace

void CaptureForm::toolbarClicked(int index) {
  switch (index) {
    case kArrowTool:
    case kTextTool:
    case kEllipseTool:
    case kRectangleTool:
      chooseTool(index);
      break;
    case kUndo:
      undo();
      break;
    case kRedo:
      redo();
      break;
    case kSave:
      save();
      break;
    case kCopyAndExit:
      copyAndExit();
      break;
    case kExitCapture:
      close();
      break;
    default:
      break;
  }
  lastButton_ = index;
}

QString CaptureForm::currentTool() const {
  return currentTool_ < 0 ? QString() : CaptureToolbar::tooltip(currentTool_);
}

void CaptureForm::chooseTool(int index) {
  Picture2->arrangeFor(index == kTextTool);
  const QPointF at =
      capture::optionPanelPosition(QPointF(Picture1->pos()), QSizeF(Picture1->size()),
                                   float(Picture2->height()), float(screenSize().height()));
  Picture2->move(qRound(at.x()), qRound(at.y()));
  if (Picture2->isHidden()) {
    Picture2->show();
    Picture2->raise();
  } else if (lastButton_ == index) {
    Picture2->hide();  // the tool stays chosen
  }
  toolActive_ = true;
  currentTool_ = index;
}

void CaptureForm::toolDown(QPointF p) {
  if (!capture::strictlyInside(p, selection_)) return;
  strokeInProgress_ = true;
  strokeStart_ = p;
}

void CaptureForm::toolMove(QPointF p) {
  if (!strokeInProgress_) return;
  if (currentTool_ == kTextTool) return;  // no preview for text
  const QPointF end = capture::clampedToSelection(p, selection_);
  // Repaint only where the old and the new preview lie: a whole 4K screen
  // per mouse move would lag behind the pointer.
  const auto area = [this](QPointF to) {
    return QRectF(strokeStart_, to)
        .normalized()
        .toAlignedRect()
        .adjusted(-kPreviewMargin, -kPreviewMargin, kPreviewMargin, kPreviewMargin);
  };
  update(previewEnd_ ? area(*previewEnd_).united(area(end)) : area(end));
  previewEnd_ = end;
}

void CaptureForm::toolUp(QPointF p) {
  if (!strokeInProgress_) return;
  previewEnd_.reset();
  if (currentTool_ == kTextTool) {
    const QColor colour = colour::toQColor(Picture2->currentColour());
    const QFont font = surfaceFont(Picture2->fontSize(), this);
    QPalette palette = TextEdit->palette();
    palette.setColor(QPalette::Text, colour);
    TextEdit->setPalette(palette);
    TextEdit->setFont(font);
    if (TextEdit->isHidden()) {
      // First release: place the box where the user clicked; the stroke
      // stays open until the next release writes the text.
      TextEdit->setGeometry(qRound(p.x()), qRound(p.y()), kTextEditStartWidth,
                            QFontMetrics(font).height() + 4);
      TextEdit->show();
      TextEdit->raise();
      TextEdit->setFocus();
    } else {
      writeText();
    }
    update();
    return;
  }
  const QPointF end = capture::clampedToSelection(p, selection_);
  {
    QPainter painter(&committed_);
    drawStroke(painter, strokeStart_, end);
  }
  strokeInProgress_ = false;
  commitAndSnapshot();
  update();
}

void CaptureForm::drawStroke(QPainter& painter, QPointF start, QPointF end) const {
  const QColor colour = colour::toQColor(Picture2->currentColour());
  painter.setPen(QPen(colour, 1));
  painter.setBrush(Qt::NoBrush);
  if (currentTool_ == kArrowTool) {
    const auto head = capture::arrowHead(start, end, kArrowHeadSize);
    if (!head) return;
    // Each line starts at the tip: the two barbs, then the shaft.
    painter.drawLine(end, head->a);
    painter.drawLine(end, head->b);
    painter.drawLine(end, start);
  } else if (currentTool_ == kEllipseTool) {
    // The bounding box in whole pixels, right and bottom exclusive.
    const int left = qRound(qMin(start.x(), end.x())), right = qRound(qMax(start.x(), end.x()));
    const int top = qRound(qMin(start.y(), end.y())), bottom = qRound(qMax(start.y(), end.y()));
    if (right - left >= 2 && bottom - top >= 2)
      painter.drawEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
  } else if (currentTool_ == kRectangleTool) {
    painter.drawRect(QRectF(start, end).normalized());
  }
}

void CaptureForm::writeText() {
  const QString text = TextEdit->text();
  if (!text.isEmpty()) {
    QPainter painter(&committed_);
    painter.setFont(TextEdit->font());
    painter.setPen(colour::toQColor(Picture2->currentColour()));
    painter.drawText(QRectF(TextEdit->pos(), QSizeF(1e6, 1e6)), Qt::AlignLeft | Qt::AlignTop, text);
  }
  TextEdit->hide();
  TextEdit->clear();
  strokeInProgress_ = false;
  commitAndSnapshot();
}

void CaptureForm::widenTextEdit() {
  const int wanted = QFontMetrics(TextEdit->font()).horizontalAdvance(TextEdit->text()) + 6;
  if (wanted > TextEdit->width()) TextEdit->resize(wanted, TextEdit->height());
}

void CaptureForm::commitAndSnapshot() { history_.push(bag_.WriteP(committed_)); }

void CaptureForm::undo() {
  if (const auto blob = history_.undo()) {
    const QImage restored = bag_.ReadP(*blob);
    if (!restored.isNull()) committed_ = restored;
    update();
    return;
  }
  cancelEverything();
}

void CaptureForm::redo() {
  if (const auto blob = history_.redo()) {
    const QImage restored = bag_.ReadP(*blob);
    if (!restored.isNull()) committed_ = restored;
    update();
  }
}

void CaptureForm::cancelEverything() {
  mode_ = Mode::Draw;
  Shape1->hide();
  Picture1->hide();
  Picture2->hide();
  LblPos->hide();
  lblInfo->hide();
  for (ResizeHandle* handle : Image1) handle->hide();
  setSelection({selection_.left, selection_.top, 0, 0});
  toolActive_ = false;
  // A text box waiting for its second click would otherwise write into the
  // next selection.
  TextEdit->hide();
  TextEdit->clear();
  strokeInProgress_ = false;
  previewEnd_.reset();
}
