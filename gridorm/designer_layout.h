#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the designer window puts its panning bars, canvas, corner button and
// panels, in twips. The window is laid out from its outer size, frame
// included; a window system may give a window any frame or none, so the
// outer size is taken as the client size plus the classic frame, and the
// window looks the same under every window manager.
namespace designer_layout {

// Two 4-pixel borders across; a caption and two borders down.
inline constexpr int kFrameWidth = 120;
inline constexpr int kFrameHeight = 510;

QSize outerSize(QSize client);

// At every resize and every change of a panning bar: the bottom bar runs
// along the client's bottom edge up to the corner button, the right bar down
// the right edge to above it, and the canvas moves up and left by the bars'
// values (at their start value 1 it sits at (59, 1549)).
struct Bars {
  QRect horizontal, vertical;
  QPoint canvas;
};
Bars alignScrollBars(QSize client, int barExtent, int horizontalValue, int verticalValue);

// At every repaint: the top panel spans the window, the corner button sits at
// the bottom-right corner and the temp-store panel near the right edge.
struct Paint {
  int topPanelWidth;
  QPoint cornerButton;
  int storePanelLeft;
};
Paint placeOnPaint(QSize client, QSize cornerButton, int storePanelWidth);

// Twips to whole pixels, each value rounded on its own (a half to the even one).
int pixels(double twips);
QRect pixels(const QRect& twips);

}  // namespace designer_layout
