#pragma once

#include <QApplication>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <QWidget>

// Small helpers shared by the widget tests.

inline QImage filled(int width, int height, QRgb pixel) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(pixel);
  return image;
}

// For the cleanup() of widget tests: fails the test that left a visible
// top-level window behind, and closes it so that the next test starts clean.
inline void verifyNoLeakedWindows() {
  QStringList leaked;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible()) continue;
    leaked << QString::fromLatin1(widget->metaObject()->className());
    widget->close();
  }
  QVERIFY2(leaked.isEmpty(), qPrintable("leaked windows: " + leaked.join(", ")));
}
