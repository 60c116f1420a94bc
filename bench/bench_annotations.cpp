// The capture window's annotations on a 3840 x 2160 screen: 200 of every kind
// (rectangles, ellipses, arrows, texts, pen and highlighter strokes, lines,
// markers, pixelate and blur boxes), one of them dragged across the screen.
// Each pointer move costs what the window does: the model update (the
// dragged annotation moved in the list), the renderer's update and the
// repaint of the region it answers (once also of its bounding rect), with
// the selected annotation's handles, into a window-sized backing store. Reports the mean, median
// and largest cost per move, at scale 1 and on a scale-2 screen of the same pixels. Usage:
// bench_annotations
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <vector>

#include "measure.h"
#include "rotaskiv/annotation_layer.h"

using capture::Annotation;
using capture::AnnotationKind;
using capture::AnnotationLayer;

namespace {

double threadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// A desktop-like picture: soft colour bands with dark "text" rows.
QImage screenPicture(qreal ratio) {
  QImage picture(3840, 2160, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < picture.width(); ++x)
      line[x] = (y % 24 < 12 && (x / 3 + y) % 7 < 3) ? qRgb(20, 20, 20)
                                                     : qRgb(200 + x % 55, 220, 240 - y % 40);
  }
  picture.setDevicePixelRatio(ratio);
  return picture;
}

// 200 annotations, 20 of each kind, spread over a window of `size` pixels.
AnnotationLayer mixedLayer(QSizeF size) {
  QRandomGenerator random(20261208);
  const auto point = [&] {
    return QPointF(random.bounded(size.width() - 40) + 20, random.bounded(size.height() - 40) + 20);
  };
  const auto near = [&](QPointF p, int reach) {
    return p + QPointF(random.bounded(2 * reach) - reach, random.bounded(2 * reach) - reach);
  };
  QFont font;
  font.setPointSize(11);
  AnnotationLayer layer;
  for (int i = 0; i < 200; ++i) {
    const auto kind = AnnotationKind(i % 10);
    const QColor colour = QColor::fromHsv(random.bounded(360), 255, 220);
    const int size = capture::defaultSize(kind);
    const QPointF p = point();
    switch (kind) {
      case AnnotationKind::Text:
        layer.add(Annotation::textAt(p, "Annotation text 注释", font, colour));
        break;
      case AnnotationKind::Pen:
      case AnnotationKind::Highlighter: {
        QPolygonF stroke{p};
        for (int k = 0; k < 40; ++k) stroke << near(stroke.last(), 12);
        layer.add(Annotation::stroke(kind, stroke, colour, size));
        break;
      }
      case AnnotationKind::Marker:
        layer.add(Annotation::marker(p, layer.nextMarkerNumber(), colour, size));
        break;
      case AnnotationKind::Pixelate:
      case AnnotationKind::Blur:
        layer.add(Annotation::box(kind, p, near(p, 200), colour, size));
        break;
      default:
        layer.add(Annotation::box(kind, p, near(p, 250), colour, size));
    }
  }
  return layer;
}

struct Costs {
  std::vector<double> wall, cpu;
};

// Drags annotation `index` from where it is across the screen in 240 moves,
// as the window does on each pointer move: the window updates the changed
// region (or, with `wholeRect`, its bounding rect) and the handles.
Costs drag(AnnotationLayer layer, int index, capture::AnnotationRenderer& renderer,
           QImage& backingStore, QSizeF window, bool wholeRect = false) {
  const qreal ratio = renderer.picture().devicePixelRatio();
  const Annotation pressed = layer.at(index);
  const QPointF step((window.width() * 0.8) / 240, (window.height() * 0.3) / 240);
  const QPointF start = -pressed.box().topLeft() + QPointF(window.width() * 0.05, 200);
  QRect handles = capture::handlesRect(pressed);
  Costs costs;
  for (int move = 0; move <= 240; ++move) {
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    const Annotation moved = pressed.moved(start + move * step);
    layer.replace(index, moved);
    const QRect newHandles = capture::handlesRect(moved);
    const QRect changed = renderer.update(layer);
    const QRegion dirty =
        (wholeRect ? QRegion(changed) : renderer.changedRegion()) + handles + newHandles;
    handles = newHandles;
    {
      // The window's paintEvent for that update: clipped to the region.
      QPainter painter(&backingStore);
      painter.setClipRegion(dirty);
      renderer.paint(painter, dirty.boundingRect());
      capture::paintHandles(painter, moved, ratio);
    }
    if (move == 0) continue;  // the first move puts it in place from afar
    costs.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    costs.cpu.push_back(threadCpuMs() - cpuStart);
  }
  return costs;
}

// Draws a new box (pixelate, blur, ellipse) out from the screen's top-left quarter to
// a quarter of the screen in 120 moves, on top of the others: each move
// changes the whole box.
Costs drawOut(AnnotationLayer layer, AnnotationKind kind, capture::AnnotationRenderer& renderer,
              QSizeF window) {
  const QPointF from(window.width() / 4, window.height() / 4);
  const int index = layer.add(Annotation::box(kind, from, from, {}, 10));
  Costs costs;
  for (int move = 1; move <= 120; ++move) {
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    layer.replace(index, layer.at(index).drawnTo(from + QPointF(window.width(), window.height()) *
                                                            (move / 240.0)));
    renderer.update(layer);
    costs.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    costs.cpu.push_back(threadCpuMs() - cpuStart);
  }
  return costs;
}

void report(const char* what, const Costs& costs) {
  const auto mean = [](const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
  };
  std::printf("%-34s mean %6.2f  median %6.2f  max %6.2f ms wall; processor mean %6.2f max %6.2f\n",
              what, mean(costs.wall), bench::median(costs.wall),
              *std::max_element(costs.wall.begin(), costs.wall.end()), mean(costs.cpu),
              *std::max_element(costs.cpu.begin(), costs.cpu.end()));
}

void run(qreal ratio) {
  const QImage picture = screenPicture(ratio);
  const QSizeF window = QSizeF(picture.size()) / ratio;
  const AnnotationLayer layer = mixedLayer(window);
  std::printf("scale %g: 3840 x 2160 device pixels, %d annotations\n", ratio, layer.count());
  capture::AnnotationRenderer renderer;
  renderer.setPicture(picture);
  QElapsedTimer timer;
  timer.start();
  renderer.update(layer);
  std::printf("  first drawing of all: %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
  timer.start();
  const QImage copy = capture::renderAnnotations(picture, layer);
  std::printf("  copy for the clipboard: %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
  QImage backingStore(picture.size(), QImage::Format_RGB32);
  backingStore.setDevicePixelRatio(ratio);
  struct Case {
    const char* what;
    int index;
  };
  for (const Case c : {Case{"  rectangle, middle of the stack", 100},
                       Case{"  pen stroke, upper part", 154}, Case{"  marker, near the top", 197},
                       Case{"  pixelate, at the bottom", 8}, Case{"  blur, at the top", 199}}) {
    report(c.what, drag(layer, c.index, renderer, backingStore, window));
    renderer.update(layer);  // back where it was
  }
  // A large outline: a rectangle of half the screen each way, in the middle
  // of the stack, and an ellipse drawn out to that size on top.
  AnnotationLayer large = layer;
  large.replace(100, Annotation::box(AnnotationKind::Rectangle, QPointF(0, 0),
                                     QPointF(window.width() / 2, window.height() / 2), Qt::red, 1));
  renderer.update(large);
  report("  half-screen rectangle, middle", drag(large, 100, renderer, backingStore, window));
  report("  the same, window repaints the rect",
         drag(large, 100, renderer, backingStore, window, true));
  renderer.update(layer);
  report("  drawing out a 4th-screen ellipse",
         drawOut(layer, AnnotationKind::Ellipse, renderer, window));
  renderer.update(layer);
  // The worst: under large pixelate and blur boxes (a quarter of the screen
  // each), every move works both out again where it passes below them.
  AnnotationLayer covered = layer;
  const QRectF quarter(QPointF(), window / 2);
  covered.add(Annotation::box(AnnotationKind::Pixelate,
                              quarter.topLeft() + QPointF(0, window.height() / 4),
                              quarter.bottomRight() + QPointF(0, window.height() / 4), {}, 10));
  covered.add(Annotation::box(
      AnnotationKind::Blur, quarter.topLeft() + QPointF(window.width() / 2, window.height() / 4),
      quarter.bottomRight() + QPointF(window.width() / 2, window.height() / 4), {}, 10));
  renderer.update(covered);
  report("  rectangle under a 4th-screen pixelate and blur",
         drag(covered, 100, renderer, backingStore, window));
  renderer.update(layer);
  report("  drawing out a 4th-screen pixelate",
         drawOut(layer, AnnotationKind::Pixelate, renderer, window));
  renderer.update(layer);
  report("  drawing out a 4th-screen blur", drawOut(layer, AnnotationKind::Blur, renderer, window));
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  run(1);
  run(2);
  return 0;
}
