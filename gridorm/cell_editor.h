#pragma once

#include <QLineEdit>

#include "gridorm/table_geometry.h"

class PictureBox;

// The cell editor: a one-line text box laid over the canvas and sized to one
// cell. Its box is kept in twips, as the table's fields are, and the widget
// follows it on whole pixels inside the canvas's border; it is never part of
// the canvas's image.
class CellEditor : public QLineEdit {
  Q_OBJECT

 public:
  explicit CellEditor(PictureBox* canvas);

  const table::EditorBox& box() const { return box_; }
  void setBox(const table::EditorBox& box);

 private:
  PictureBox* canvas_;
  table::EditorBox box_;
};
