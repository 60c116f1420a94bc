// Gridorm's drawing operations on the largest canvas, 32767 x 32767 twips
// (2184 x 2184 pixels), measured on an optimised build: the table drawing
// with the opening fields, the corner button's hatch fill (8100 lines) and
// storing and restoring a snapshot slot. Each line is the median of its runs.
// Usage: bench_gridorm
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "common/picture_box.h"
#include "gridorm/image_control.h"
#include "gridorm/table_designer.h"

namespace {

double threadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Medians of the wall time and of the thread's processor time: on a machine
// shared with other work the second shows what the operation itself costs.
void report(const char* what, int runs, const std::function<void()>& operation) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    operation();
    wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    cpu.push_back(threadCpuMs() - cpuStart);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("%-44s median %8.3f ms wall, %8.3f ms processor (%d runs)\n", what,
              wall[wall.size() / 2], cpu[cpu.size() / 2], runs);
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  Form1 form;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) std::printf("the window did not show\n");
  form.HScroll1->setValue(32767);
  form.HScroll2->setValue(32767);
  const QSize canvas = form.Picture1->Image().size();
  std::printf("canvas %d x %d pixels\n", canvas.width(), canvas.height());

  report("draw table (6 + 11 rules, 2 px, snapshot)", 31, [&] { form.Command2->click(); });
  report("hatch fill (8100 lines, 2 px)", 31, [&] { form.Command1->click(); });
  report("store into a slot (with its thumbnail)", 31, [&] {
    form.Picture1->PSet(15, 15, 0);  // a change, so the slot gets a picture of its own
    emit form.Image1[3]->clicked();
  });
  report("restore the slot into the canvas", 31, [&] { form.Command13[3]->click(); });
  return 0;
}
