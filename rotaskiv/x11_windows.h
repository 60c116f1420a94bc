#pragma once

#include <QRect>
#include <vector>

#include "rotaskiv/screen_source.h"

// The frames of the top-level windows of an X11 desktop that are shown,
// topmost first, in the desktop's pixels of `screens`: what a window manager
// puts around a window is the window the root holds, so its frame is what is
// found. Empty on any other platform.
std::vector<QRect> x11WindowFrames(const std::vector<ScreenLayout>& screens);

// A rectangle in the X server's pixels, in the desktop's pixels: each
// screen keeps its top-left and divides the rest by its scale. Empty when no
// screen holds its middle.
QRect fromX11Pixels(const QRect& native, const std::vector<ScreenLayout>& screens);
