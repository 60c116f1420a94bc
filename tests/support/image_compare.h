#pragma once

#include <QImage>
#include <QString>
#include <functional>

// Fuzzy image comparison for tests: the first pixel (if any) whose red, green
// or blue differ by more than `tolerance`, described for the failure message.
// Empty when the images match (same size and pixels within tolerance).
QString imageDifference(const QImage& actual, const QImage& expected, int tolerance = 0);

// A small picture with distinct, easily checked pixels: pixel (x, y) has red
// x * 7 % 256, green y * 13 % 256, blue (x + y) * 3 % 256.
QImage patternImage(int width, int height);

// The bounds of the pixels of `image` that `picked` chooses, or of those of
// exactly `colour`.
QRect boundsOf(const QImage& image, const std::function<bool(QRgb)>& picked);
QRect inkOf(const QImage& image, QRgb colour);

// The difference per channel (red, green, blue), averaged over all pixels, of
// two pictures of one size, each composed on white where it is clear.
double meanDifferenceOnWhite(const QImage& actual, const QImage& expected);
