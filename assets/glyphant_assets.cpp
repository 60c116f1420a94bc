// Draws Glyphant's pictures: the built-in stamp (186 x 124, on the start-up
// mask colour, so its ground drops out when stamped) and fill pattern
// (100 x 100), and the seamless patterns of the pattern folder, as JPEG, BMP
// and GIF files. Everything comes from fixed seeds: the same files each build.
// Usage: glyphant_assets BUILT_IN_FOLDER PATTERN_FOLDER
#include <gif_lib.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr double kTau = 6.283185307179586;

// Value noise on a lattice that wraps around, so a picture made from it
// joins up seamlessly with its own copies.
class PeriodicNoise {
 public:
  PeriodicNoise(int period, unsigned seed) : period_(period), lattice_(size_t(period * period)) {
    std::mt19937 random(seed);
    // From the raw numbers: mt19937's output is the same everywhere.
    for (float& value : lattice_) value = float(random() & 0xFFFFFF) / float(0x1000000);
  }
  // u, v in lattice cells; smooth between the lattice points.
  double at(double u, double v) const {
    const int u0 = int(std::floor(u)), v0 = int(std::floor(v));
    const double fu = smooth(u - u0), fv = smooth(v - v0);
    const auto value = [&](int i, int j) { return lattice_[size_t(wrap(j) * period_ + wrap(i))]; };
    const double top = value(u0, v0) + (value(u0 + 1, v0) - value(u0, v0)) * fu;
    const double bottom = value(u0, v0 + 1) + (value(u0 + 1, v0 + 1) - value(u0, v0 + 1)) * fu;
    return top + (bottom - top) * fv;
  }
  int period() const { return period_; }

 private:
  static double smooth(double t) { return t * t * (3 - 2 * t); }
  int wrap(int i) const { return ((i % period_) + period_) % period_; }
  int period_;
  std::vector<float> lattice_;
};

// Octaves of periodic noise over a tile of `size` pixels: 0..1, seamless.
double fractal(const std::vector<PeriodicNoise>& octaves, double x, double y, double size) {
  double sum = 0, weight = 1, total = 0;
  for (const PeriodicNoise& noise : octaves) {
    sum += weight * noise.at(x / size * noise.period(), y / size * noise.period());
    total += weight;
    weight *= 0.5;
  }
  return sum / total;
}

std::vector<PeriodicNoise> octaves(unsigned seed, int first = 4, int count = 4) {
  std::vector<PeriodicNoise> result;
  for (int i = 0; i < count; ++i) result.emplace_back(first << i, seed + unsigned(i));
  return result;
}

QRgb mix(QRgb a, QRgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const auto channel = [&](int ca, int cb) { return int(std::lround(ca + (cb - ca) * t)); };
  return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)),
              channel(qBlue(a), qBlue(b)));
}

template <typename Shade>
QImage shaded(int width, int height, Shade shade) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, shade(x, y));
  return image;
}

// Wood: rings running down the tile, bent by noise, with a fine grain.
QImage wood() {
  const auto bend = octaves(11), grain = octaves(23, 16, 2);
  return shaded(128, 128, [&](int x, int y) {
    const double rings = x / 128.0 * 5 + 0.9 * fractal(bend, x, y, 128);
    const double ring = 0.5 + 0.5 * std::cos(kTau * rings);
    const double fine = fractal(grain, x, y, 128);
    return mix(mix(qRgb(226, 188, 138), qRgb(150, 98, 52), std::pow(ring, 3)), qRgb(120, 76, 40),
               0.35 * fine);
  });
}

// Marble: pale stone with dark veins along a turbulent diagonal.
QImage marble() {
  const auto turbulence = octaves(37);
  return shaded(128, 128, [&](int x, int y) {
    const double phase = kTau * (x / 128.0 + 2 * y / 128.0) + 7 * fractal(turbulence, x, y, 128);
    const double vein = std::pow(1 - std::abs(std::sin(phase)), 6);
    const double cloud = fractal(turbulence, y, x, 128);
    return mix(mix(qRgb(238, 236, 232), qRgb(214, 216, 224), cloud), qRgb(70, 78, 96), vein);
  });
}

// A smooth colour wave in three directions.
QImage gradient() {
  return shaded(100, 100, [](int x, int y) {
    const auto wave = [](double t) { return 0.5 + 0.5 * std::cos(kTau * t); };
    return qRgb(int(70 + 170 * wave(x / 100.0)), int(60 + 150 * wave(y / 100.0)),
                int(110 + 140 * wave((x + y) / 100.0)));
  });
}

// Diagonal bands of four colours.
QImage stripes() {
  const QRgb bands[4] = {qRgb(200, 30, 40), qRgb(250, 205, 60), qRgb(200, 30, 40),
                         qRgb(255, 248, 235)};
  return shaded(64, 64, [&](int x, int y) { return bands[((x + y) % 64) / 16]; });
}

// Polka dots on two offset grids.
QImage dots() {
  return shaded(60, 60, [](int x, int y) {
    const auto near = [&](int cx, int cy) {
      // Distances wrap around the tile.
      const int dx = std::min(std::abs(x - cx), 60 - std::abs(x - cx));
      const int dy = std::min(std::abs(y - cy), 60 - std::abs(y - cy));
      return dx * dx + dy * dy <= 81;
    };
    if (near(15, 15)) return qRgb(255, 214, 64);
    if (near(45, 45)) return qRgb(250, 120, 150);
    return qRgb(28, 44, 110);
  });
}

// Bricks of 60 x 20 in a running bond, each a little different.
QImage bricks() {
  const auto speckle = octaves(53, 16, 2);
  return shaded(120, 80, [&](int x, int y) {
    const int row = y / 20;
    const int shifted = (x + (row % 2) * 30) % 120;
    if (y % 20 < 3 || shifted % 60 < 3) return qRgb(205, 200, 190);  // mortar
    const int brick = row * 2 + shifted / 60;
    const QRgb tones[4] = {qRgb(168, 62, 44), qRgb(150, 54, 40), qRgb(182, 78, 52),
                           qRgb(158, 70, 38)};
    return mix(tones[(brick * 3 + row) % 4], qRgb(90, 40, 30), 0.5 * fractal(speckle, x, y, 120));
  });
}

// The built-in fill pattern: gold diamonds on red, seamless at 100 pixels.
QImage builtInPattern() {
  return shaded(100, 100, [](int x, int y) {
    const double diamond = std::sin(kTau * x / 50.0) * std::sin(kTau * y / 50.0);
    const double glow = 0.5 + 0.5 * std::cos(kTau * (x + y) / 100.0);
    return mix(mix(qRgb(180, 20, 30), qRgb(120, 10, 24), glow), qRgb(250, 200, 70),
               std::pow(std::abs(diamond), 0.7));
  });
}

// The built-in stamp: a red seal with a flower, on the start-up mask colour.
// Its outline is drawn without smoothing so that no blended pixels fringe it.
QImage builtInStamp() {
  QImage image(186, 124, QImage::Format_RGB32);
  image.fill(qRgb(192, 255, 255));
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196, 28, 36));
  p.drawRoundedRect(QRect(8, 8, 170, 108), 16, 16);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(255, 236, 200), 3));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(16.5, 16.5, 153, 91), 10, 10);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 214, 90));
  for (int i = 0; i < 5; ++i) {
    p.save();
    p.translate(93, 62);
    p.rotate(i * 72);
    p.drawEllipse(QRectF(-11, -36, 22, 32));
    p.restore();
  }
  p.setBrush(QColor(196, 28, 36));
  p.drawEllipse(QPointF(93, 62), 9, 9);
  p.setBrush(QColor(255, 236, 200));
  for (const QPointF& star : {QPointF(38, 40), QPointF(148, 84)}) p.drawEllipse(star, 5, 5);
  return image;
}

// Qt reads GIF but does not write it: giflib does, from Qt's 8-bit
// conversion (exact for these few-coloured patterns), into a QFile so the
// file gets the usual permissions.
int writeToFile(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* file = static_cast<QFile*>(gif->UserData);
  return int(file->write(reinterpret_cast<const char*>(bytes), count));
}

bool saveGif(const QImage& picture, const QString& path) {
  const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
  const QList<QRgb> table = indexed.colorTable();
  for (qsizetype i = 0; i < table.size() && i < 256; ++i)
    colours[size_t(i)] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                          GifByteType(qBlue(table[i]))};
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  int error = 0;
  GifFileType* gif = EGifOpen(&file, writeToFile, &error);
  if (gif == nullptr) return false;
  ColorMapObject* map = GifMakeMapObject(256, colours.data());
  bool ok =
      map != nullptr &&
      EGifPutScreenDesc(gif, indexed.width(), indexed.height(), 8, 0, map) == GIF_OK &&
      EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < indexed.height(); ++y)
    ok = EGifPutLine(gif, const_cast<GifPixelType*>(indexed.constScanLine(y)), indexed.width()) ==
         GIF_OK;
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

bool save(const QImage& picture, const QString& path) {
  if (path.endsWith(".gif")) return saveGif(picture, path);
  return picture.save(path, nullptr, path.endsWith(".jpg") ? 92 : -1);
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: glyphant_assets BUILT_IN_FOLDER PATTERN_FOLDER\n");
    return 2;
  }
  const QDir builtIn(QString::fromLocal8Bit(argv[1])), patterns(QString::fromLocal8Bit(argv[2]));
  if (!QDir().mkpath(builtIn.path()) || !QDir().mkpath(patterns.path())) return 1;
  const std::pair<QImage, QString> pictures[] = {
      {builtInStamp(), builtIn.filePath("stamp.png")},
      {builtInPattern(), builtIn.filePath("pattern.jpg")},
      {wood(), patterns.filePath("wood.jpg")},
      {marble(), patterns.filePath("marble.jpg")},
      {gradient(), patterns.filePath("gradient.jpg")},
      {stripes(), patterns.filePath("stripes.gif")},
      {dots(), patterns.filePath("dots.gif")},
      {bricks(), patterns.filePath("bricks.bmp")},
  };
  for (const auto& [picture, path] : pictures) {
    if (!save(picture, path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
