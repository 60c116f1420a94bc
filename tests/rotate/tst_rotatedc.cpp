// Tests of the rotation kernel. Known-answer cases run through both the
// reference and the SIMD renderer; a randomized comparison then holds the
// SIMD renderer, on every Highway target this CPU runs, to the reference
// bit for bit.
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
constexpr uint32_t kKey = 0x0080FF00u;  // 0x00BBGGRR of the square's background

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

// `c` with the float argument `field` set to `value`.
Call with(Call c, float Call::*field, float value) {
  c.*field = value;
  return c;
}

uint32_t& at(QImage& image, int i) { return reinterpret_cast<uint32_t*>(image.bits())[i]; }

// w x h pixels, alpha bytes included: `pixel`, or random where it is 0,
// taken with the chance `flat` from four colours in blocks (so that a key
// hits whole areas). Set word by word, as fill() would force the alpha byte.
QImage picture(int w, int h, uint32_t pixel, uint32_t seed = 0, double flat = 0, int block = 1) {
  std::mt19937 rng(seed);
  QImage image(w, h, QImage::Format_RGB32);
  for (int i = 0; i < w * h; ++i) {
    const uint32_t random = uint32_t(rng()), area = (i % w / block * 7 + i / w / block * 3) % 4;
    const uint32_t flatColour = (seed * 2654435761u * (area + 1) >> 8) | random >> 24 << 24;
    at(image, i) = pixel ? pixel : rng() % 100 < flat * 100 ? flatColour : random;
  }
  return image;
}

// Byte for byte: QImage's own comparison ignores the alpha byte of RGB32.
bool same(const QImage& a, const QImage& b) {
  return a.size() == b.size() && std::memcmp(a.constBits(), b.constBits(), a.sizeInBytes()) == 0;
}

// A placement case: `spoil` breaks the destination (1 to 6) or the source
// (10 to 60) surface, the result expected, the call, the area that may
// change, and whether it must hold an exact copy of the source where the
// turn puts it.
using Placement = std::tuple<int, int, Call, QRect, bool>;
// A square case: the call, the square's colour, the colour expected in its
// middle and the least and most pixels written.
using Square = std::tuple<Call, uint32_t, uint32_t, int, int>;

template <typename Test>
void bothPaths(const QString& name, const Test& test) {  // a row per renderer
  QTest::newRow(qPrintable(name)) << Implementation::Reference << test;
  QTest::newRow(qPrintable(name + " / fast")) << Implementation::Fast << test;
}

// A random case: surfaces small enough to run thousands under the
// sanitizers, arguments spread over everything the kernel distinguishes.
// Every 150th source is too large for the cache (the SIMD renderer then
// prefetches) and is shrunk to about the destination's size.
using RandomCase = std::tuple<QImage, QImage, Call>;  // source, destination, call

RandomCase randomCase(uint32_t seed) {
  std::mt19937 rng(seed);
  auto real = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
  auto whole = [&](int a, int b) { return std::uniform_int_distribution<>(a, b)(rng); };
  auto often = [&](double usual, double a, double b) {
    return float(whole(0, 4) < 2 ? usual : real(a, b));
  };
  // Every 300th large source is wider than the SIMD renderer's lanes reach.
  const bool large = seed % 150 == 0;
  int sw = large ? whole(600, 700) : whole(1, 64), sh = large ? whole(450, 500) : whole(1, 64);
  if (seed % 300 == 0) sw = whole(16385, 16400), sh = whole(1, 3);
  const int block = whole(1, 16), dw = whole(0, 9) ? whole(5, 96) : whole(1, 4);
  const int dh = whole(0, 9) ? whole(5, 96) : whole(1, 4);
  RandomCase r{picture(sw, sh, 0, seed, 0.85, block), picture(dw, dh, 0, ~seed), {}};
  auto& [src, dst, c] = r;
  const double turn = 6.283185307179586;  // near whole and quarter turns, or anywhere
  const double angles[] = {whole(-3, 3) * turn + real(-2e-4, 2e-4),
                           whole(-4, 4) * turn / 4 + real(-1e-6, 1e-6), real(-10, 10)};
  c.angle = float(angles[std::min(whole(0, 4), 2)]);
  // 1 in 20 tiny, 1 in 20 huge, 1 in 10 small, 1 in 5 exactly 1.
  const double zooms[] = {std::pow(10.0, real(-8, -2)), std::pow(10.0, real(2, 8)), real(0.02, 0.2),
                          1.0, std::exp(real(-1.6, 2.5))};
  const int z = whole(0, 19);
  c.zoom = float(large ? real(0.05, 0.4) : zooms[z < 2 ? z : z < 4 ? 2 : z < 8 ? 3 : 4]);
  c.cx = whole(-8, dw + 8), c.cy = whole(-8, dh + 8);
  c.sx = large ? whole(-2, 0) : whole(-8, sw / 2), c.sy = large ? whole(-2, 0) : whole(-8, sh / 2);
  c.sw = large ? sw + 2 : whole(0, 50) ? whole(1, sw + 16) : 0;
  c.sh = large ? sh + 2 : whole(0, 50) ? whole(1, sh + 16) : 0;
  const uint32_t rgb = at(src, whole(0, sw * sh - 1));
  const uint32_t masks[] = {(rgb >> 16 & 0xFFu) | (rgb & 0xFF00u) | (rgb & 0xFFu) << 16,
                            uint32_t(rng()) & 0xFFFFFFu, ROTATEDC_NO_MASK};
  c.mask = masks[std::min(whole(0, 3), 2)];
  c.alpha = often(1, -0.2, 1.2), c.hue = often(0, -1.5, 1.5);
  // 1 in 20 saturations so large that the factor no longer fits 16 bits.
  c.saturation = whole(0, 19) ? often(1, 0, 3) : float(real(100, 300));
  c.threshold = often(1, 0, 2);
  return r;
}

}  // namespace

class TestRotatedc : public QObject {
  Q_OBJECT

 private slots:
  // Where the 64x48 source goes and where nothing may change: the 96x96
  // destination sits in canary memory (guards before and after, padding at
  // each row's end). At reset values and at unzoomed quarter turns
  // (counter-clockwise on screen) the source is copied exactly.
  void placement_data() {
    QTest::addColumn<Implementation>("how");
    QTest::addColumn<Placement>("test");
    const Call base{.cx = 48, .cy = 48, .sw = 64, .sh = 48};
    const QRect all(0, 0, 96, 96), none;
    // Copies at whole turns, 9.5e-5 past one and quarter turns.
    for (float a : {kReset, 0.0f, -kReset, 12.5664f, 6.28328f, kQuarter, -kQuarter, 2 * kQuarter})
      bothPaths(QStringLiteral("copy at angle %1").arg(a),
                Placement{0, 0, with(base, &Call::angle, a), none, true});
    for (int way : {1, 10, 2, 20, 3, 30, 4, 40, 5, 50, 6, 60})
      bothPaths(QString::asprintf("spoilt %d", way), Placement{way, -1, base, none, false});
    // clang-format off
  float Call::*fields[] = {&Call::angle, &Call::zoom, &Call::alpha, &Call::hue, &Call::saturation, &Call::threshold};
    // clang-format on
    for (float bad : {NAN, INFINITY, -INFINITY})
      for (int i = 0; i < 6; ++i)
        bothPaths(QString::asprintf("float %d: %g", i, bad),
                  Placement{0, -1, with(base, fields[i], bad), none, false});
    // clang-format off
  const std::tuple<const char*, int, QRect, bool, Call (*)(Call)> rows[] = {
      {"copy of a part", 0, none, true, [](Call) { return Call{.cx = 40, .cy = 50, .sw = 31, .sh = 21, .sx = 11, .sy = 7}; }},
      {"copy partly outside", 0, none, true, [](Call c) { c.sx = c.sy = -10, c.sw = c.sh = 40; return c; }},
      {"zoom 0", -1, none, false, [](Call c) { c.zoom = 0; return c; }},
      {"negative width", -1, none, false, [](Call c) { c.sw = -1; return c; }},
      {"empty rectangle", 0, none, false, [](Call c) { c.sw = 0; return c; }},
      {"centre far away", 0, none, false, [](Call c) { c.cx = INT32_MAX, c.cy = INT32_MIN; return c; }},
      {"largest rectangle", 0, none, false, [](Call c) { c.sx = c.sy = INT32_MIN, c.sw = c.sh = INT32_MAX; return c; }},
      {"huge zoom, far centre", 0, all, false, [](Call c) { c.zoom = 1e30f, c.cx = INT32_MAX; return c; }},
      {"tiny zoom", 0, QRect(47, 47, 2, 2), false, [](Call c) { c.zoom = 1e-30f; return c; }},
      {"huge angle", 0, all, false, [](Call c) { c.angle = 3e38f; return c; }},
      {"extreme factors", 0, all, false, [](Call c) { c.alpha = c.saturation = 3e38f, c.hue = c.threshold = -3e38f; return c; }}};
    // clang-format on
    for (const auto& [name, result, allowed, copy, changed] : rows)
      bothPaths(name, Placement{0, result, changed(base), allowed, copy});
  }

  void placement() {
    QFETCH(Implementation, how);
    QFETCH(Placement, test);
    const auto& [spoilt, result, c, allowed, copy] = test;
    constexpr int kStride = 101, kGuard = 4096;  // pixels: 96 and padding
    constexpr uint32_t kCanary = 0x5A123456u;
    std::vector<uint32_t> memory(2 * kGuard + kStride * 96, kCanary);
    QImage source = picture(64, 48, 0, 7), before = source.copy();
    Surface surfaces[2] = {{memory.data() + kGuard, 96, 96, kStride * 4}, surfaceOf(source)};
    Surface* used[2] = {&surfaces[0], &surfaces[1]};
    // clang-format off
  void (*const spoil[])(Surface*&) = {[](Surface*&) {}, [](Surface*& s) { s = nullptr; },
      [](Surface*& s) { s->bits = nullptr; }, [](Surface*& s) { s->width = 0; }, [](Surface*& s) { s->height = -1; },
      [](Surface*& s) { s->stride = s->width * 4 - 4; }, [](Surface*& s) { s->stride = s->width * 4 + 2; }};
    // clang-format on
    spoil[spoilt % 10](used[0]);
    spoil[spoilt / 10](used[1]);
    QCOMPARE(draw(how, used[0], used[1], c), result);

    QTransform toSource;  // destination pixel centres onto source pixel centres
    if (copy)
      toSource.translate(c.sx + c.sw / 2, c.sy + c.sh / 2)
          .rotate(std::round(c.angle / kQuarter) * 90)
          .translate(-c.cx, -c.cy);
    const QRect readable = copy ? QRect(c.sx, c.sy, c.sw, c.sh) & source.rect() : QRect();
    int copied = 0;
    for (int i = -kGuard; i < int(memory.size()) - kGuard; ++i) {
      const bool inside = i >= 0 && i < kStride * 96 && i % kStride < 96;
      const QPoint p = inside ? QPoint(i % kStride, i / kStride) : QPoint(-1, -1);
      const QPoint s = (toSource.map(QPointF(p) + QPointF(0.5, 0.5)) - QPointF(0.5, 0.5)).toPoint();
      const bool fromSource = inside && readable.contains(s);
      const uint32_t word = memory[i + kGuard];
      const uint32_t want = fromSource ? at(source, s.y() * 64 + s.x()) | 0xFF000000u : kCanary;
      copied += fromSource;
      if (word != want && (copy || !allowed.contains(p)))
        QFAIL(qPrintable(QString::asprintf("(%d, %d) is %x, not %x", p.x(), p.y(), word, want)));
    }
    QVERIFY2(!copy || copied > 0, "the case copies nothing");
    QVERIFY2(same(source, before), "the source was written to");
  }

  // A 16x16 square on a 48x48 background of the key colour, drawn on
  // (0x60, 0x30, 0x20) whose alpha byte 0 marks untouched pixels. Keyed
  // pixels let the destination show and do not bleed into the square's
  // antialiased edges, which mix only the square's colour and the canvas.
  void square_data() {
    QTest::addColumn<Implementation>("how");
    QTest::addColumn<Square>("test");
    const uint32_t blue = 0xFF2040C0u, red = 0xFFFF0000u, orange = 0xFFC86400u, pink = 0xFFC86464u;
    const Call base{.angle = 0, .cx = 64, .cy = 64, .sw = 48, .sh = 48, .mask = kKey};
    // Turned and scaled, the square alone: at least 24x24, with a rim. Nothing
    // keyed (no mask, a key written as 0x00RRGGBB, the top bit set): at least
    // the whole 72x72 turned picture.
    // clang-format off
  const std::tuple<float, float, uint32_t, int, int> turns[] = {
      {0, 1, kKey, 256, 256}, {0.3f, 1.5f, kKey, 24 * 24, 27 * 31}, {-2, 0.4f, kKey, 6 * 6, 9 * 13},
      {0.3f, 1.5f, ROTATEDC_NO_MASK, 72 * 72, 10000}, {0.3f, 1.5f, 0x0000FF80u, 72 * 72, 10000},
      {0.3f, 1.5f, 0x8080FF00u, 72 * 72, 10000}};
    // clang-format on
    for (Call c = base; const auto& [angle, zoom, mask, lo, hi] : turns) {
      c.angle = angle, c.zoom = zoom, c.mask = mask;
      bothPaths(QString::asprintf("turn %g zoom %g mask %x", angle, zoom, mask),
                Square{c, blue, blue, lo, hi});
    }
    // Hue and saturation in HSV keep the value (the brightest channel): red
    // turned half way is cyan, back two thirds green; orange turned a sixth
    // is chartreuse; saturation clips at full, and a chroma of 1 grows by the
    // whole of a large factor (128, the first whose 256ths outgrow 16 bits).
    // The threshold sees the recoloured colour's luminance: below 1 dark
    // colours go black (pink made red: 54, under 255 * 0.3, but above
    // 255 * 0.2), above 1 bright ones white (at 2 every one). Then opacity.
    // clang-format off
  const std::tuple<uint32_t, float, float, float, float, uint32_t> colours[] = {
      {orange, 1, 1, 1, 1, orange},              {red, 0.5f, 1, 1, 1, 0xFF00FFFFu},
      {red, -2.0f / 3, 1, 1, 1, 0xFF00FF00u},    {orange, 1.0f / 6, 1, 1, 1, 0xFF64C800u},
      {pink, -1.0f / 3, 0.5f, 1, 1, 0xFF9696C8u}, {pink, 0, 2, 1, 1, 0xFFC80000u},
      {orange, 0, 0, 1, 1, 0xFFC8C8C8u},         {0xFF010101u, 0, 1, 2, 1, 0xFFFFFFFFu},
      {pink, 0, 2, 0.7f, 1, 0xFF000000u},        {orange, 0, 1, 1, 0.5f, 0xFF944A10u},
      {orange, 0, 1, 1, -0.5f, 0x00603020u},     {0xFFC89664u, 0, 3, 1, 1, orange},
      {red, 0, 1, 0.8f, 1, red},                 {0xFFC8C7C7u, 0, 128, 1, 1, 0xFFC84848u}};
    // clang-format on
    for (Call c = base; const auto& [colour, h, s, t, a, expected] : colours) {
      c.hue = h, c.saturation = s, c.threshold = t, c.alpha = a;
      bothPaths(QString::asprintf("%x hue %g sat %g threshold %g alpha %g", colour, h, s, t, a),
                Square{c, colour, expected, a > 0 ? 256 : 0, a > 0 ? 256 : 0});
    }
  }

  void square() {
    QFETCH(Implementation, how);
    QFETCH(Square, test);
    const auto& [call, colour, expected, minWritten, maxWritten] = test;
    const uint32_t canvas = 0x00603020u;
    QImage src = picture(48, 48, 0xFF00FF80u), dst = picture(128, 128, canvas);
    for (int i = 0; i < 256; ++i) at(src, (16 + i / 16) * 48 + 16 + i % 16) = colour;
    Surface d = surfaceOf(dst), s = surfaceOf(src);
    QCOMPARE(draw(how, &d, &s, call), 0);
    int written = 0;
    for (int i = 0; i < 128 * 128 * 3; ++i) {
      const uint32_t p = at(dst, i / 3);
      const int shift = i % 3 * 8, value = p >> shift & 0xFF;
      const auto [lo, hi] =
          std::minmax({int(expected >> shift & 0xFF), int(canvas >> shift & 0xFF)});
      written += shift == 0 && p != canvas;
      if (call.mask == kKey && p != canvas && (value < lo || value > hi))
        QFAIL(qPrintable(QString::asprintf("0x%08x no mix of the colour and the canvas", p)));
    }
    QVERIFY2(written >= minWritten && written <= maxWritten, qPrintable(QString::number(written)));
    QCOMPARE(QString::number(at(dst, 64 * 128 + 64), 16), QString::number(expected, 16));
  }

  // The SIMD renderer on every target this CPU runs against the reference:
  // the same result and the same pixels. ROTATEDC_SEED=n reruns case n alone.
  void fastMatchesReference() {
    const auto restore = qScopeGuard([] { rotate_internal::forceFastTarget(0); });
    bool single = false;
    const uint32_t only = qEnvironmentVariableIntValue("ROTATEDC_SEED", &single);
    constexpr uint32_t kCases = 3000;
    for (int64_t target : rotate_internal::fastTargets()) {
      rotate_internal::forceFastTarget(target);
      const QString name = rotate_internal::targetName(target);
      QCOMPARE(QString(rotate_internal::fastTargetName()), name);
      int drawn = 0;
      for (uint32_t seed = single ? only : 1; seed <= (single ? only : kCases); ++seed) {
        auto [src, dst, c] = randomCase(seed);
        QImage expected = dst.copy(), actual = dst.copy();
        Surface s = surfaceOf(src), e = surfaceOf(expected), a = surfaceOf(actual);
        const int result = draw(Implementation::Reference, &e, &s, c);
        const QString where = name + QString::asprintf(", ROTATEDC_SEED=%u: ", seed);
        QVERIFY2(draw(Implementation::Fast, &a, &s, c) == result, qPrintable(where + "result"));
        drawn += !same(expected, dst);
        for (int i = 0; i < dst.width() * dst.height(); ++i)
          if (at(actual, i) != at(expected, i))
            QFAIL(
                qPrintable(where + QString::asprintf("pixel %d in rows of %d: %x, reference %x", i,
                                                     dst.width(), at(actual, i), at(expected, i))));
      }
      QVERIFY2(single || drawn > int(kCases) / 2, "the cases mostly draw nothing and prove little");
    }
  }

  // librotate, loaded by name as callers load it, exports rotatedc alone.
  void exportedEntry() {
    QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/rotate"));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    QVERIFY(library.resolve("rotatedc") != nullptr);
    QVERIFY(library.resolve("_ZN15rotate_internal15renderReferenceERKNS_8PreparedE") == nullptr);
  }
};

QTEST_GUILESS_MAIN(TestRotatedc)
#include "tst_rotatedc.moc"
