#include "gridorm/designer_layout.h"

#include "common/numbers.h"

namespace designer_layout {

QSize outerSize(QSize client) { return client + QSize(kFrameWidth, kFrameHeight); }

Bars alignScrollBars(QSize client, int barExtent, int horizontalValue, int verticalValue) {
  const QSize outer = outerSize(client);
  return {QRect(0, client.height() - barExtent, outer.width() - 400, barExtent),
          QRect(client.width() - barExtent, 0, barExtent, outer.height() - 800),
          QPoint(60 - horizontalValue, 1550 - verticalValue)};
}

Paint placeOnPaint(QSize client, QSize cornerButton, int storePanelWidth) {
  const QSize outer = outerSize(client);
  return {outer.width(),
          QPoint(outer.width() - cornerButton.width() - 100,
                 outer.height() - cornerButton.height() - 500),
          outer.width() - storePanelWidth - 600};
}

int pixels(double twips) { return numbers::roundHalfEven32(numbers::twipsToPixels(twips)); }

QRect pixels(const QRect& twips) {
  return {pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height())};
}

}  // namespace designer_layout
