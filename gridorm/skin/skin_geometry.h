#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

class QHeaderView;
class QWidget;

// Where things are on a skinned control: pure geometry, apart from the
// few helpers at the end that read it off a widget.
namespace skin {

// The thickness of a window's border: half the difference of its outer and
// client sizes, rounded half to even; scroll bars that sit outside the client
// area are not border.
QPoint BorderSize(QSize outer, QSize client, int verticalScrollBar = 0,
                  int horizontalScrollBar = 0);

// The window region of a push button: its rectangle with the corner pixel
// cut off at each corner.
QRegion RoundedButtonRegion(QSize size);

// How much of a progress bar is filled: its value's share of its range,
// clipped to 0..1; nothing when the range is empty.
double ProgressFraction(int value, int minimum, int maximum);

// Where a press on an editable combo box counts as a press of its drop
// button: x from w - extent - 2 to w - 2, y from 2 to h - 2.
bool inDropButtonArea(QSize combo, int scrollBarExtent, QPoint at);

// Header items in index order, each from `first` to `last` pixel (both
// included, so neighbours share their boundary); the first that holds
// `position`, or -1.
struct ItemSpan {
  int first, last;
};
int itemAt(const QList<ItemSpan>& items, int position);

// The same for a header's sections (hidden ones hold nothing), in its
// viewport's coordinates along its orientation; and a section's rectangle.
int headerItemAt(const QHeaderView& header, int position);
QRect headerItemRect(const QHeaderView& header, int index);

// Whether the point (in the widget's coordinates) is on the widget itself:
// inside its shape and not on one of its children.
bool isUnderPointer(const QWidget& widget, QPoint at);

}  // namespace skin
