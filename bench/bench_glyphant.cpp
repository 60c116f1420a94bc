// Glyphant timings and memory a user meets, on an optimised build:
//  - pattern text: one character at 2000 points on a 1000 x 1500 canvas, from
//    the click on "图案文字" to the refreshed thumbnail and the recorded
//    history step (the handler), and with the repaint it causes flushed;
//  - shadow text ("绘制阴影1") at 364 points on the same canvas;
//  - the resident memory of ten history steps on a 4000 x 4000 canvas,
//    once with pattern text (tiled, packs small) and once over a noisy
//    background picture (the worst case for packing).
// Usage: bench_glyphant [text|memory|noisy]...   (text and memory by default;
// run memory and noisy in separate processes for clean resident figures)
// Run headless (QT_QPA_PLATFORM=offscreen) or under a real X server.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "glyphant/glyphant_window.h"
#include "measure.h"

using bench::median;
using bench::residentKiB;

namespace {

void setField(QLineEdit* field, const QString& text) { field->setText(text); }

// A window with the canvas at `width` x `height` and the text at `points`.
std::unique_ptr<Form1> windowWith(int width, int height, const QString& text, int points) {
  auto form = std::make_unique<Form1>();
  form->show();
  (void)QTest::qWaitForWindowExposed(form.get());
  setField(form->Text2, QString::number(width));
  setField(form->Text1, QString::number(height));
  QTest::mouseClick(form->Command5, Qt::LeftButton);
  setField(form->txtMessage, text);
  form->cbofontsize->setEditText(QString::number(points));
  QCoreApplication::processEvents();
  return form;
}

// Median milliseconds of a click on `button`: the handler alone, and with
// the repaint it queued.
void timeClicks(const char* what, QPushButton* button) {
  std::vector<double> handler, painted;
  for (int i = 0; i < 21; ++i) {
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(button, Qt::LeftButton);
    handler.push_back(timer.nsecsElapsed() / 1e6);
    QCoreApplication::processEvents();
    painted.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::printf("%-44s %8.1f ms %8.1f ms\n", what, median(handler), median(painted));
}

void benchText() {
  std::printf("%-44s %11s %11s\n", "click to thumbnail and history step", "handler", "+ repaint");
  auto form = windowWith(1000, 1500, QStringLiteral("福"), 2000);
  timeClicks("pattern text, 1 character at 2000 pt", form->Command1);
  form->cbofontsize->setEditText("364");
  timeClicks("shadow text (绘制阴影1), 1 character 364 pt", form->Command9);
}

void benchMemory(bool noisyBackground) {
  const long before = residentKiB();
  auto form = windowWith(4000, 4000, QStringLiteral("福寿"), 1200);
  if (noisyBackground) {
    // A picture no packer can shrink much: every slot holds it whole.
    QImage noise(4000, 4000, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < noise.height(); ++y) {
      auto* row = reinterpret_cast<quint32*>(noise.scanLine(y));
      for (int x = 0; x < noise.width(); ++x)
        row[x] = 0xFF000000u | (random->generate() & 0x3F3F3F);
    }
    form->pic1->setPicture(noise);
  }
  const long canvasReady = residentKiB();
  for (int step = 0; step < 10; ++step) {
    setField(form->Text3, QString::number(step * 300));
    QTest::mouseClick(noisyBackground ? form->Command10 : form->Command1, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  std::printf(
      "10 steps of 4000 x 4000, %-22s resident %6ld MiB (%ld before the window, "
      "%ld with the canvas), slots %lld MiB\n",
      noisyBackground ? "over a noisy picture:" : "pattern text:", residentKiB() / 1024,
      before / 1024, canvasReady / 1024, static_cast<long long>(form->History.bytes() >> 20));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList which = QCoreApplication::arguments().mid(1);
  if (which.isEmpty()) which = {"text", "memory"};
  if (which.contains("text")) benchText();
  if (which.contains("memory")) benchMemory(false);
  if (which.contains("noisy")) benchMemory(true);
  return 0;
}
