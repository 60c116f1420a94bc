#pragma once

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QWidget>

// Small helpers shared by the tests.

// What the window shows of a widget, read from the screen without painting.
inline QImage onScreen(const QWidget* w) {
  const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
  return w->screen()
      ->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// Shows `w` and waits until the window system has it on the screen.
inline bool exposed(QWidget* w) { return w->show(), QTest::qWaitForWindowExposed(w); }

inline QImage filled(int width, int height, QRgb pixel) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(pixel);
  return image;
}

// Writes `bytes` to the file at `path`, replacing it; true when all were written.
inline bool written(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Fails the running test on any warning on the console, but the offscreen
// platform's notes on what it cannot do: the programs keep the console quiet.
inline void failOnConsoleNoise() {
  QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support)"));
}

// Whether a label reading `text` stands beside `control` in its parent, on
// its row and centred on it to half a pixel, at most 8 pixels left of it (or
// right of it, as a swatch's).
inline bool captionBeside(const QWidget* control, const QString& text, bool right = false) {
  const QRect f = control->geometry();
  for (const QLabel* label : control->parentWidget()->findChildren<QLabel*>()) {
    const QRect c = label->geometry();
    const int gap = right ? c.left() - f.right() : f.left() - c.right();
    const int offCentre = (c.top() + c.bottom()) - (f.top() + f.bottom());  // in half pixels
    if (label->text() == text && gap > 0 && gap <= 8 && std::abs(offCentre) <= 1) return true;
  }
  return false;
}
