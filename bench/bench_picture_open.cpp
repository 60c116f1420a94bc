// How long a window stops answering while it opens a large picture: an
// 8000 x 8000 PNG (256 MB of pixels, about a megabyte of file) picked in the
// program's own open dialog, through the button a user presses. A 10 ms
// timer ticks on the window's thread; the longest gap between two ticks,
// from the click to a moment after the picture is in place, is the longest
// time the window did not answer. For comparison, the same picture decoded
// on the window's thread, as it was before pictures opened on a worker.
// Built once per program (the three windows share their class names):
//   bench_open_rotaskiv [import|background]   bench_open_gridorm   bench_open_glyphant
//   [background|stamp]
// Run under a real X server for a real window system, e.g.
//   xvfb-run -s "-screen 0 1280x1024x24" build/bench/bin/bench_open_rotaskiv
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "common/dialogs.h"
#include "common/picture_load_job.h"
#include "common/picture_loader.h"
#include "measure.h"
#if defined(BENCH_ROTASKIV)
#include "rotaskiv/main_window.h"
#elif defined(BENCH_GRIDORM)
#include "gridorm/table_designer.h"
#else
#include "glyphant/glyphant_window.h"
#endif

namespace {

// Every open dialog picks the big picture; every message is noted.
class PickingDialogs final : public DialogBackend {
 public:
  explicit PickingDialogs(QString file) : file_(std::move(file)) { installDialogBackend(this); }
  ~PickingDialogs() override { installDialogBackend(nullptr); }
  std::optional<QString> openFileName(QWidget*, const FileDialogRequest&) override { return file_; }
  std::optional<QString> saveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
  std::optional<QColor> colour(QWidget*, const QColor&) override { return {}; }
  MsgBoxResult message(QWidget*, const MessageRequest& request) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
    return MsgBoxResult::Ok;
  }
  bool runDialog(QDialog&) override { return false; }

 private:
  QString file_;
};

// A photo-like 8000 x 8000 picture: smooth gradients with a little noise, so
// that it compresses to about a megabyte, as the pictures users open do.
QString writeBigPng(const QTemporaryDir& dir) {
  QImage image(8000, 8000, QImage::Format_RGB32);
  QRandomGenerator noise(7);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grain = (x % 397 == 0 || y % 389 == 0) ? int(noise.bounded(24)) : 0;
      row[x] = qRgb((x / 32 + grain) & 0xFF, (y / 32) & 0xFF, ((x + y) / 64) & 0xFF);
    }
  }
  const QString path = dir.filePath("big.png");
  image.save(path, "PNG", 9);
  return path;
}

// The longest time, in ms, between two ticks of a 10 ms timer while `act`
// runs and its pictures open, up to 300 ms after the last one is in.
double longestUnanswered(const std::function<void()>& act) {
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longest = 0, quietSince = -1;
  QEventLoop loop;
  QTimer ticks;
  ticks.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
    if (PictureLoadJob::underWay() != 0 || now < 100) return;
    if (quietSince < 0) quietSince = now;
    if (now - quietSince > 300) loop.quit();
  });
  ticks.start(10);
  QTimer::singleShot(50, act);
  loop.exec();
  return double(longest);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QString big = writeBigPng(dir);
  std::printf("picture: 8000 x 8000 PNG, %lld KB\n", QFileInfo(big).size() / 1024);
  PickingDialogs dialogs(big);

  QElapsedTimer onThread;
  onThread.start();
  const LoadedPicture decoded = loadPicture(big);
  std::printf("decoded on the window's thread (before): %lld ms unanswered%s\n", onThread.elapsed(),
              decoded.ok() ? "" : " (failed)");
  // The worker reads unbuffered, to tell how far it has come: what that costs.
  LoadTracking tracking;
  onThread.restart();
  const bool tracked = loadPicture(big, &tracking).ok();
  std::printf("decoded as the worker does it: %lld ms%s\n", onThread.elapsed(),
              tracked ? "" : " (failed)");

  const QStringList asked = app.arguments().mid(1);
#if defined(BENCH_ROTASKIV)
  const std::vector<std::pair<QString, QString>> buttons{{"import", "Command1"},
                                                         {"background", "Command6"}};
#elif defined(BENCH_GRIDORM)
  const std::vector<std::pair<QString, QString>> buttons{{"texture", "Command10"}};
#else
  const std::vector<std::pair<QString, QString>> buttons{{"background", "Command13"},
                                                         {"stamp", "Command11"}};
#endif
  for (const auto& [what, button] : buttons) {
    if (!asked.isEmpty() && !asked.contains(what)) continue;
    Form1 form;
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    auto* control = form.findChild<QWidget*>(button);
    const double longest =
        longestUnanswered([control] { QTest::mouseClick(control, Qt::LeftButton); });
    std::printf("%s (%s): longest unanswered %.0f ms, resident %ld MiB\n", qPrintable(what),
                qPrintable(button), longest, bench::residentKiB() / 1024);
  }
  return 0;
}
