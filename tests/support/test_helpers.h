#pragma once

#include <QImage>
#include <QRegularExpression>
#include <QTest>

// Small helpers shared by the tests.

inline QImage filled(int width, int height, QRgb pixel) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(pixel);
  return image;
}

// Fails the running test on any warning on the console, but the offscreen
// platform's notes on what it cannot do: the programs keep the console quiet.
inline void failOnConsoleNoise() {
  QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support)"));
}
