#include "gridorm/cell_editor.h"

#include <QValidator>
#include <algorithm>

#include "common/picture_box.h"
#include "gridorm/designer_layout.h"

namespace {

// Text pasted or dropped into the one-line box may hold line breaks, which the
// box shows as blanks but the canvas would start a new line at: they become
// the blanks the box shows, so what is written is what the user sees.
class OneLine : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& cursor) const override {
    QString oneLine;
    oneLine.reserve(input.size());
    for (qsizetype i = 0; i < input.size(); ++i) {
      const QChar c = input[i];
      if (c == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
        if (i < cursor) --cursor;  // a pair is one break
        continue;
      }
      const bool lineBreak =
          c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
      oneLine.append(lineBreak ? QChar(u' ') : c);
    }
    input = oneLine;
    return Acceptable;
  }
};

}  // namespace

CellEditor::CellEditor(PictureBox* canvas) : QLineEdit(canvas), canvas_(canvas) {
  setValidator(new OneLine(this));
}

void CellEditor::setBox(const table::EditorBox& box) {
  using designer_layout::pixels;
  box_ = box;
  // A box walked past the table's edge, or narrower than nothing, is still
  // kept in twips; the widget shows what of it there is.
  setGeometry(canvas_->contentsRect().left() + pixels(box.left),
              canvas_->contentsRect().top() + pixels(box.top), std::max(0, pixels(box.width)),
              std::max(0, pixels(box.height)));
}
