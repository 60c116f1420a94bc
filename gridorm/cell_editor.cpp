#include "gridorm/cell_editor.h"

#include <algorithm>

#include "common/picture_box.h"
#include "gridorm/designer_layout.h"

CellEditor::CellEditor(PictureBox* canvas) : QLineEdit(canvas), canvas_(canvas) {}

void CellEditor::setBox(const table::EditorBox& box) {
  using designer_layout::pixels;
  box_ = box;
  // A box walked past the table's edge, or narrower than nothing, is still
  // kept in twips; the widget shows what of it there is.
  setGeometry(canvas_->contentsRect().left() + pixels(box.left),
              canvas_->contentsRect().top() + pixels(box.top), std::max(0, pixels(box.width)),
              std::max(0, pixels(box.height)));
}
