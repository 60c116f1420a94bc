// Whole-window timings a user waits for, measured on an optimised build:
//  - one Draw of Rotaskiv's main window (clear, kernel, refresh) at the
//    start-up scene, the repaint that runs on every scroll event;
//  - opening the capture window: from the click on "剪裁保存" to the frozen
//    screen on view (run under a real X server of the size to measure, e.g.
//    xvfb-run -s "-screen 0 1920x1080x24");
//  - the resident memory of the capture window's undo history after 100
//    strokes on a 3840 x 2160 screen;
//  - drawing a selection on a 3840 x 2160 screen, where every pointer move
//    repaints the frame and the loupe beside the pointer.
// Usage: bench_windows [draw|open|history|loupe]...   (all four by default)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/face_button.h"
#include "measure.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/loupe.h"
#include "rotaskiv/main_window.h"
#include "rotaskiv/screen_source.h"

using bench::median;
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
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// A one-pixel read from the screen is a round trip to the X server: it returns
// only after the server has carried out everything asked of it before.
void waitForScreen() { QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 1, 1); }

void benchOpen() {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  std::vector<double> ms;
  for (int i = 0; i < 15; ++i) {
    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return;
    // A user clicks on a desktop that has settled.
    QTest::qWait(100);
    waitForScreen();
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    CaptureForm* capture = form.captureForm();
    PaintWatcher watcher;
    if (capture != nullptr) capture->installEventFilter(&watcher);
    if (capture == nullptr || !QTest::qWaitFor([&] { return watcher.painted; })) {
      std::printf("the capture window did not open\n");
      return;
    }
    waitForScreen();
    ms.push_back(timer.nsecsElapsed() / 1e6);
    capture->close();
    QCoreApplication::processEvents();
  }
  // The X server's own screen read, repeated so that its buffers are warm: the
  // opening cannot go below it. The rest of the opening is mostly the first
  // touch of two fresh screen-sized buffers (the grab and the window's backing
  // store), whose page faults cost far more in a virtual machine.
  std::vector<double> readMs;
  for (int i = 0; i < 15; ++i) {
    QElapsedTimer timer;
    timer.start();
    QGuiApplication::primaryScreen()->grabWindow(0);
    readMs.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::printf(
      "Open the capture window on a %d x %d screen (%s): median %.1f ms, fastest %.1f ms; the "
      "repeated screen read alone: median %.1f ms\n",
      screen.width(), screen.height(), qPrintable(QGuiApplication::platformName()), median(ms),
      *std::min_element(ms.begin(), ms.end()), median(readMs));
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
      "Capture history on a %d x %d picture (%s window %d x %d): %d snapshots, %.1f MB of "
      "blobs, resident %.1f MB (%.1f MB before opening), stroke commit median %.1f ms\n",
      size.width(), size.height(), qPrintable(QGuiApplication::platformName()), capture->width(),
      capture->height(), capture->session().history().count(),
      capture->session().history().bytes() / 1e6, after / 1024.0, before / 1024.0,
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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList which = QCoreApplication::arguments().mid(1);
  if (which.isEmpty()) which = {"draw", "open", "history", "loupe"};
  if (which.contains("draw")) benchDraw();
  if (which.contains("open")) benchOpen();
  if (which.contains("history")) benchHistory();
  if (which.contains("loupe")) benchLoupe();
  return 0;
}
