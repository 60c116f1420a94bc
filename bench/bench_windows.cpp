// Whole-window timings a user waits for, measured on an optimised build:
//  - one Draw of Rotaskiv's main window (clear, kernel, refresh) at the
//    start-up scene, the repaint that runs on every scroll event;
//  - opening the capture window: from the click on "剪裁保存" to the window
//    mapped on every screen (as the X server tells a connection of its own)
//    and to the frozen screens painted and shown, with the memory it takes;
//    under a real X server of the desktop to measure, e.g.
//      bench/on_monitors.sh 3840x2160 2 build/bench/bin/bench_windows open
//    (two 4K monitors; see on_monitors.sh). A desktop-like picture covers
//    every screen, so that what is read and packed is not the server's black;
//  - steps: each step of the opening timed alone (screen read, window
//    frames);
//  - flameshot: the same request to Flameshot, a peer run beside us when it
//    is installed (`flameshot gui` to its window mapped, the daemon running);
//  - the resident memory of the capture window's undo history after 100
//    strokes on a 3840 x 2160 screen;
//  - drawing a selection on a 3840 x 2160 screen, where every pointer move
//    repaints the frame and the loupe beside the pointer;
//  - drag: one of 200 annotations dragged across a 3840 x 2160 capture.
// Usage: bench_windows [draw|open|steps|flameshot|history|loupe|drag]...
//        (draw, open, history and loupe by default)
#include <poll.h>
#include <xcb/xcb.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/face_button.h"
#include "measure.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/loupe.h"
#include "rotaskiv/main_window.h"
#include "rotaskiv/screen_source.h"

using bench::median;
using bench::peakResidentKiB;
using bench::resetPeakResident;
using bench::residentKiB;

namespace {

// A desktop-like picture: panels, text-like stripes and a photo-like gradient,
// so that compression sees something close to a real screen.
QImage desktopLike(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(image.rect(), QColor(238, 240, 244));
  QLinearGradient photo(0, 0, size.width() / 2.0, size.height() / 2.0);
  photo.setColorAt(0, QColor(40, 90, 160));
  photo.setColorAt(0.5, QColor(220, 160, 60));
  photo.setColorAt(1, QColor(30, 120, 70));
  p.fillRect(QRect(size.width() / 2, 80, size.width() / 2 - 40, size.height() / 2), photo);
  p.setPen(QColor(40, 40, 40));
  for (int y = 100; y < size.height() - 40; y += 22)
    for (int x = 40; x < size.width() / 2 - 40; x += 90)
      p.drawLine(x, y, x + 20 + (x * 7 + y) % 60, y);
  p.fillRect(QRect(0, 0, size.width(), 40), QColor(50, 55, 65));
  return image;
}

// The primary screen showing a fixed picture.
class FixedScreen : public ScreenSource {
 public:
  explicit FixedScreen(QImage image) : image_(std::move(image)) {}
  DesktopGrab grab() override {
    return {{{QGuiApplication::primaryScreen()->geometry(), image_}}, QString()};
  }

 private:
  QImage image_;
};

void benchDraw() {
  Form1 form;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) std::printf("the main window did not show\n");
  std::vector<double> ms;
  for (int i = 0; i < 400; ++i) {
    QElapsedTimer timer;
    timer.start();
    form.Draw();
    ms.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::printf("Draw of the main window (753 x 605, sample 320 x 240, reset): median %.3f ms\n",
              median(ms));
}

// Notes when a widget has painted itself; the paint and its flush to the
// window system are over by the time the event loop returns.
class PaintWatcher : public QObject {
 public:
  bool painted = false;
  qint64 area = 0;  // pixels painted, for whole-screen paints that could be spared
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted = true;
      const QRect r = static_cast<QPaintEvent*>(event)->rect();
      area += qint64(r.width()) * r.height();
    }
    return QObject::eventFilter(watched, event);
  }
};

// A one-pixel read from the screen is a round trip to the X server: it returns
// only after the server has carried out everything asked of it before.
void waitForScreen() { QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 1, 1); }

// Watches the X server from a connection of its own, on a thread of its own,
// for windows mapped on the desktop (no window manager: top-level windows are
// children of the root), and notes when each map happened. It sees a window
// of this process and one of another program alike.
class MapWatcher {
 public:
  MapWatcher() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    thread_ = std::thread([this] { run(); });
  }
  ~MapWatcher() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    xcb_disconnect(connection_);
  }
  bool ok() const { return thread_.joinable(); }
  // Milliseconds from `start` to the `count`-th map after it, waiting up to
  // `timeoutMs` while the event loop runs; -1 when that many did not come.
  double msToMaps(QElapsedTimer start, int count, int timeoutMs) {
    const qint64 from = start.nsecsElapsed();
    const qint64 origin = clock() - from;
    double result = -1;
    (void)QTest::qWaitFor(
        [&] {
          std::lock_guard<std::mutex> lock(mutex_);
          int seen = 0;
          for (qint64 at : maps_)
            if (at >= origin && ++seen == count) result = (at - origin) / 1e6;
          return result >= 0;
        },
        timeoutMs);
    return result;
  }

 private:
  static qint64 clock() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void run() {
    pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
    while (!stop_) {
      poll(&fd, 1, 20);
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
          std::lock_guard<std::mutex> lock(mutex_);
          maps_.push_back(clock());
        }
        std::free(event);
      }
      if (xcb_connection_has_error(connection_) != 0) return;
    }
  }
  xcb_connection_t* connection_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<qint64> maps_;
};

// A desktop-like picture shown on every screen, under every other window, so
// that what is read and packed looks like a real desktop rather than the X
// server's black.
class Wallpapers {
 public:
  Wallpapers() {
    for (QScreen* screen : QGuiApplication::screens()) {
      auto* window = new QLabel;
      window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
      window->setPixmap(QPixmap::fromImage(desktopLike(screen->size())));
      window->setGeometry(screen->geometry());
      window->show();
      windows_.emplace_back(window);
    }
    for (auto& window : windows_) (void)QTest::qWaitForWindowExposed(window.get());
  }

 private:
  std::vector<std::unique_ptr<QLabel>> windows_;
};

QString desktopText() {
  const QList<QScreen*> screens = QGuiApplication::screens();
  QStringList sizes;
  for (const QScreen* screen : screens)
    sizes << QStringLiteral("%1 x %2").arg(screen->size().width()).arg(screen->size().height());
  return QStringLiteral("%1 screen(s) %2 (%3)")
      .arg(screens.size())
      .arg(sizes.join(QStringLiteral(" + ")), QGuiApplication::platformName());
}

// From the click on "剪裁保存" to the window on every screen mapped by the X
// server, and to the frozen screens painted and shown.
void benchOpen() {
  const Wallpapers wallpapers;
  MapWatcher watcher;
  if (!watcher.ok()) std::printf("no X server to watch: only the paint is timed\n");
  std::vector<double> mapped, shown;
  long peak = 0;
  double paintedScreens = 0;
  long before = 0;
  for (int i = 0; i < 15; ++i) {
    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return;
    // A user clicks on a desktop that has settled.
    QTest::qWait(100);
    waitForScreen();
    before = residentKiB();
    resetPeakResident();
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    CaptureForm* capture = form.captureForm();
    std::vector<PaintWatcher> painted(capture != nullptr ? capture->surfaces().size() : 0);
    for (std::size_t s = 0; s < painted.size(); ++s)
      capture->surfaces()[s]->installEventFilter(&painted[s]);
    const auto allPainted = [&] {
      return std::all_of(painted.begin(), painted.end(),
                         [](const PaintWatcher& w) { return w.painted; });
    };
    if (capture == nullptr || !QTest::qWaitFor(allPainted)) {
      std::printf("the capture window did not open\n");
      return;
    }
    waitForScreen();
    shown.push_back(timer.nsecsElapsed() / 1e6);
    QTest::qWait(200);
    paintedScreens = 0;
    for (std::size_t s = 0; s < painted.size(); ++s)
      paintedScreens += double(painted[s].area) /
                        (capture->surfaces()[s]->width() * capture->surfaces()[s]->height());
    if (watcher.ok()) mapped.push_back(watcher.msToMaps(timer, int(painted.size()), 2000));
    peak = std::max(peak, peakResidentKiB() - before);
    capture->close();
    QCoreApplication::processEvents();
  }
  std::printf(
      "Open the capture window on %s: mapped median %.1f ms (fastest %.1f), shown median %.1f "
      "ms (fastest %.1f), %.2f screens' worth painted; the opening adds at most %.0f MB at its "
      "peak to the %.0f MB resident before\n",
      qPrintable(desktopText()), median(mapped),
      mapped.empty() ? 0.0 : *std::min_element(mapped.begin(), mapped.end()), median(shown),
      *std::min_element(shown.begin(), shown.end()), paintedScreens, peak / 1024.0,
      before / 1024.0);
}

// Where the opening's time goes: each step the window takes, timed alone on
// this desktop (medians of 15), beside Qt's own screen read.
void benchOpenSteps() {
  const Wallpapers wallpapers;
  std::vector<double> qtMs, grabMs, framesMs;
  for (int i = 0; i < 15; ++i) {
    QElapsedTimer timer;
    timer.start();
    for (QScreen* screen : QGuiApplication::screens())
      screenGrabFromPixmap(screen->grabWindow(0), false);
    qtMs.push_back(timer.nsecsElapsed() / 1e6);
    timer.restart();
    (void)screenSource().grab();
    grabMs.push_back(timer.nsecsElapsed() / 1e6);
    timer.restart();
    screenSource().windowFrames();
    framesMs.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::printf(
      "Steps of the opening on %s: the screens read %.1f ms (through Qt %.1f ms), window frames "
      "%.1f ms\n",
      qPrintable(desktopText()), median(grabMs), median(qtMs), median(framesMs));
}

// The same request to Flameshot, a peer run beside us for comparison: from
// `flameshot gui` (the daemon running, as a user has it) to its capture
// window mapped; Esc closes it again.
void benchFlameshot() {
  const Wallpapers wallpapers;
  MapWatcher watcher;
  QProcess daemon;
  daemon.start("flameshot", {});
  if (!watcher.ok() || !daemon.waitForStarted()) {
    std::printf("Flameshot: not installed or no X server\n");
    return;
  }
  QTest::qWait(1500);
  std::vector<double> mapped;
  for (int i = 0; i < 15; ++i) {
    QTest::qWait(300);
    waitForScreen();
    QElapsedTimer timer;
    timer.start();
    QProcess::startDetached("flameshot", {"gui"});
    const double ms = watcher.msToMaps(timer, 1, 5000);
    if (ms < 0) {
      std::printf("Flameshot's capture window did not open\n");
      break;
    }
    mapped.push_back(ms);
    QTest::qWait(300);
    QProcess::execute("xdotool", {"key", "Escape"});
  }
  daemon.kill();
  daemon.waitForFinished();
  std::printf(
      "Flameshot %s on %s: `flameshot gui` to its window mapped, median %.1f ms (fastest "
      "%.1f)\n",
      "12", qPrintable(desktopText()), median(mapped),
      mapped.empty() ? 0.0 : *std::min_element(mapped.begin(), mapped.end()));
}

void benchHistory() {
  const QSize size(3840, 2160);
  FixedScreen screen(desktopLike(size));
  installScreenSource(&screen);
  const long before = residentKiB();
  QWidget owner;
  auto* capture = new CaptureForm(&owner);
  capture->Show();
  QCoreApplication::processEvents();
  // One big selection, then 100 rectangles inside it.
  const QPoint from(100, 100), to(capture->width() - 100, capture->height() - 100);
  QTest::mousePress(capture, Qt::LeftButton, {}, from);
  QTest::mouseMove(capture, to);
  QTest::mouseRelease(capture, Qt::LeftButton, {}, to);
  QTest::mouseClick(capture->Picture1->Image2[buttonIndex(ToolbarButton::Rectangle)],
                    Qt::LeftButton);
  QElapsedTimer timer;
  timer.start();
  std::vector<double> strokeMs;
  for (int i = 0; i < 100; ++i) {
    const QPoint a(150 + (i * 37) % 1000, 150 + (i * 53) % 600);
    QElapsedTimer stroke;
    stroke.start();
    QTest::mousePress(capture, Qt::LeftButton, {}, a);
    QTest::mouseMove(capture, a + QPoint(200, 120));
    QTest::mouseRelease(capture, Qt::LeftButton, {}, a + QPoint(200, 120));
    strokeMs.push_back(stroke.nsecsElapsed() / 1e6);
  }
  const long after = residentKiB();
  std::printf(
      "Capture history on a %d x %d picture (%s window %d x %d): %d snapshots, resident "
      "%.1f MB (%.1f MB before opening), stroke commit median %.1f ms\n",
      size.width(), size.height(), qPrintable(QGuiApplication::platformName()), capture->width(),
      capture->height(), capture->session().history().count(), after / 1024.0, before / 1024.0,
      median(strokeMs));
  capture->close();
  installScreenSource(nullptr);
}

void benchLoupe() {
  const QSize size(3840, 2160);
  FixedScreen screen(desktopLike(size));
  installScreenSource(&screen);
  QWidget owner;
  auto* capture = new CaptureForm(&owner);
  capture->Show();
  QCoreApplication::processEvents();
  // One pointer move while a selection is drawn, with the repaint of what it
  // changed (the frame, the labels, the handles, the old and the new loupe).
  std::vector<double> moveMs;
  QTest::mousePress(capture, Qt::LeftButton, {}, QPoint(100, 100));
  for (int i = 0; i < 200; ++i) {
    QElapsedTimer timer;
    timer.start();
    QTest::mouseMove(capture, QPoint(300 + i * 3 % 900, 200 + i * 7 % 500));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
    moveMs.push_back(timer.nsecsElapsed() / 1e6);
  }
  QTest::mouseRelease(capture, Qt::LeftButton, {}, QPoint(600, 400));
  // The loupe alone, painted into a picture of the screen's size.
  QImage target(size, QImage::Format_RGB32);
  const QImage frozen = desktopLike(size);
  std::vector<double> loupeUs;
  for (int i = 0; i < 200; ++i) {
    QPainter painter(&target);
    QElapsedTimer timer;
    timer.start();
    capture::paintLoupe(painter, frozen,
                        capture::loupeFor(QPointF(500 + i, 400 + i), QPointF(0, 0), size, 1));
    loupeUs.push_back(timer.nsecsElapsed() / 1e3);
  }
  std::printf(
      "Drawing a selection on a %d x %d picture (%s window %d x %d): pointer move with its "
      "repaint median %.2f ms; the loupe's own painting median %.1f us\n",
      size.width(), size.height(), qPrintable(QGuiApplication::platformName()), capture->width(),
      capture->height(), median(moveMs), median(loupeUs));
  capture->close();
  installScreenSource(nullptr);
}

// Dragging one of 200 annotations (rectangles, pen strokes, markers, mosaic
// boxes in turn) across a 3840 x 2160 capture with the select tool: each
// pointer move with the repaint of what it changed, through the window.
void benchDrag() {
  const QSize size(3840, 2160);
  FixedScreen screen(desktopLike(size));
  installScreenSource(&screen);
  QWidget owner;
  auto* capture = new CaptureForm(&owner);
  capture->Show();
  QCoreApplication::processEvents();
  const QPoint from(50, 50), to(capture->width() - 50, capture->height() - 100);
  QTest::mousePress(capture, Qt::LeftButton, {}, from);
  QTest::mouseMove(capture, to);
  QTest::mouseRelease(capture, Qt::LeftButton, {}, to);
  const auto tool = [&](ToolbarButton button) {
    QTest::mouseClick(capture->Picture1->Image2[buttonIndex(button)], Qt::LeftButton);
  };
  // Side by side: a press on the annotation just drawn would move it instead.
  const auto cell = [](int i) { return QPoint(100 + i % 20 * 180, 100 + i / 20 * 180); };
  const std::array<ToolbarButton, 4> kinds = {ToolbarButton::Rectangle, ToolbarButton::Pen,
                                              ToolbarButton::Marker, ToolbarButton::Pixelate};
  for (int i = 0; i < 200; ++i) {
    tool(kinds[i % 4]);
    const QPoint a = cell(i);
    QTest::mousePress(capture, Qt::LeftButton, {}, a);
    QTest::mouseMove(capture, a + QPoint(60, 20));
    QTest::mouseMove(capture, a + QPoint(160, 90));
    QTest::mouseRelease(capture, Qt::LeftButton, {}, a + QPoint(160, 90));
  }
  QCoreApplication::processEvents();
  // The last one drawn, a mosaic box, taken by its middle.
  tool(ToolbarButton::Select);
  const QPoint grab = cell(199) + QPoint(80, 45);
  QTest::mousePress(capture, Qt::LeftButton, {}, grab);
  std::vector<double> moveMs;
  for (int i = 1; i <= 200; ++i) {
    QElapsedTimer timer;
    timer.start();
    // Sent straight to the window: QTest's moves warp the X pointer, whose
    // events would arrive later, without the button held.
    const QPointF to = grab - QPoint(i * 5 % 1500, i * 3 % 900);
    QMouseEvent move(QEvent::MouseMove, to, capture->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     {});
    QCoreApplication::sendEvent(capture, &move);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
    moveMs.push_back(timer.nsecsElapsed() / 1e6);
  }
  QTest::mouseRelease(capture, Qt::LeftButton, {}, grab - QPoint(1000, 600));
  std::printf(
      "Dragging one of %d annotations on a %d x %d picture (%s window %d x %d): pointer move "
      "with its repaint median %.2f ms, largest %.2f ms (%d steps of history)\n",
      capture->session().annotations().count(), size.width(), size.height(),
      qPrintable(QGuiApplication::platformName()), capture->width(), capture->height(),
      median(moveMs), *std::max_element(moveMs.begin(), moveMs.end()),
      capture->session().history().count());
  capture->close();
  installScreenSource(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList which = QCoreApplication::arguments().mid(1);
  if (which.isEmpty()) which = {"draw", "open", "history", "loupe"};
  if (which.contains("draw")) benchDraw();
  if (which.contains("open")) benchOpen();
  if (which.contains("steps")) benchOpenSteps();
  if (which.contains("flameshot")) benchFlameshot();
  if (which.contains("history")) benchHistory();
  if (which.contains("loupe")) benchLoupe();
  if (which.contains("drag")) benchDrag();
  return 0;
}
