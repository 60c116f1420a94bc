#pragma once

#include <QLineF>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// The geometry of a ruled table, worked out from the texts of the designer's
// fields at the moment an operation runs. Nothing about a drawn table is
// remembered: every function here reads the texts afresh, so editing a field
// after drawing changes how the cell editor walks over the table on the canvas.
// All lengths are twips.
namespace table {

// The six fields of the top panel, as text.
struct Fields {
  QString x0;       // Text1, the table's left edge
  QString y0;       // Text2, its top edge
  QString width;    // Text5
  QString height;   // Text4
  QString columns;  // Text3
  QString rows;     // Text6
};

// A field read as a decimal number; nothing for a text that is not one.
std::optional<double> real(const QString& text);
// A number rounded to the nearest integer, a tie going to the even one;
// nothing outside -32768..32767.
std::optional<std::int16_t> integer(std::optional<double> value);
inline std::optional<std::int16_t> integer(const QString& text) { return integer(real(text)); }

// The values a 16-bit loop counter takes from `first` to `last` in steps of
// `step` (upwards while it is <= last, downwards while >= last). A step of 0
// would never reach the end and gives no values at all; a counter whose next
// value would leave the 16-bit range stops there, keeping the values before.
QList<std::int16_t> counterRun(std::int16_t first, std::int16_t last, std::int16_t step);

// The rules of a table, in drawing order. A rule whose ends cannot be worked
// out (a field that is not a number, a count of 0, a value outside the
// 16-bit range) is left out; the others are still there.
QList<QLineF> verticalRules(const Fields& fields);
QList<QLineF> horizontalRules(const Fields& fields);

// Where the cell editor goes after a drawing: 60 twips inside the first cell.
// Each value is worked out on its own; one that cannot be (or a negative size)
// leaves the editor's old value.
struct Placement {
  std::optional<double> left, top, width, height;
};
Placement firstCell(const Fields& fields);

// The cell editor's box, in twips, with the toolkit's single precision.
struct EditorBox {
  float left = 0, top = 0, width = 0, height = 0;
  bool operator==(const EditorBox&) const = default;
};

// The arrow moves. Each tests the box against one edge of the table first and
// either moves it one cell or snaps it to that edge, so a move may carry it
// one cell past the far edge and the next press snaps it back. The right and
// bottom edges are W and H measured from the canvas corner; the left and top
// edges are x0 and y0. With a field the move needs unusable the box stays.
EditorBox moveRight(EditorBox box, const Fields& fields);
EditorBox moveDown(EditorBox box, const Fields& fields);
EditorBox moveLeft(EditorBox box, const Fields& fields);
EditorBox moveUp(EditorBox box, const Fields& fields);

// The hatch of the corner button: 27 passes of 300 nearly vertical lines,
// the fields used as raw coordinates. Empty when one of them is not a number.
QList<QLineF> hatchLines(const Fields& fields);

}  // namespace table
