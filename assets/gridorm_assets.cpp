// Draws Gridorm's built-in texture: a 186 x 124 rosette on a flat background,
// the kind of stamp a table picture gets (a seal beside a total). It is drawn
// without smoothing, so its background is one exact colour: picking it from a
// corner of the preview leaves all of it out of a stamp, with no fringe.
// Usage: gridorm_assets_generator OUTPUT_FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr QRgb kBackground = qRgb(192, 255, 255);

QPolygonF star(QPointF centre, double outer, double inner, int points) {
  QPolygonF polygon;
  for (int i = 0; i < 2 * points; ++i) {
    const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / points;
    const double radius = i % 2 == 0 ? outer : inner;
    polygon << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  }
  return polygon;
}

QImage texture() {
  QImage image(186, 124, QImage::Format_RGB32);
  image.fill(kBackground);
  QPainter p(&image);
  const QPointF centre(93, 54);

  // Two ribbon tails behind the rosette.
  p.setPen(QPen(QColor(20, 40, 110), 2));
  p.setBrush(QColor(40, 90, 200));
  p.drawPolygon(QPolygonF({{70, 70}, {92, 78}, {80, 118}, {70, 106}, {58, 114}}));
  p.drawPolygon(QPolygonF({{116, 70}, {94, 78}, {106, 118}, {116, 106}, {128, 114}}));

  // A scalloped gold disc, a red ring and a white star.
  p.setPen(QPen(QColor(150, 90, 0), 2));
  p.setBrush(QColor(250, 196, 40));
  p.drawPolygon(star(centre, 50, 42, 16));
  p.setPen(QPen(QColor(120, 10, 20), 3));
  p.setBrush(QColor(200, 30, 45));
  p.drawEllipse(centre, 34, 34);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawPolygon(star(centre, 26, 11, 5));
  return image;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: gridorm_assets_generator OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(out.path()) || !texture().save(out.filePath("texture.png"))) {
    std::fprintf(stderr, "gridorm_assets_generator: cannot write to %s\n", argv[1]);
    return 1;
  }
  return 0;
}
