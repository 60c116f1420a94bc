#include "gridorm/skin/skin_geometry.h"

#include <QHeaderView>
#include <algorithm>

#include "common/numbers.h"

namespace skin {

QPoint BorderSize(QSize outer, QSize client, int verticalScrollBar, int horizontalScrollBar) {
  const int dx = outer.width() - client.width() - verticalScrollBar;
  const int dy = outer.height() - client.height() - horizontalScrollBar;
  return {numbers::roundHalfEven32(dx / 2.0), numbers::roundHalfEven32(dy / 2.0)};
}

QRegion RoundedButtonRegion(QSize size) {
  QRegion region(QRect(QPoint(0, 0), size));
  // Smaller buttons have no corners to round.
  if (size.width() < 3 || size.height() < 3) return region;
  const int right = size.width() - 1, bottom = size.height() - 1;
  for (QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
    region -= QRect(corner, QSize(1, 1));
  return region;
}

double ProgressFraction(int value, int minimum, int maximum) {
  if (maximum <= minimum) return 0.0;
  const double span = static_cast<double>(maximum) - minimum;
  return std::clamp((static_cast<double>(value) - minimum) / span, 0.0, 1.0);
}

bool inDropButtonArea(QSize combo, int scrollBarExtent, QPoint at) {
  const int w = combo.width(), h = combo.height();
  return at.x() >= w - scrollBarExtent - 2 && at.x() <= w - 2 && at.y() >= 2 && at.y() <= h - 2;
}

int itemAt(const QList<ItemSpan>& items, int position) {
  for (qsizetype i = 0; i < items.size(); ++i)
    if (items[i].first <= position && position <= items[i].last) return static_cast<int>(i);
  return -1;
}

int headerItemAt(const QHeaderView& header, int position) {
  QList<ItemSpan> items;
  for (int i = 0; i < header.count(); ++i) {
    const int first = header.sectionViewportPosition(i);
    items.append(header.isSectionHidden(i) ? ItemSpan{1, 0}
                                           : ItemSpan{first, first + header.sectionSize(i)});
  }
  return itemAt(items, position);
}

QRect headerItemRect(const QHeaderView& header, int index) {
  const int first = header.sectionViewportPosition(index), size = header.sectionSize(index);
  const QSize area = header.viewport()->size();
  return header.orientation() == Qt::Horizontal ? QRect(first, 0, size, area.height())
                                                : QRect(0, first, area.width(), size);
}

bool isUnderPointer(const QWidget& widget, QPoint at) {
  if (!widget.rect().contains(at)) return false;
  if (!widget.mask().isEmpty() && !widget.mask().contains(at)) return false;
  return widget.childAt(at) == nullptr;
}

}  // namespace skin
