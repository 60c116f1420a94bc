// Glyphant timings and memory a user meets, on an optimised build:
//  - pattern text: one character at 2000 points on a 1000 x 1500 canvas, from
//    the click on "图案文字" to the refreshed thumbnail and the recorded
//    history step (the handler), and with the repaint it causes flushed;
//  - shadow text ("绘制阴影1") at 364 points on the same canvas;
//  - the resident memory of ten history steps on a 4000 x 4000 canvas,
//    once with pattern text (tiled, packs small) and once over a noisy
//    background picture (the worst case for packing);
//  - the largest canvas (16384 x 16384): the canvas size change ("确 定"),
//    pattern text, a step back and forward, shadowless and shadow text, a
//    stamp, clearing, and pattern text with a 1 x 1 pattern over 16000 x
//    16000, each from the click until the operation has ended and the
//    window is idle again, with the longest time the window did not answer
//    (the largest gap of a 10 ms timer on its thread) and the peak resident
//    memory.
// Usage: bench_glyphant [text|memory|noisy|big]...   (text and memory by
// default; run memory, noisy and big in separate processes for clean
// resident figures)
// Run headless (QT_QPA_PLATFORM=offscreen) or under a real X server.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "common/background_job.h"
#include "common/cursor_override.h"
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

// Runs `act` from the event loop and returns its milliseconds until the busy
// pointer has gone, and the longest gap between two ticks of a 10 ms timer
// meanwhile: how long the window did not answer.
struct Unanswered {
  double total = 0, longest = 0;
};
Unanswered timeUntilIdle(const std::function<void()>& act) {
  QElapsedTimer clock;
  QEventLoop loop;
  QTimer ticks;
  qint64 last = 0, longest = 0, doneAt = -1;
  bool acted = false;
  ticks.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
    if (!acted || cursor_override::current() == Qt::BusyCursor || BackgroundJob::underWay() != 0)
      return;
    if (doneAt < 0) doneAt = now;
    if (now - doneAt > 100) loop.quit();
  });
  QTimer::singleShot(20, [&] {
    act();
    acted = true;
  });
  clock.start();
  ticks.start(10);
  loop.exec();
  return {double(doneAt - 20), double(longest)};
}

void benchBig() {
  std::printf("%-46s %9s %12s %9s\n", "on the largest canvas", "to idle", "unanswered", "peak");
  const auto report = [](const char* what, const Unanswered& u) {
    std::printf("%-46s %6.0f ms %9.0f ms %5ld MiB\n", what, u.total, u.longest,
                bench::peakResidentKiB() / 1024);
  };
  auto form = windowWith(1000, 1500, QStringLiteral("福"), 2000);
  setField(form->Text2, "16384");
  setField(form->Text1, "16384");
  report("canvas size 16384 x 16384 (确 定)",
         timeUntilIdle([&] { QTest::mouseClick(form->Command5, Qt::LeftButton); }));
  report("pattern text, 1 character at 2000 pt (图案文字)",
         timeUntilIdle([&] { QTest::mouseClick(form->Command1, Qt::LeftButton); }));
  setField(form->Text3, "4000");
  report("pattern text again, a second step",
         timeUntilIdle([&] { QTest::mouseClick(form->Command1, Qt::LeftButton); }));
  // The first steps take fresh memory, the later ones reuse it.
  for (const char* round : {"first", "second"}) {
    report(qPrintable(QString("a step back (退一步), %1").arg(round)),
           timeUntilIdle([&] { QTest::mouseClick(form->Command16, Qt::LeftButton); }));
    report(qPrintable(QString("a step forward (进一步), %1").arg(round)),
           timeUntilIdle([&] { QTest::mouseClick(form->Command17, Qt::LeftButton); }));
  }
  form->cbofontsize->setEditText("364");
  report("shadowless text (无影文字)",
         timeUntilIdle([&] { QTest::mouseClick(form->Command4, Qt::LeftButton); }));
  report("shadow text (绘制阴影1)",
         timeUntilIdle([&] { QTest::mouseClick(form->Command9, Qt::LeftButton); }));
  // A stamp: the button goes down and up on the canvas, as a user clicks.
  QTest::mouseClick(form->Check2, Qt::LeftButton);
  report("a stamp (贴图)", timeUntilIdle([&] {
           QWindow* handle = form->windowHandle();
           const QPoint at = form->pic1->mapTo(form.get(), QPoint(300, 300));
           QTimer::singleShot(0, [=] { QTest::mouseRelease(handle, Qt::LeftButton, {}, at); });
           QTest::mousePress(handle, Qt::LeftButton, {}, at);
         }));
  QTest::mouseClick(form->Check2, Qt::LeftButton);
  report("clearing (清除图像)",
         timeUntilIdle([&] { QTest::mouseClick(form->Command2, Qt::LeftButton); }));
  form->cbofontsize->setEditText("2000");
  // A 1 x 1 pattern: the most copies the tiling ever makes.
  setField(form->Text2, "16000");
  setField(form->Text1, "16000");
  QTest::mouseClick(form->Command5, Qt::LeftButton);
  QImage dot(1, 1, QImage::Format_RGB32);
  dot.fill(Qt::darkGreen);
  form->PicRes->resize(1, 1);
  form->PicRes->setPicture(dot);
  report("pattern text, 1 x 1 pattern over 16000 x 16000",
         timeUntilIdle([&] { QTest::mouseClick(form->Command1, Qt::LeftButton); }));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList which = QCoreApplication::arguments().mid(1);
  if (which.isEmpty()) which = {"text", "memory"};
  if (which.contains("text")) benchText();
  if (which.contains("memory")) benchMemory(false);
  if (which.contains("noisy")) benchMemory(true);
  if (which.contains("big")) benchBig();
  return 0;
}
