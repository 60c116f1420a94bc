// Tests of the rotation kernel. Every known-answer case runs through both
// the reference and the SIMD renderer; a randomized comparison then holds
// the SIMD renderer, on every Highway target this CPU runs, to the
// reference.
#include <QCoreApplication>
#include <QImage>
#include <QLibrary>
#include <QList>
#include <QRect>
#include <QtTest>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "rotate/rotate_internal.h"
#include "rotate/rotatedc.h"

using rotate_internal::Implementation;

namespace {

// The angle a caller passes for "no turn": 2 pi to four decimals.
constexpr float kReset = 6.2832f;
constexpr float kPiF = 3.14159265f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct Call {
  float angle = kReset;
  int32_t cx = 0;
  int32_t cy = 0;
  int32_t sw = 0;
  int32_t sh = 0;
  int32_t sx = 0;
  int32_t sy = 0;
  float zoom = 1.0f;
  uint32_t mask = ROTATEDC_NO_MASK;
  float alpha = 1.0f;
  float hue = 0.0f;
  float saturation = 1.0f;
  float threshold = 1.0f;
};

// A call that puts the whole of a w x h source, unturned, centred on (cx, cy).
Call place(int cx, int cy, int w, int h) {
  Call c;
  c.cx = cx;
  c.cy = cy;
  c.sw = w;
  c.sh = h;
  return c;
}

Surface surfaceOf(QImage& image) {
  return Surface{reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
                 static_cast<int32_t>(image.bytesPerLine())};
}

int draw(Implementation implementation, Surface* dst, Surface* src, const Call& c) {
  return rotate_internal::rotatedcWith(implementation, dst, c.angle, c.cx, c.cy, c.sw, c.sh, src,
                                       c.sx, c.sy, c.zoom, c.mask, c.alpha, c.hue, c.saturation,
                                       c.threshold);
}

int draw(Implementation implementation, QImage& dst, QImage& src, const Call& c) {
  Surface d = surfaceOf(dst);
  Surface s = surfaceOf(src);
  return draw(implementation, &d, &s, c);
}

QString describe(const Call& c) {
  return QStringLiteral(
             "angle=%1 cx=%2 cy=%3 sw=%4 sh=%5 sx=%6 sy=%7 zoom=%8 mask=0x%9 alpha=%10 "
             "hue=%11 saturation=%12 threshold=%13")
      .arg(double(c.angle), 0, 'g', 9)
      .arg(c.cx)
      .arg(c.cy)
      .arg(c.sw)
      .arg(c.sh)
      .arg(c.sx)
      .arg(c.sy)
      .arg(double(c.zoom), 0, 'g', 9)
      .arg(c.mask, 8, 16, QLatin1Char('0'))
      .arg(double(c.alpha), 0, 'g', 9)
      .arg(double(c.hue), 0, 'g', 9)
      .arg(double(c.saturation), 0, 'g', 9)
      .arg(double(c.threshold), 0, 'g', 9);
}

QImage filled(int w, int h, uint32_t pixel) {
  QImage image(w, h, QImage::Format_RGB32);
  // fill() would force the alpha byte; canaries use it to tell untouched
  // pixels from written ones.
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
    std::fill(line, line + w, pixel);
  }
  return image;
}

// Random pixels, random alpha bytes included.
QImage noise(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) line[x] = static_cast<uint32_t>(rng());
  }
  return image;
}

uint32_t at(const QImage& image, int x, int y) {
  return reinterpret_cast<const uint32_t*>(image.constScanLine(y))[x];
}

int channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFFu); }

bool near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(channel(a, shift) - channel(b, shift)) > tolerance) return false;
  }
  return (a >> 24) == (b >> 24);
}

QString hex(uint32_t pixel) { return QStringLiteral("0x%1").arg(pixel, 8, 16, QLatin1Char('0')); }

// Adds one row per implementation; the first column of every table that
// uses it is the implementation.
template <typename... Values>
void bothPaths(const char* name, const Values&... values) {
  for (Implementation implementation : {Implementation::Reference, Implementation::Fast}) {
    const char* suffix = implementation == Implementation::Reference ? "reference" : "fast";
    ((QTest::newRow(
          qPrintable(QStringLiteral("%1 / %2").arg(QLatin1String(name), QLatin1String(suffix))))
      << implementation)
     << ... << values);
  }
}

}  // namespace

Q_DECLARE_METATYPE(Implementation)
Q_DECLARE_METATYPE(Call)

class TestRotatedc : public QObject {
  Q_OBJECT

 private slots:
  void identityCopy_data();
  void identityCopy();
  void orientation_data();
  void orientation();
  void zoomedEdges_data();
  void zoomedEdges();
  void mask_data();
  void mask();
  void blend_data();
  void blend();
  void colour_data();
  void colour();
  void safety_data();
  void safety();
  void fastMatchesReference_data();
  void fastMatchesReference();
  void exportedEntry();
};

// Without a turn or zoom every readable source pixel of the rectangle lands
// on its own destination pixel, unchanged but for the alpha byte; nothing
// else is touched.
void TestRotatedc::identityCopy_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<QSize>("dstSize");
  QTest::addColumn<Call>("call");

  // The caller's picture box and its reset state.
  bothPaths("reset, 320x240 picture", QSize(753, 605), place(376, 302, 320, 240));
  Call c = place(376, 302, 320, 240);
  c.angle = 0.0f;
  bothPaths("angle zero", QSize(753, 605), c);
  c.angle = -kReset;
  bothPaths("one turn back", QSize(753, 605), c);
  c.angle = 12.5664f;
  bothPaths("two turns", QSize(753, 605), c);
  c.angle = 6.28328f;  // 9.5e-5 past 2 pi
  bothPaths("just within a turn", QSize(753, 605), c);
  c = place(200, 150, 101, 51);
  c.sx = 11;
  c.sy = 7;
  bothPaths("odd-sized part of the picture", QSize(400, 300), c);
  c = place(40, 30, 320, 240);
  bothPaths("mostly off the destination", QSize(120, 90), c);
  c = place(100, 100, 100, 100);
  c.sx = 250;
  c.sy = -30;
  bothPaths("rectangle partly outside the source", QSize(200, 200), c);
}

void TestRotatedc::identityCopy() {
  QFETCH(Implementation, implementation);
  QFETCH(QSize, dstSize);
  QFETCH(Call, call);

  QImage src = noise(320, 240, 1);
  QImage dst = noise(dstSize.width(), dstSize.height(), 2);
  const QImage before = dst.copy();
  QCOMPARE(draw(implementation, dst, src, call), 0);

  const int left = call.cx - call.sw / 2 - call.sx;  // destination x of source column 0
  const int top = call.cy - call.sh / 2 - call.sy;
  const QRect readable = QRect(call.sx, call.sy, call.sw, call.sh) & src.rect();
  int copied = 0;
  for (int y = 0; y < dst.height(); ++y) {
    for (int x = 0; x < dst.width(); ++x) {
      const QPoint s(x - left, y - top);
      const uint32_t expected =
          readable.contains(s) ? (at(src, s.x(), s.y()) | 0xFF000000u) : at(before, x, y);
      copied += readable.contains(s);
      if (at(dst, x, y) != expected) {
        QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                             .arg(x)
                             .arg(y)
                             .arg(hex(at(dst, x, y)), hex(expected))));
      }
    }
  }
  QVERIFY(copied > 0);
}

// A growing angle turns counter-clockwise on screen. An 8x6 picture with a
// red pixel in its top-right and a blue one in its bottom-left corner is
// centred on (20, 20).
void TestRotatedc::orientation_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<float>("angle");
  QTest::addColumn<QPoint>("red");
  QTest::addColumn<QPoint>("blue");

  bothPaths("no turn", 0.0f, QPoint(23, 17), QPoint(16, 22));
  bothPaths("quarter turn left", kPiF / 2, QPoint(17, 16), QPoint(22, 23));
  bothPaths("quarter turn right", -kPiF / 2, QPoint(22, 23), QPoint(17, 16));
  bothPaths("three quarters left", 3 * kPiF / 2, QPoint(22, 23), QPoint(17, 16));
  bothPaths("half turn", kPiF, QPoint(16, 22), QPoint(23, 17));
  bothPaths("quarter turn plus a whole one", kPiF / 2 + kReset, QPoint(17, 16), QPoint(22, 23));
}

void TestRotatedc::orientation() {
  QFETCH(Implementation, implementation);
  QFETCH(float, angle);
  QFETCH(QPoint, red);
  QFETCH(QPoint, blue);

  QImage src = filled(8, 6, 0xFF646464u);
  reinterpret_cast<uint32_t*>(src.scanLine(0))[7] = 0xFFFF0000u;
  reinterpret_cast<uint32_t*>(src.scanLine(5))[0] = 0xFF0000FFu;
  QImage dst = filled(40, 40, 0xFF000000u);
  Call c = place(20, 20, 8, 6);
  c.angle = angle;
  QCOMPARE(draw(implementation, dst, src, c), 0);

  // Turns by a float quarter are a hair off exact; allow a step of rounding.
  QVERIFY2(near(at(dst, red.x(), red.y()), 0xFFFF0000u, 1),
           qPrintable(hex(at(dst, red.x(), red.y()))));
  QVERIFY2(near(at(dst, blue.x(), blue.y()), 0xFF0000FFu, 1),
           qPrintable(hex(at(dst, blue.x(), blue.y()))));
}

// A white 8x6 picture on a black destination whose alpha byte marks
// untouched pixels, along the row through the centre: fully covered pixels
// from `first` to `last` (relative to cx), then bilinear fall-off values
// going outward on both sides, then untouched pixels.
void TestRotatedc::zoomedEdges_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<float>("zoom");
  QTest::addColumn<int>("first");
  QTest::addColumn<int>("last");
  QTest::addColumn<QList<int>>("falloff");

  bothPaths("zoom 1", 1.0f, -4, 3, QList<int>{});
  bothPaths("zoom 2", 2.0f, -7, 6, QList<int>{191, 64});
  bothPaths("zoom 4", 4.0f, -14, 13, QList<int>{223, 159, 96, 32});
  bothPaths("zoom 0.5", 0.5f, -2, 1, QList<int>{});
}

void TestRotatedc::zoomedEdges() {
  QFETCH(Implementation, implementation);
  QFETCH(float, zoom);
  QFETCH(int, first);
  QFETCH(int, last);
  QFETCH(QList<int>, falloff);

  QImage src = filled(8, 6, 0xFFFFFFFFu);
  QImage dst = filled(64, 64, 0x00000000u);
  const int cx = 32;
  const int cy = 32;
  Call c = place(cx, cy, 8, 6);
  c.zoom = zoom;
  QCOMPARE(draw(implementation, dst, src, c), 0);

  auto expected = [&](int d) -> uint32_t {
    int value = -1;
    if (d >= first && d <= last) {
      value = 255;
    } else if (d < first && first - d <= falloff.size()) {
      value = falloff[first - d - 1];
    } else if (d > last && d - last <= falloff.size()) {
      value = falloff[d - last - 1];
    }
    return value < 0 ? 0u : 0xFF000000u | (0x010101u * static_cast<uint32_t>(value));
  };
  for (int d = -cx; d < cx; ++d) {
    QVERIFY2(at(dst, cx + d, cy) == expected(d),
             qPrintable(QStringLiteral("offset %1: %2, expected %3")
                            .arg(d)
                            .arg(hex(at(dst, cx + d, cy)), hex(expected(d)))));
  }
}

// A 48x48 picture: a 16x16 square of (0x20, 0x40, 0xC0) on a background of
// the key colour (0x00, 0xFF, 0x80), drawn on a destination of
// (0x60, 0x30, 0x20) with alpha byte 0. Keyed pixels must leave the
// destination showing and must not bleed into the square's edges.
void TestRotatedc::mask_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<float>("angle");
  QTest::addColumn<float>("zoom");
  QTest::addColumn<uint32_t>("mask");
  QTest::addColumn<int>("minWritten");
  QTest::addColumn<int>("maxWritten");
  QTest::addColumn<bool>("keyed");

  const uint32_t key = 0x0080FF00u;  // 0x00BBGGRR of the background
  bothPaths("keyed, unturned", 0.0f, 1.0f, key, 256, 256, true);
  // The square alone, turned and scaled: 24x24 plus an antialiased rim.
  bothPaths("keyed, turned and zoomed", 0.3f, 1.5f, key, 24 * 24, 27 * 27 + 4 * 27, true);
  bothPaths("keyed, shrunk", -2.0f, 0.4f, key, 6 * 6, 9 * 9 + 4 * 9, true);
  // Everything drawn: at least the 72x72 turned picture.
  bothPaths("no mask", 0.3f, 1.5f, ROTATEDC_NO_MASK, 72 * 72, 100 * 100, false);
  bothPaths("key written as 0x00RRGGBB keys nothing", 0.3f, 1.5f, 0x0000FF80u, 72 * 72, 100 * 100,
            false);
  bothPaths("top bit set keys nothing", 0.3f, 1.5f, 0x8080FF00u, 72 * 72, 100 * 100, false);
}

void TestRotatedc::mask() {
  QFETCH(Implementation, implementation);
  QFETCH(float, angle);
  QFETCH(float, zoom);
  QFETCH(uint32_t, mask);
  QFETCH(int, minWritten);
  QFETCH(int, maxWritten);
  QFETCH(bool, keyed);

  const uint32_t square = 0xFF2040C0u;
  const uint32_t background = 0xFF00FF80u;
  const uint32_t canvas = 0x00603020u;
  QImage src = filled(48, 48, background);
  for (int y = 16; y < 32; ++y) {
    for (int x = 16; x < 32; ++x) reinterpret_cast<uint32_t*>(src.scanLine(y))[x] = square;
  }
  QImage dst = filled(128, 128, canvas);
  Call c = place(64, 64, 48, 48);
  c.angle = angle;
  c.zoom = zoom;
  c.mask = mask;
  QCOMPARE(draw(implementation, dst, src, c), 0);

  int written = 0;
  for (int y = 0; y < dst.height(); ++y) {
    for (int x = 0; x < dst.width(); ++x) {
      const uint32_t p = at(dst, x, y);
      if (p == canvas) continue;
      ++written;
      if (!keyed) continue;
      // Only mixtures of the square and the canvas, never of the key.
      for (int shift : {0, 8, 16}) {
        const int lo = std::min(channel(square, shift), channel(canvas, shift));
        const int hi = std::max(channel(square, shift), channel(canvas, shift));
        if (channel(p, shift) < lo - 1 || channel(p, shift) > hi + 1) {
          QFAIL(qPrintable(QStringLiteral("fringe at (%1, %2): %3").arg(x).arg(y).arg(hex(p))));
        }
      }
    }
  }
  QVERIFY2(written >= minWritten && written <= maxWritten, qPrintable(QString::number(written)));
  // The middle of the square comes through whole.
  QVERIFY2(near(at(dst, 64, 64), square, 1), qPrintable(hex(at(dst, 64, 64))));
}

// Opacity over the destination, on an unturned uniform picture.
void TestRotatedc::blend_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<float>("alpha");
  QTest::addColumn<uint32_t>("expected");

  const uint32_t canvas = 0x120032FFu;  // (0, 50, 255), alpha byte 0x12
  bothPaths("opaque", 1.0f, 0xFFC86400u);
  bothPaths("above one is opaque", 2.5f, 0xFFC86400u);
  bothPaths("half", 0.5f, 0xFF644B80u);
  bothPaths("quarter", 0.25f, 0xFF323FBFu);
  bothPaths("invisible", 0.0f, canvas);
  bothPaths("below zero is invisible", -0.5f, canvas);
}

void TestRotatedc::blend() {
  QFETCH(Implementation, implementation);
  QFETCH(float, alpha);
  QFETCH(uint32_t, expected);

  QImage src = filled(10, 10, 0x00C86400u);  // (200, 100, 0)
  QImage dst = filled(20, 20, 0x120032FFu);
  Call c = place(10, 10, 10, 10);
  c.alpha = alpha;
  QCOMPARE(draw(implementation, dst, src, c), 0);
  for (int y = 5; y < 15; ++y) {
    for (int x = 5; x < 15; ++x) {
      QVERIFY2(at(dst, x, y) == expected, qPrintable(hex(at(dst, x, y))));
    }
  }
  QCOMPARE(at(dst, 4, 4), 0x120032FFu);
  QCOMPARE(at(dst, 15, 15), 0x120032FFu);
}

// Hue, saturation and threshold on a uniform picture, unturned and opaque.
void TestRotatedc::colour_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<uint32_t>("source");
  QTest::addColumn<float>("hue");
  QTest::addColumn<float>("saturation");
  QTest::addColumn<float>("threshold");
  QTest::addColumn<uint32_t>("expected");
  QTest::addColumn<int>("tolerance");

  const uint32_t orange = 0xFFC86400u;  // (200, 100, 0)
  const uint32_t red = 0xFFFF0000u;
  bothPaths("unchanged", orange, 0.0f, 1.0f, 1.0f, orange, 0);
  bothPaths("whole hue turn", orange, 1.0f, 1.0f, 1.0f, orange, 0);
  bothPaths("hue back a whole turn", orange, -2.0f, 1.0f, 1.0f, orange, 0);
  bothPaths("grey", orange, 0.0f, 0.0f, 1.0f, 0xFF727272u, 1);
  bothPaths("doubled saturation", orange, 0.0f, 2.0f, 1.0f, 0xFFFF5600u, 1);
  bothPaths("red turned by a third", red, 1.0f / 3.0f, 1.0f, 1.0f, 0xFF007100u, 1);
  bothPaths("red turned by half", red, 0.5f, 1.0f, 1.0f, 0xFF006D6Du, 1);
  bothPaths("red turned back by two thirds", red, -2.0f / 3.0f, 1.0f, 1.0f, 0xFF007100u, 1);
  bothPaths("turned and greyed", red, 0.5f, 0.0f, 1.0f, 0xFF363636u, 1);
  bothPaths("dark goes black", 0xFF323232u, 0.0f, 1.0f, 0.5f, 0xFF000000u, 0);
  bothPaths("bright stays below one", 0xFFC8C8C8u, 0.0f, 1.0f, 0.5f, 0xFFC8C8C8u, 0);
  bothPaths("bright goes white", 0xFFC8C8C8u, 0.0f, 1.0f, 1.5f, 0xFFFFFFFFu, 0);
  bothPaths("dark stays above one", 0xFF323232u, 0.0f, 1.0f, 1.5f, 0xFF323232u, 0);
  bothPaths("zero blacks all but white", 0xFFFEFEFEu, 0.0f, 1.0f, 0.0f, 0xFF000000u, 0);
  bothPaths("two whitens all but black", 0xFF010101u, 0.0f, 1.0f, 2.0f, 0xFFFFFFFFu, 0);
  // Luminance 113.8 before and 115.7 after saturating; white above 114.75.
  bothPaths("threshold sees the recoloured tone", orange, 0.0f, 2.0f, 1.55f, 0xFFFFFFFFu, 0);
}

void TestRotatedc::colour() {
  QFETCH(Implementation, implementation);
  QFETCH(uint32_t, source);
  QFETCH(float, hue);
  QFETCH(float, saturation);
  QFETCH(float, threshold);
  QFETCH(uint32_t, expected);
  QFETCH(int, tolerance);

  QImage src = filled(6, 6, source);
  QImage dst = filled(12, 12, 0x00808080u);
  Call c = place(6, 6, 6, 6);
  c.hue = hue;
  c.saturation = saturation;
  c.threshold = threshold;
  QCOMPARE(draw(implementation, dst, src, c), 0);
  for (int y = 3; y < 9; ++y) {
    for (int x = 3; x < 9; ++x) {
      QVERIFY2(
          near(at(dst, x, y), expected, tolerance),
          qPrintable(QStringLiteral("%1, expected %2").arg(hex(at(dst, x, y)), hex(expected))));
    }
  }
}

namespace {

// How a safety row spoils a surface.
enum class Spoil { None, NullSurface, NullBits, ZeroWidth, NegativeHeight, ShortStride, OddStride };

}  // namespace

Q_DECLARE_METATYPE(Spoil)

// Arguments out of range. The destination sits in a larger block of canary
// memory (guards before and after, padding at each row's end); nothing
// outside `allowed` may change, and where `copy` is set the allowed area
// must hold an exact copy of the source.
void TestRotatedc::safety_data() {
  QTest::addColumn<Implementation>("implementation");
  QTest::addColumn<Spoil>("spoilDst");
  QTest::addColumn<Spoil>("spoilSrc");
  QTest::addColumn<Call>("call");
  QTest::addColumn<int>("result");
  QTest::addColumn<QRect>("allowed");
  QTest::addColumn<bool>("copy");

  // A 64x48 source on a 96x96 destination.
  const Call base = place(48, 48, 64, 48);
  const QRect whole(0, 0, 96, 96);
  const QRect none;
  const Spoil ok = Spoil::None;

  bothPaths("plain copy", ok, ok, base, 0, QRect(16, 24, 64, 48), true);
  bothPaths("null destination", Spoil::NullSurface, ok, base, -1, none, false);
  bothPaths("null source", ok, Spoil::NullSurface, base, -1, none, false);
  bothPaths("destination without pixels", Spoil::NullBits, ok, base, -1, none, false);
  bothPaths("source without pixels", ok, Spoil::NullBits, base, -1, none, false);
  bothPaths("destination width 0", Spoil::ZeroWidth, ok, base, -1, none, false);
  bothPaths("source height -1", ok, Spoil::NegativeHeight, base, -1, none, false);
  bothPaths("destination stride too short", Spoil::ShortStride, ok, base, -1, none, false);
  bothPaths("source stride too short", ok, Spoil::ShortStride, base, -1, none, false);
  bothPaths("stride not whole pixels", Spoil::OddStride, ok, base, -1, none, false);

  auto with = [&](auto change) {
    Call c = base;
    change(c);
    return c;
  };
  bothPaths("zoom 0", ok, ok, with([](Call& c) { c.zoom = 0.0f; }), -1, none, false);
  bothPaths("zoom -1", ok, ok, with([](Call& c) { c.zoom = -1.0f; }), -1, none, false);
  bothPaths("zoom NaN", ok, ok, with([](Call& c) { c.zoom = kNaN; }), -1, none, false);
  bothPaths("zoom infinite", ok, ok, with([](Call& c) { c.zoom = kInf; }), -1, none, false);
  bothPaths("angle NaN", ok, ok, with([](Call& c) { c.angle = kNaN; }), -1, none, false);
  bothPaths("angle infinite", ok, ok, with([](Call& c) { c.angle = -kInf; }), -1, none, false);
  bothPaths("alpha NaN", ok, ok, with([](Call& c) { c.alpha = kNaN; }), -1, none, false);
  bothPaths("hue infinite", ok, ok, with([](Call& c) { c.hue = kInf; }), -1, none, false);
  bothPaths("saturation NaN", ok, ok, with([](Call& c) { c.saturation = kNaN; }), -1, none, false);
  bothPaths("threshold NaN", ok, ok, with([](Call& c) { c.threshold = kNaN; }), -1, none, false);
  bothPaths("negative width", ok, ok, with([](Call& c) { c.sw = -1; }), -1, none, false);
  bothPaths("most negative height", ok, ok, with([](Call& c) { c.sh = kMin; }), -1, none, false);

  bothPaths("empty rectangle", ok, ok, with([](Call& c) { c.sw = 0; }), 0, none, false);
  bothPaths("centre far left", ok, ok, with([](Call& c) { c.cx = kMin; }), 0, none, false);
  bothPaths("centre far down", ok, ok, with([](Call& c) { c.cy = kMax; }), 0, none, false);
  bothPaths("centre at both extremes", ok, ok, with([](Call& c) {
              c.cx = kMax;
              c.cy = kMin;
            }),
            0, none, false);
  bothPaths("source far right", ok, ok, with([](Call& c) {
              c.sx = kMax;
              c.sw = kMax;
            }),
            0, none, false);
  bothPaths("source far left", ok, ok, with([](Call& c) {
              c.sx = kMin;
              c.sw = kMax;
            }),
            0, none, false);
  bothPaths("rectangle outside both surfaces", ok, ok, with([](Call& c) {
              c.sx = -500;
              c.sy = -500;
              c.sw = 100;
              c.sh = 100;
            }),
            0, none, false);
  // The rectangle's centre is a billion pixels from its readable corner.
  bothPaths("largest rectangle", ok, ok, with([](Call& c) {
              c.sw = kMax;
              c.sh = kMax;
            }),
            0, none, false);
  bothPaths("largest rectangle from the far corner", ok, ok, with([](Call& c) {
              c.sx = kMin;
              c.sy = kMin;
              c.sw = kMax;
              c.sh = kMax;
            }),
            0, none, false);
  bothPaths("rectangle larger than the source", ok, ok, with([](Call& c) {
              c.cx = 510;
              c.cy = 510;
              c.sw = 1000;
              c.sh = 1000;
            }),
            0, QRect(10, 10, 64, 48), true);
  bothPaths("rectangle partly outside the source", ok, ok, with([](Call& c) {
              c.sx = -10;
              c.sy = -10;
              c.sw = 40;
              c.sh = 40;
            }),
            0, QRect(38, 38, 30, 30), true);
  bothPaths("picture past every edge", ok, ok, with([](Call& c) { c.zoom = 40.0f; }), 0, whole,
            false);
  bothPaths("huge zoom", ok, ok, with([](Call& c) { c.zoom = 1e30f; }), 0, whole, false);
  bothPaths("largest zoom", ok, ok,
            with([](Call& c) { c.zoom = std::numeric_limits<float>::max(); }), 0, whole, false);
  bothPaths("tiny zoom", ok, ok, with([](Call& c) { c.zoom = 1e-30f; }), 0, QRect(47, 47, 2, 2),
            false);
  bothPaths("smallest zoom", ok, ok,
            with([](Call& c) { c.zoom = std::numeric_limits<float>::denorm_min(); }), 0,
            QRect(47, 47, 2, 2), false);
  bothPaths("huge zoom, far centre", ok, ok, with([](Call& c) {
              c.zoom = 1e30f;
              c.cx = kMax;
              c.cy = kMin;
            }),
            0, whole, false);
  bothPaths("huge angle", ok, ok, with([](Call& c) { c.angle = 3e38f; }), 0, whole, false);
  bothPaths("extreme factors", ok, ok, with([](Call& c) {
              c.angle = 1.0f;
              c.alpha = 1e30f;
              c.hue = -3e38f;
              c.saturation = 3e38f;
              c.threshold = -3e38f;
            }),
            0, whole, false);
  bothPaths("negative saturation and large threshold", ok, ok, with([](Call& c) {
              c.saturation = -5.0f;
              c.threshold = 1e20f;
            }),
            0, QRect(16, 24, 64, 48), false);
}

void TestRotatedc::safety() {
  QFETCH(Implementation, implementation);
  QFETCH(Spoil, spoilDst);
  QFETCH(Spoil, spoilSrc);
  QFETCH(Call, call);
  QFETCH(int, result);
  QFETCH(QRect, allowed);
  QFETCH(bool, copy);

  constexpr int kWidth = 96;
  constexpr int kHeight = 96;
  constexpr int kStride = kWidth + 5;  // pixels, with padding
  constexpr int kGuard = 4096;
  constexpr uint32_t kCanary = 0x5A123456u;
  std::vector<uint32_t> memory(2 * kGuard + kStride * kHeight, kCanary);
  uint32_t* const pixels = memory.data() + kGuard;
  Surface dst{pixels, kWidth, kHeight, kStride * 4};

  QImage picture = noise(64, 48, 7);
  Surface src = surfaceOf(picture);
  const std::vector<uint32_t> sourceBefore(src.bits, src.bits + 64 * 48);

  auto spoil = [](Spoil how, Surface* s) -> Surface* {
    switch (how) {
      case Spoil::None:
        break;
      case Spoil::NullSurface:
        return nullptr;
      case Spoil::NullBits:
        s->bits = nullptr;
        break;
      case Spoil::ZeroWidth:
        s->width = 0;
        break;
      case Spoil::NegativeHeight:
        s->height = -1;
        break;
      case Spoil::ShortStride:
        s->stride = s->width * 4 - 4;
        break;
      case Spoil::OddStride:
        s->stride = s->width * 4 + 2;
        break;
    }
    return s;
  };
  QCOMPARE(draw(implementation, spoil(spoilDst, &dst), spoil(spoilSrc, &src), call), result);

  int written = 0;
  for (size_t i = 0; i < memory.size(); ++i) {
    const auto offset = static_cast<ptrdiff_t>(i) - kGuard;
    const bool inImage = offset >= 0 && offset < kStride * kHeight && offset % kStride < kWidth;
    const QPoint p(inImage ? static_cast<int>(offset % kStride) : -1,
                   inImage ? static_cast<int>(offset / kStride) : -1);
    const bool changed = memory[i] != kCanary;
    written += changed;
    if (changed && !(inImage && allowed.contains(p))) {
      QFAIL(qPrintable(
          QStringLiteral("word %1 (pixel %2, %3) changed").arg(offset).arg(p.x()).arg(p.y())));
    }
    if (copy && inImage && allowed.contains(p)) {
      const QPoint s = p - allowed.topLeft() + QPoint(std::max(call.sx, 0), std::max(call.sy, 0));
      QCOMPARE(memory[i], at(picture, s.x(), s.y()) | 0xFF000000u);
    }
  }
  if (copy) QCOMPARE(written, allowed.width() * allowed.height());
  // The source is only ever read.
  QVERIFY(std::equal(sourceBefore.begin(), sourceBefore.end(),
                     reinterpret_cast<const uint32_t*>(picture.constBits())));
}

namespace {

// One random case: surfaces small enough to run thousands under the
// sanitizers, arguments spread over everything the kernel distinguishes.
struct RandomCase {
  QImage src;
  QImage dst;
  Call call;
};

// Every kLargeEvery-th case has a source too large for the cache, which the
// SIMD renderer reads differently.
constexpr uint32_t kLargeEvery = 150;

RandomCase randomCase(uint32_t seed) {
  std::mt19937 rng(seed);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto chance = [&](double p) { return uniform(0.0, 1.0) < p; };

  RandomCase r;
  const bool large = seed % kLargeEvery == 0;
  const int sw = large ? integer(600, 700) : integer(1, 64);
  const int sh = large ? integer(450, 500) : integer(1, 64);
  const int dw = chance(0.1) ? integer(1, 4) : integer(5, 96);
  const int dh = chance(0.1) ? integer(1, 4) : integer(5, 96);

  // Flat patches of a few colours (so keys hit whole areas), with noise.
  uint32_t palette[4];
  for (uint32_t& c : palette) c = static_cast<uint32_t>(rng());
  r.src = QImage(sw, sh, QImage::Format_RGB32);
  const int block = integer(1, 16);
  for (int y = 0; y < sh; ++y) {
    auto* line = reinterpret_cast<uint32_t*>(r.src.scanLine(y));
    for (int x = 0; x < sw; ++x) {
      const uint32_t alphaByte = static_cast<uint32_t>(rng()) & 0xFF000000u;
      const uint32_t base = palette[((x / block) * 7 + (y / block) * 3) % 4];
      line[x] = chance(0.15) ? static_cast<uint32_t>(rng()) : (base & 0x00FFFFFFu) | alphaByte;
    }
  }
  r.dst = noise(dw, dh, seed ^ 0x9E3779B9u);

  Call& c = r.call;
  const double turn = 6.283185307179586;
  const double pick = uniform(0.0, 1.0);
  if (pick < 0.25) {
    c.angle = static_cast<float>(integer(-3, 3) * turn + uniform(-2e-4, 2e-4));
  } else if (pick < 0.4) {
    c.angle = static_cast<float>(integer(-4, 4) * turn / 4 + uniform(-1e-6, 1e-6));
  } else {
    c.angle = static_cast<float>(uniform(-10.0, 10.0));
  }
  const double zoomPick = uniform(0.0, 1.0);
  if (zoomPick < 0.05) {
    c.zoom = static_cast<float>(std::pow(10.0, uniform(-8.0, -2.0)));
  } else if (zoomPick < 0.1) {
    c.zoom = static_cast<float>(std::pow(10.0, uniform(2.0, 8.0)));
  } else if (zoomPick < 0.2) {
    c.zoom = static_cast<float>(uniform(0.02, 0.2));
  } else if (zoomPick < 0.4) {
    c.zoom = 1.0f;
  } else {
    c.zoom = static_cast<float>(std::exp(uniform(std::log(0.2), std::log(12.0))));
  }
  // Mostly overlapping both surfaces, often only partly.
  c.cx = integer(-8, dw + 8);
  c.cy = integer(-8, dh + 8);
  c.sx = integer(-8, sw / 2);
  c.sy = integer(-8, sh / 2);
  c.sw = chance(0.02) ? 0 : integer(1, sw + 16);
  c.sh = chance(0.02) ? 0 : integer(1, sh + 16);
  if (large) {
    // The whole picture, shrunk to about the destination's size.
    c.sx = integer(-2, 0);
    c.sy = integer(-2, 0);
    c.sw = sw + 2;
    c.sh = sh + 2;
    c.zoom = static_cast<float>(uniform(0.05, 0.4));
  }

  const double maskPick = uniform(0.0, 1.0);
  if (maskPick < 0.5) {
    const uint32_t rgb = palette[integer(0, 3)];
    c.mask = ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
  } else if (maskPick < 0.7) {
    c.mask = static_cast<uint32_t>(rng()) & 0x00FFFFFFu;
  } else {
    c.mask = ROTATEDC_NO_MASK;
  }
  c.alpha = chance(0.4) ? 1.0f : static_cast<float>(uniform(-0.2, 1.2));
  c.hue = chance(0.4) ? 0.0f : static_cast<float>(uniform(-1.5, 1.5));
  c.saturation = chance(0.4) ? 1.0f : static_cast<float>(uniform(0.0, 3.0));
  const double thresholdPick = uniform(0.0, 1.0);
  c.threshold = thresholdPick < 0.4   ? 1.0f
                : thresholdPick < 0.7 ? static_cast<float>(uniform(0.0, 1.0))
                                      : static_cast<float>(uniform(1.0, 2.0));
  return r;
}

}  // namespace

// The SIMD renderer on every target this CPU runs against the reference:
// every pixel within one step per channel, the same pixels written.
void TestRotatedc::fastMatchesReference_data() {
  QTest::addColumn<qint64>("target");
  for (int64_t target : rotate_internal::fastTargets()) {
    QTest::newRow(rotate_internal::targetName(target)) << static_cast<qint64>(target);
  }
}

void TestRotatedc::fastMatchesReference() {
  QFETCH(qint64, target);
  rotate_internal::forceFastTarget(target);
  struct Restore {
    ~Restore() { rotate_internal::forceFastTarget(0); }
  } restore;
  QCOMPARE(QString::fromLatin1(rotate_internal::fastTargetName()),
           QString::fromLatin1(rotate_internal::targetName(target)));

  constexpr uint32_t kCases = 3000;
  int drawn = 0;
  for (uint32_t seed = 1; seed <= kCases; ++seed) {
    RandomCase r = randomCase(seed);
    QImage expected = r.dst.copy();
    QImage actual = r.dst.copy();
    const int expectedResult = draw(Implementation::Reference, expected, r.src, r.call);
    const int actualResult = draw(Implementation::Fast, actual, r.src, r.call);
    const QString where = QStringLiteral("seed %1, src %2x%3, dst %4x%5, %6")
                              .arg(seed)
                              .arg(r.src.width())
                              .arg(r.src.height())
                              .arg(r.dst.width())
                              .arg(r.dst.height())
                              .arg(describe(r.call));
    QVERIFY2(actualResult == expectedResult && actualResult == 0, qPrintable(where));
    drawn += expected != r.dst;
    for (int y = 0; y < expected.height(); ++y) {
      for (int x = 0; x < expected.width(); ++x) {
        if (!near(at(actual, x, y), at(expected, x, y), 1)) {
          QFAIL(qPrintable(QStringLiteral("%1: pixel (%2, %3) is %4, reference %5")
                               .arg(where)
                               .arg(x)
                               .arg(y)
                               .arg(hex(at(actual, x, y)), hex(at(expected, x, y)))));
        }
      }
    }
  }
  // The cases must mostly draw something, or they prove little.
  QVERIFY2(drawn > int(kCases) / 2, qPrintable(QString::number(drawn)));
}

// librotate, loaded by name as callers load it, exports rotatedc and draws
// what the fast renderer draws.
void TestRotatedc::exportedEntry() {
  QLibrary library(QCoreApplication::applicationDirPath() + QStringLiteral("/rotate"));
  QVERIFY2(library.load(), qPrintable(library.errorString()));
  auto entry = reinterpret_cast<RotatedcFunction>(library.resolve("rotatedc"));
  QVERIFY(entry != nullptr);

  QImage src = noise(64, 48, 3);
  QImage viaLibrary = noise(96, 96, 4);
  QImage direct = viaLibrary.copy();
  Call c = place(50, 45, 60, 40);
  c.angle = 0.7f;
  c.zoom = 1.3f;
  c.alpha = 0.8f;
  c.hue = 0.2f;
  Surface d = surfaceOf(viaLibrary);
  Surface s = surfaceOf(src);
  QCOMPARE(entry(&d, c.angle, c.cx, c.cy, c.sw, c.sh, &s, c.sx, c.sy, c.zoom, c.mask, c.alpha,
                 c.hue, c.saturation, c.threshold),
           0);
  const bool reference = qgetenv("ROTATEDC_REFERENCE") == "1";
  QCOMPARE(draw(reference ? Implementation::Reference : Implementation::Fast, direct, src, c), 0);
  QVERIFY(viaLibrary != noise(96, 96, 4));
  QCOMPARE(viaLibrary, direct);

  QCOMPARE(entry(nullptr, c.angle, c.cx, c.cy, c.sw, c.sh, &s, c.sx, c.sy, c.zoom, c.mask, c.alpha,
                 c.hue, c.saturation, c.threshold),
           -1);
  // Internal entry points stay hidden.
  QVERIFY(library.resolve("_ZN15rotate_internal15renderReferenceERKNS_8PreparedE") == nullptr);
}

QTEST_GUILESS_MAIN(TestRotatedc)
#include "tst_rotatedc.moc"
