// Tests of the rotation kernel. Known-answer cases run through both the
// reference and the SIMD renderer; a randomized comparison then holds the
// SIMD renderer, on every Highway target this CPU runs, to the reference
// pixel for pixel.
#include <QtGui>
#include <QtTest>
#include <cmath>
#include <random>
#include <vector>

#include "rotate/rotate_internal.h"

using rotate_internal::Implementation;

namespace {

constexpr float kReset = 6.2832f;  // the caller's "no turn": 2 pi to four decimals
constexpr float kQuarter = 1.57079633f;

struct Call {
  float angle = kReset;
  int32_t cx = 0, cy = 0, sw = 0, sh = 0, sx = 0, sy = 0;
  float zoom = 1.0f;
  uint32_t mask = ROTATEDC_NO_MASK;
  float alpha = 1.0f, hue = 0.0f, saturation = 1.0f, threshold = 1.0f;
};

Surface surfaceOf(QImage& image) {
  return {reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
          int32_t(image.bytesPerLine())};
}

int draw(Implementation how, Surface* dst, Surface* src, const Call& c) {
  return rotate_internal::rotatedcWith(how, dst, c.angle, c.cx, c.cy, c.sw, c.sh, src, c.sx, c.sy,
                                       c.zoom, c.mask, c.alpha, c.hue, c.saturation, c.threshold);
}

int draw(Implementation how, QImage& dst, QImage& src, const Call& c) {
  Surface d = surfaceOf(dst), s = surfaceOf(src);
  return draw(how, &d, &s, c);
}

uint32_t& at(QImage& image, int x, int y) {
  return reinterpret_cast<uint32_t*>(image.scanLine(y))[x];
}

// Random pixels, alpha bytes included; the share `flat` of them from four
// colours in blocks, so that a key hits whole areas.
QImage noise(int w, int h, uint32_t seed, double flat = 0, int block = 1) {
  std::mt19937 rng(seed);
  const uint32_t palette[4] = {uint32_t(rng()), uint32_t(rng()), uint32_t(rng()), uint32_t(rng())};
  QImage image(w, h, QImage::Format_RGB32);
  for (int i = 0; i < w * h; ++i) {
    const uint32_t base = palette[(i % w / block * 7 + i / w / block * 3) % 4];
    const uint32_t pixel = uint32_t(rng());
    at(image, i % w, i / w) =
        rng() % 100 < flat * 100 ? (base << 8 >> 8) | (pixel >> 24 << 24) : pixel;
  }
  return image;
}

// Pixels set word by word: fill() would force the alpha byte that tells
// untouched pixels from written ones.
QImage filled(int w, int h, uint32_t pixel) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int i = 0; i < w * h; ++i) at(image, i % w, i / w) = pixel;
  return image;
}

// Byte for byte: QImage's own comparison ignores the alpha byte of RGB32.
bool same(const QImage& a, const QImage& b) {
  return a.size() == b.size() && std::memcmp(a.constBits(), b.constBits(), a.sizeInBytes()) == 0;
}

int channel(uint32_t pixel, int shift) { return int(pixel >> shift & 0xFFu); }

QString text(uint32_t pixel) { return QString::asprintf("0x%08x", pixel); }

template <typename... Values>
void bothPaths(const QString& name, const Values&... values) {  // first column: the renderer
  for (Implementation how : {Implementation::Reference, Implementation::Fast}) {
    ((QTest::newRow(qPrintable(name + (how == Implementation::Fast ? " / fast" : ""))) << how)
     << ... << values);
  }
}

// A placement case: `spoil` breaks the destination (1 to 6) or the source
// (10 to 60) surface; `copy` asks for an exact copy of the source where
// the turn puts it, else only `allowed` may change.
struct Placement {
  int spoil;
  Call call;
  int result;
  QRect allowed;
  bool copy;
};

// A square case: how the square is drawn, its colour, the colour expected
// in its middle and the range of pixels written.
struct Square {
  Call call;
  uint32_t colour, expected;
  int minWritten, maxWritten;
};

}  // namespace

Q_DECLARE_METATYPE(Implementation)
Q_DECLARE_METATYPE(Call)
Q_DECLARE_METATYPE(Placement)
Q_DECLARE_METATYPE(Square)

class TestRotatedc : public QObject {
  Q_OBJECT

 private slots:
  void placement_data();
  void placement();
  void square_data();
  void square();
  void fastMatchesReference_data();
  void fastMatchesReference();
  void exportedEntry();
};

// Where the 64x48 source goes and where nothing may change: the 96x96
// destination sits in canary memory (guards before and after, padding at
// each row's end). At reset values and at unzoomed quarter turns
// (counter-clockwise on screen) the source is copied exactly.
void TestRotatedc::placement_data() {
  QTest::addColumn<Implementation>("how");
  QTest::addColumn<Placement>("test");
  const Call base{.cx = 48, .cy = 48, .sw = 64, .sh = 48};
  for (float angle :
       {kReset, 0.0f, -kReset, 12.5664f, 6.28328f, kQuarter, -kQuarter, 2 * kQuarter}) {
    Call c = base;
    c.angle = angle;  // whole turns, 9.5e-5 past one, quarter turns
    bothPaths(QStringLiteral("copy at angle %1").arg(angle), Placement{0, c, 0, {}, true});
  }
  for (int way = 1; way <= 6; ++way) {
    bothPaths(QStringLiteral("destination spoilt %1").arg(way),
              Placement{way, base, -1, {}, false});
    bothPaths(QStringLiteral("source spoilt %1").arg(way),
              Placement{10 * way, base, -1, {}, false});
  }
  float Call::*fields[] = {&Call::angle, &Call::zoom,       &Call::alpha,
                           &Call::hue,   &Call::saturation, &Call::threshold};
  for (int i = 0; i < 18; ++i) {
    Call c = base;
    c.*fields[i % 6] = std::array{NAN, INFINITY, -INFINITY}[i / 6];
    bothPaths(QStringLiteral("float %1 is %2").arg(i % 6).arg(c.*fields[i % 6]),
              Placement{0, c, -1, {}, false});
  }
  const QRect all(0, 0, 96, 96);
  const std::tuple<const char*, void (*)(Call&), int, QRect, bool> rows[] = {
      {"odd part",
       [](Call& c) { c = {.cx = 40, .cy = 50, .sw = 31, .sh = 21, .sx = 11, .sy = 7}; },
       0,
       {},
       true},
      {"partly outside the source",
       [](Call& c) { c.sx = c.sy = -10, c.sw = c.sh = 40; },
       0,
       {},
       true},
      {"zoom 0", [](Call& c) { c.zoom = 0; }, -1, {}, false},
      {"zoom -1", [](Call& c) { c.zoom = -1; }, -1, {}, false},
      {"negative width", [](Call& c) { c.sw = -1; }, -1, {}, false},
      {"empty rectangle", [](Call& c) { c.sw = 0; }, 0, {}, false},
      {"centre far away", [](Call& c) { c.cx = INT32_MAX, c.cy = INT32_MIN; }, 0, {}, false},
      {"source far right", [](Call& c) { c.sx = c.sw = INT32_MAX; }, 0, {}, false},
      {"largest rectangle",
       [](Call& c) { c.sx = c.sy = INT32_MIN, c.sw = c.sh = INT32_MAX; },
       0,
       {},
       false},
      {"past every edge", [](Call& c) { c.zoom = 40; }, 0, all, false},
      {"huge zoom, far centre", [](Call& c) { c.zoom = 1e30f, c.cx = INT32_MAX; }, 0, all, false},
      {"tiny zoom", [](Call& c) { c.zoom = 1e-30f; }, 0, QRect(47, 47, 2, 2), false},
      {"huge angle", [](Call& c) { c.angle = 3e38f; }, 0, all, false},
      {"extreme factors",
       [](Call& c) { c.alpha = c.saturation = 3e38f, c.hue = c.threshold = -3e38f; }, 0, all,
       false}};
  for (const auto& [name, change, result, allowed, copy] : rows) {
    Call c = base;
    change(c);
    bothPaths(name, Placement{0, c, result, allowed, copy});
  }
}

void TestRotatedc::placement() {
  QFETCH(Implementation, how);
  QFETCH(Placement, test);
  const Call& call = test.call;
  constexpr int kStride = 101;  // pixels: 96 and padding
  constexpr int kGuard = 4096;
  constexpr uint32_t kCanary = 0x5A123456u;
  std::vector<uint32_t> memory(2 * kGuard + kStride * 96, kCanary);
  QImage picture = noise(64, 48, 7);
  const QImage before = picture.copy();
  Surface surfaces[2] = {{memory.data() + kGuard, 96, 96, kStride * 4}, surfaceOf(picture)};
  Surface* used[2] = {&surfaces[0], &surfaces[1]};
  for (int i = 0; i < 2; ++i) {
    const int way = i == 0 ? test.spoil % 10 : test.spoil / 10;
    if (way == 1) used[i] = nullptr;
    if (way == 2) surfaces[i].bits = nullptr;
    if (way == 3) surfaces[i].width = 0;
    if (way == 4) surfaces[i].height = -1;
    if (way >= 5) surfaces[i].stride = surfaces[i].width * 4 + (way == 5 ? -4 : 2);
  }
  QCOMPARE(draw(how, used[0], used[1], call), test.result);

  // Pixel centres of the destination map onto those of the source.
  QTransform toSource;
  if (test.copy) {
    toSource.translate(call.sx + call.sw / 2, call.sy + call.sh / 2)
        .rotate(std::fmod(std::round(call.angle / kQuarter), 4) * 90)
        .translate(-call.cx, -call.cy);
  }
  const QRect readable =
      test.copy ? QRect(call.sx, call.sy, call.sw, call.sh) & picture.rect() : QRect();
  int copied = 0;
  for (int i = -kGuard; i < int(memory.size()) - kGuard; ++i) {
    const bool inside = i >= 0 && i < kStride * 96 && i % kStride < 96;
    const QPoint p = inside ? QPoint(i % kStride, i / kStride) : QPoint(-1, -1);
    const QPointF s = toSource.map(QPointF(p) + QPointF(0.5, 0.5));
    const QPoint source(std::floor(s.x()), std::floor(s.y()));
    const bool fromSource = inside && readable.contains(source);
    const uint32_t word = memory[i + kGuard];
    const uint32_t expected =
        fromSource ? at(picture, source.x(), source.y()) | 0xFF000000u : kCanary;
    copied += fromSource;
    if (word != expected && (test.copy || !test.allowed.contains(p))) {
      QFAIL(qPrintable(
          QString::asprintf("(%d, %d) is 0x%08x, expected 0x%08x", p.x(), p.y(), word, expected)));
    }
  }
  QVERIFY2(!test.copy || copied > 0, "the case copies nothing");
  QVERIFY2(same(picture, before), "the source was written to");
}

// A 16x16 square on a 48x48 background of the key colour, drawn on
// (0x60, 0x30, 0x20) whose alpha byte 0 marks untouched pixels. Keyed
// pixels let the destination show and do not bleed into the square's
// antialiased edges, which mix only the square's colour and the canvas.
void TestRotatedc::square_data() {
  QTest::addColumn<Implementation>("how");
  QTest::addColumn<Square>("test");
  const uint32_t key = 0x0080FF00u;  // 0x00BBGGRR of the background
  const uint32_t blue = 0xFF2040C0u, red = 0xFFFF0000u, orange = 0xFFC86400u, pink = 0xFFC86464u;
  auto row = [&](const QString& name, uint32_t colour, float hue, float saturation, float threshold,
                 float alpha, uint32_t expected) {
    const Call c{.angle = 0,
                 .cx = 64,
                 .cy = 64,
                 .sw = 48,
                 .sh = 48,
                 .mask = key,
                 .alpha = alpha,
                 .hue = hue,
                 .saturation = saturation,
                 .threshold = threshold};
    bothPaths(name, Square{c, colour, expected, alpha > 0 ? 256 : 0, alpha > 0 ? 256 : 0});
  };
  auto turned = [&](float angle, float zoom, uint32_t mask) {
    return Call{.angle = angle, .cx = 64, .cy = 64, .sw = 48, .sh = 48, .zoom = zoom, .mask = mask};
  };
  row("keyed, unturned", blue, 0, 1, 1, 1, blue);
  // The square alone, turned and scaled: 24x24 plus an antialiased rim.
  bothPaths("keyed, turned and zoomed",
            Square{turned(0.3f, 1.5f, key), blue, blue, 24 * 24, 27 * 31});
  bothPaths("keyed, shrunk", Square{turned(-2, 0.4f, key), blue, blue, 6 * 6, 9 * 13});
  // Nothing keyed: at least the whole 72x72 turned picture is drawn.
  for (uint32_t mask : {ROTATEDC_NO_MASK, 0x0000FF80u /* 0x00RRGGBB */, 0x8080FF00u}) {
    bothPaths(QStringLiteral("nothing keyed by 0x%1").arg(mask, 0, 16),
              Square{turned(0.3f, 1.5f, mask), blue, blue, 72 * 72, 100 * 100});
  }
  // Hue and saturation in HSV: the value (the brightest channel) is kept.
  row("a whole hue turn", orange, 1, 1, 1, 1, orange);
  row("red turned half way is cyan", red, 0.5f, 1, 1, 1, 0xFF00FFFFu);
  row("red turned a third is green", red, 1.0f / 3, 1, 1, 1, 0xFF00FF00u);
  row("red turned back two thirds is green", red, -2.0f / 3, 1, 1, 1, 0xFF00FF00u);
  row("orange turned a sixth is chartreuse", orange, 1.0f / 6, 1, 1, 1, 0xFF64C800u);
  row("pink turned back a third, half as saturated", pink, -1.0f / 3, 0.5f, 1, 1, 0xFF9696C8u);
  row("saturation doubled", pink, 0, 2, 1, 1, 0xFFC80000u);
  row("saturation 0 is grey", orange, 0, 0, 1, 1, 0xFFC8C8C8u);
  // Threshold on luminance: below 1 dark tones go black, above 1 bright ones
  // white; it sees the recoloured tone.
  row("dark goes black", 0xFF323232u, 0, 1, 0.5f, 1, 0xFF000000u);
  row("bright goes white", 0xFFC8C8C8u, 0, 1, 1.5f, 1, 0xFFFFFFFFu);
  row("2 whitens all but black", 0xFF010101u, 0, 1, 2, 1, 0xFFFFFFFFu);
  row("threshold after recolouring", pink, 0, 2, 0.7f, 1, 0xFF000000u);
  row("half opacity", orange, 0, 1, 1, 0.5f, 0xFF944A10u);
  row("opacity below zero", orange, 0, 1, 1, -0.5f, 0x00603020u);
}

void TestRotatedc::square() {
  QFETCH(Implementation, how);
  QFETCH(Square, test);
  const uint32_t canvas = 0x00603020u;
  QImage src = filled(48, 48, 0xFF00FF80u);
  for (int i = 0; i < 256; ++i) at(src, 16 + i % 16, 16 + i / 16) = test.colour;
  QImage dst = filled(128, 128, canvas);
  QCOMPARE(draw(how, dst, src, test.call), 0);
  int written = 0;
  for (int i = 0; i < 128 * 128 * 3; ++i) {
    const uint32_t p = at(dst, i / 3 % 128, i / 384);
    const int shift = i % 3 * 8;
    const auto [lo, hi] = std::minmax({channel(test.expected, shift), channel(canvas, shift)});
    written += shift == 0 && p != canvas;
    if (test.call.mask == 0x0080FF00u && p != canvas &&
        (channel(p, shift) < lo || channel(p, shift) > hi)) {
      QFAIL(qPrintable("fringe: " + text(p)));  // not a mixture of the square and the canvas
    }
  }
  QVERIFY2(written >= test.minWritten && written <= test.maxWritten,
           qPrintable(QString::number(written)));
  QCOMPARE(text(at(dst, 64, 64)), text(test.expected));
}

namespace {

// A random case: surfaces small enough to run thousands under the
// sanitizers, arguments spread over everything the kernel distinguishes.
// Every 150th source is too large for the cache (the SIMD renderer then
// prefetches) and is shrunk to about the destination's size.
struct RandomCase {
  QImage src, dst;
  Call call;
};

RandomCase randomCase(uint32_t seed) {
  std::mt19937 rng(seed);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<>(lo, hi)(rng);
  };
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
  auto often = [&](double usual, double lo, double hi) {
    return float(integer(0, 4) < 2 ? usual : uniform(lo, hi));
  };
  const bool large = seed % 150 == 0;
  const int sw = large ? integer(600, 700) : integer(1, 64);
  const int sh = large ? integer(450, 500) : integer(1, 64);
  const int block = integer(1, 16);
  const int dw = integer(0, 9) > 0 ? integer(5, 96) : integer(1, 4);
  const int dh = integer(0, 9) > 0 ? integer(5, 96) : integer(1, 4);
  RandomCase r{noise(sw, sh, seed, 0.85, block), noise(dw, dh, ~seed), {}};
  Call& c = r.call;
  const double turn = 6.283185307179586;  // near whole and quarter turns, or anywhere
  const double angles[] = {integer(-3, 3) * turn + uniform(-2e-4, 2e-4),
                           integer(-4, 4) * turn / 4 + uniform(-1e-6, 1e-6), uniform(-10, 10)};
  c.angle = float(angles[std::min(integer(0, 4), 2)]);
  const double zooms[] = {std::pow(10.0, uniform(-8, -2)), std::pow(10.0, uniform(2, 8)),
                          uniform(0.02, 0.2), 1.0, std::exp(uniform(-1.6, 2.5))};
  const int z = integer(0, 19);  // 1 in 20 tiny, 1 in 20 huge, 1 in 5 exactly 1
  c.zoom = float(large ? uniform(0.05, 0.4) : zooms[z < 2 ? z : z < 4 ? 2 : z < 8 ? 3 : 4]);
  c.cx = integer(-8, dw + 8);
  c.cy = integer(-8, dh + 8);
  c.sx = large ? integer(-2, 0) : integer(-8, sw / 2);
  c.sy = large ? integer(-2, 0) : integer(-8, sh / 2);
  c.sw = large ? sw + 2 : integer(0, 50) == 0 ? 0 : integer(1, sw + 16);
  c.sh = large ? sh + 2 : integer(0, 50) == 0 ? 0 : integer(1, sh + 16);
  const uint32_t rgb = at(r.src, integer(0, sw - 1), integer(0, sh - 1));
  const uint32_t masks[] = {(rgb >> 16 & 0xFFu) | (rgb & 0xFF00u) | (rgb & 0xFFu) << 16,
                            uint32_t(rng()) & 0xFFFFFFu, ROTATEDC_NO_MASK};
  c.mask = masks[std::min(integer(0, 3), 2)];
  c.alpha = often(1, -0.2, 1.2);
  c.hue = often(0, -1.5, 1.5);
  c.saturation = often(1, 0, 3);
  c.threshold = often(1, 0, 2);
  return r;
}

}  // namespace

// The SIMD renderer on every target this CPU runs against the reference:
// the same result and the same pixels. ROTATEDC_SEED=n reruns case n alone.
void TestRotatedc::fastMatchesReference_data() {
  QTest::addColumn<qint64>("target");
  for (int64_t target : rotate_internal::fastTargets()) {
    QTest::newRow(rotate_internal::targetName(target)) << qint64(target);
  }
}

void TestRotatedc::fastMatchesReference() {
  QFETCH(qint64, target);
  rotate_internal::forceFastTarget(target);
  struct Restore {
    ~Restore() { rotate_internal::forceFastTarget(0); }
  } restore;
  QCOMPARE(QString(rotate_internal::fastTargetName()),
           QString(rotate_internal::targetName(target)));
  bool single = false;
  const uint32_t only = qEnvironmentVariableIntValue("ROTATEDC_SEED", &single);
  constexpr uint32_t kCases = 3000;
  int drawn = 0;
  for (uint32_t seed = single ? only : 1; seed <= (single ? only : kCases); ++seed) {
    RandomCase r = randomCase(seed);
    QImage expected = r.dst.copy(), actual = r.dst.copy();
    const int result = draw(Implementation::Reference, expected, r.src, r.call);
    const QString where = QStringLiteral("ROTATEDC_SEED=%1: ").arg(seed);
    QVERIFY2(draw(Implementation::Fast, actual, r.src, r.call) == result,
             qPrintable(where + "results differ"));
    drawn += !same(expected, r.dst);
    const auto* e = reinterpret_cast<const uint32_t*>(expected.constBits());
    const auto* a = reinterpret_cast<const uint32_t*>(actual.constBits());
    const int size = expected.width() * expected.height();
    const int i = int(std::mismatch(e, e + size, a).first - e);
    if (i < size) {
      QFAIL(
          qPrintable(where + QString::asprintf("(%d, %d) is 0x%08x, reference 0x%08x",
                                               i % r.dst.width(), i / r.dst.width(), a[i], e[i])));
    }
  }
  QVERIFY2(single || drawn > int(kCases) / 2, "the cases mostly draw nothing and prove little");
}

// librotate, loaded by name as callers load it, exports rotatedc alone and
// draws what the renderer that ROTATEDC_REFERENCE selects draws.
void TestRotatedc::exportedEntry() {
  QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/rotate"));
  QVERIFY2(library.load(), qPrintable(library.errorString()));
  auto entry = reinterpret_cast<RotatedcFunction>(library.resolve("rotatedc"));
  QVERIFY(entry != nullptr);
  QVERIFY(library.resolve("_ZN15rotate_internal15renderReferenceERKNS_8PreparedE") == nullptr);
  QImage src = noise(64, 48, 3), viaLibrary = noise(96, 96, 4), direct = viaLibrary.copy();
  const Call c{.angle = 0.7f, .cx = 50, .cy = 45, .sw = 60, .sh = 40, .zoom = 1.3f, .alpha = 0.8f};
  Surface d = surfaceOf(viaLibrary), s = surfaceOf(src);
  auto call = [&](Surface* dst) {
    return entry(dst, c.angle, c.cx, c.cy, c.sw, c.sh, &s, c.sx, c.sy, c.zoom, c.mask, c.alpha,
                 c.hue, c.saturation, c.threshold);
  };
  QCOMPARE(call(&d), 0);
  QCOMPARE(call(nullptr), -1);
  const bool reference = qgetenv("ROTATEDC_REFERENCE") == "1";
  QCOMPARE(draw(reference ? Implementation::Reference : Implementation::Fast, direct, src, c), 0);
  QVERIFY2(!same(viaLibrary, noise(96, 96, 4)), "nothing drawn");
  QVERIFY2(same(viaLibrary, direct), "the library draws otherwise");
}

QTEST_GUILESS_MAIN(TestRotatedc)
#include "tst_rotatedc.moc"
