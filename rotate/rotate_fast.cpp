// The SIMD renderer, compiled once per Highway target and chosen at run time.
// Each vector of destination pixels does exactly the integer and float
// operations of the reference renderer (rotate_reference.cpp), lane by lane
// and in the same order, with no fused multiply-add, so both give the same
// pixels.
//
// Each row's span is cut into vectors. Vectors whose samples all lie inside
// the rectangle with their right and lower neighbours (the quick way) need
// no edge tests; the others take the general way, which checks every
// neighbour against the rectangle's edges.
//
// Neighbours are fetched as pairs of pixels (a pixel and its right-hand
// neighbour) with 64-bit broadcast loads combined by blends, which on
// current x86 cores cost less than the hardware gathers (slow on Intel since
// the gather data sampling fixes). Colours are interpolated two channels to
// a 32-bit lane (red with blue, green with alpha) in 16-bit halves, so that
// a vector of pixels needs no unpacking; only hue and saturation work on
// floats.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "rotate_fast.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
// Must come after foreach_target.h.
#include <hwy/highway.h>

#include <hwy/cache_control.h>

#include "rotate/rotate_internal.h"

HWY_BEFORE_NAMESPACE();
namespace rotate_internal {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// One lane cannot hold two 16-bit channels or a pair of pixels: without
// SSE4 the reference renderer, whose pixels the SIMD renderer reproduces,
// does the work.
void RenderRows(const Prepared& p) { renderReference(p); }
#else

using DU = hn::ScalableTag<uint32_t>;
using DI = hn::RebindToSigned<DU>;
using DF = hn::RebindToFloat<DU>;
using DU16 = hn::Repartition<uint16_t, DU>;
using VU = hn::Vec<DU>;
using VI = hn::Vec<DI>;
using VF = hn::Vec<DF>;
using VU16 = hn::Vec<DU16>;
using MU = hn::Mask<DU>;
using MF = hn::Mask<DF>;

constexpr size_t kMaxLanes = HWY_MAX_BYTES / sizeof(uint32_t);

// Floats in [0, 255] (or a hair outside) rounded to nearest, halves to even,
// and packed into pixels with alpha 0xFF: adding 2^23 rounds v to a whole
// number whose value is the low byte of the sum's bits, and shifting pushes
// the exponent out.
HWY_INLINE VU Pack(VF r, VF g, VF b) {
  const DF df;
  const DU du;
  const VF magic = hn::Set(df, 8388608.0f);
  const VU rb = hn::BitCast(du, hn::Add(r, magic));
  const VU gb = hn::BitCast(du, hn::Add(g, magic));
  const VU bb = hn::BitCast(du, hn::Add(b, magic));
  return hn::Or3(hn::ShiftLeft<16>(rb), hn::ShiftLeft<8>(gb),
                 hn::Or(hn::And(bb, hn::Set(du, 0xFFu)), hn::Set(du, 0xFF000000u)));
}

// Bytes of each 32-bit lane picked by a byte shuffle: `pattern` names the
// source byte (0 to 3) of each destination byte, 0x80 for zero.
template <uint32_t kPattern>
HWY_INLINE VU PickBytes(VU v) {
  const DU du;
  // Each lane's byte indices count from the start of its 128-bit block.
  const VU base = hn::Mul(hn::ShiftLeft<2>(hn::And(hn::Iota(du, 0), hn::Set(du, 3u))),
                          hn::Set(du, 0x01010101u));
  return hn::TableLookupBytesOr0(v, hn::Or(base, hn::Set(du, kPattern)));
}

// Byte `kByte` of each pixel (2 red, 1 green, 0 blue) as a float.
template <int kByte>
HWY_INLINE VF Channel(VU pixel) {
  return hn::ConvertTo(DF(), hn::BitCast(DI(), PickBytes<0x80808000u | kByte>(pixel)));
}

// Byte 1 of each lane (bits 8 to 15: the fraction of a fixed-point
// position in 256ths) in both 16-bit halves.
HWY_INLINE VU FractionTwice(VI position) {
  return PickBytes<0x80018001u>(hn::BitCast(DU(), position));
}

// Green and alpha of each pixel, one to a 16-bit half.
HWY_INLINE VU GreenAlpha(VU pixel) { return PickBytes<0x80038001u>(pixel); }

// A 16-bit value in both halves of each 32-bit lane.
HWY_INLINE VU Twice(VU v) { return hn::Or(v, hn::ShiftLeft<16>(v)); }

// ---------------------------------------------------------------------------
// Fetching neighbours.

// The pixel pair (pixel, right-hand neighbour) at base + offset in every
// 64-bit lane: a broadcast load, which needs no shuffle unit.
template <class D64>
HWY_INLINE hn::Vec<D64> BroadcastPair(D64 d64, const uint32_t* HWY_RESTRICT base, uint32_t offset) {
  uint64_t pair;
  hwy::CopyBytes<sizeof pair>(base + offset, &pair);
  return hn::Set(d64, pair);
}

// Pixel pairs as 64-bit lanes, lane i from base + offsets[2 * i]: broadcast
// loads combined with blends, which are cheaper than gathers or inserts.
template <class D64>
HWY_INLINE hn::Vec<D64> LoadPairs(D64 d64, const uint32_t* HWY_RESTRICT base,
                                  const uint32_t* HWY_RESTRICT offsets) {
  constexpr size_t kLanes = hn::MaxLanes(D64());
  static_assert(kLanes == 2 || kLanes == 4 || kLanes == 8, "128, 256 or 512-bit vectors");
  auto pairOf = [&](size_t i) {  // lanes (i, i + 1) repeated
    return hn::OddEven(BroadcastPair(d64, base, offsets[2 * i + 2]),
                       BroadcastPair(d64, base, offsets[2 * i]));
  };
  if constexpr (kLanes == 2) {
    return pairOf(0);
  } else if constexpr (kLanes == 4) {
    return hn::OddEvenBlocks(pairOf(2), pairOf(0));
  } else {
    return hn::ConcatUpperLower(d64, hn::OddEvenBlocks(pairOf(6), pairOf(4)),
                                hn::OddEvenBlocks(pairOf(2), pairOf(0)));
  }
}

// The left and right neighbours of the pixels at base + offsets[i], one
// pixel per 32-bit lane. Pairs of even and odd pixels are loaded apart so
// that shifts and blends within 64-bit lanes put them in order.
HWY_INLINE void FetchRow(const uint32_t* HWY_RESTRICT base, const uint32_t* HWY_RESTRICT offsets,
                         VU* left, VU* right) {
  const DU du;
  const hn::Repartition<uint64_t, DU> d64;
  const auto even = LoadPairs(d64, base, offsets);
  const auto odd = LoadPairs(d64, base, offsets + 1);
  *left = hn::OddEven(hn::BitCast(du, hn::ShiftLeft<32>(odd)), hn::BitCast(du, even));
  *right = hn::OddEven(hn::BitCast(du, odd), hn::BitCast(du, hn::ShiftRight<32>(even)));
}

struct Taps {
  VU p00, p10, p01, p11;  // neighbours: top-left, top-right, bottom-left, bottom-right
};

// ---------------------------------------------------------------------------
// Interpolation, recolouring and blending.

// What recolouring and blending need, copied out of Prepared into values
// that the compiler can keep in registers across the stores to the
// destination (which could otherwise alias Prepared).
struct Shading {
  int32_t alpha256;
  bool recolour;
  bool threshold;
  float hueOffset[3];
  float saturation;
  int32_t blackBelow;
  int32_t whiteAbove;
};

HWY_INLINE Shading ShadingOf(const Prepared& p) {
  return {p.alpha256,        p.recolour,
          p.thresholdActive, {p.hueOffset[0], p.hueOffset[1], p.hueOffset[2]},
          p.saturation,      p.blackBelow,
          p.whiteAbove};
}

// Bilinear weights in 256ths from the fractions of the sample positions,
// each in both 16-bit halves of its lane.
struct Weights {
  VU w00, w10, w01, w11;
};

HWY_INLINE Weights MakeWeights(VI u, VI v) {
  const DU du;
  const DU16 d16;
  const VU16 x = hn::BitCast(d16, FractionTwice(u));
  const VU16 y = hn::BitCast(d16, FractionTwice(v));
  const VU16 w11 = hn::ShiftRight<8>(hn::Add(hn::Mul(x, y), hn::Set(d16, 128)));
  Weights w;
  w.w11 = hn::BitCast(du, w11);
  w.w10 = hn::BitCast(du, hn::Sub(x, w11));
  w.w01 = hn::BitCast(du, hn::Sub(y, w11));
  w.w00 = hn::BitCast(du, hn::Sub(hn::Sub(hn::Add(hn::Set(d16, 256), w11), x), y));
  return w;
}

// Sums of weight times channel: red and blue in `rb`, green (and alpha,
// unused) in `ga`, one channel per 16-bit half. At most 255 * 256.
struct Sums {
  VU16 rb, ga;
};

HWY_INLINE Sums WeightedSums(const Taps& t, const Weights& w) {
  const DU du;
  const DU16 d16;
  const VU redBlue = hn::Set(du, 0x00FF00FFu);
  auto term = [&](VU pixel, VU weight, VU16* rb, VU16* ga) {
    const VU16 wt = hn::BitCast(d16, weight);
    *rb = hn::Add(*rb, hn::Mul(hn::BitCast(d16, hn::And(pixel, redBlue)), wt));
    *ga = hn::Add(*ga, hn::Mul(hn::BitCast(d16, GreenAlpha(pixel)), wt));
  };
  Sums s{hn::Zero(d16), hn::Zero(d16)};
  term(t.p00, w.w00, &s.rb, &s.ga);
  term(t.p10, w.w10, &s.rb, &s.ga);
  term(t.p01, w.w01, &s.rb, &s.ga);
  term(t.p11, w.w11, &s.rb, &s.ga);
  return s;
}

// The weighted mean when the weights sum to 256: (sum + 128) / 256.
HWY_INLINE VU FullMean(const Sums& s) {
  const DU du;
  const DU16 d16;
  const VU16 half = hn::Set(d16, 128);
  const VU rb = hn::BitCast(du, hn::ShiftRight<8>(hn::Add(s.rb, half)));
  const VU ga = hn::BitCast(du, hn::ShiftRight<8>(hn::Add(s.ga, half)));
  return hn::Or3(rb, hn::ShiftLeft<8>(ga), hn::Set(du, 0xFF000000u));
}

// The weighted mean for any coverage from 1 to 256, rounded to nearest:
// (2 * sum + coverage) / (2 * coverage). The float quotient of these small
// integers is never close enough to a whole number to round across it, so
// its floor is the integer quotient.
HWY_INLINE VU Mean(const Sums& s, VU coverage) {
  const DU du;
  const DI di;
  const DF df;
  const VU low16 = hn::Set(du, 0xFFFFu);
  const VU rb = hn::BitCast(du, s.rb);
  const VF c = hn::ConvertTo(df, hn::BitCast(di, coverage));
  const VF twiceCoverage = hn::Max(hn::Add(c, c), hn::Set(df, 1.0f));  // never zero
  auto mean = [&](VU sum) {
    const VF twice = hn::ConvertTo(df, hn::BitCast(di, hn::ShiftLeft<1>(sum)));
    return hn::Floor(hn::Div(hn::Add(twice, c), twiceCoverage));
  };
  return Pack(mean(hn::ShiftRight<16>(rb)), mean(hn::And(hn::BitCast(du, s.ga), low16)),
              mean(hn::And(rb, low16)));
}

// One output channel of the HSV recolouring; see hsvChannel() of the
// reference renderer. The ratio, which waits for a division, comes last.
HWY_INLINE VF HsvChannel(VF value, VF chroma, VF sixChroma, VF fourChroma, VF hue, VF ratio,
                         float offset) {
  const DF df;
  VF k = hn::Add(hue, hn::Mul(chroma, hn::Set(df, offset)));
  k = hn::IfThenElse(hn::Ge(k, sixChroma), hn::Sub(k, sixChroma), k);
  VF t = hn::Min(k, hn::Sub(fourChroma, k));
  t = hn::Max(hn::Min(t, chroma), hn::Zero(df));
  return hn::Sub(value, hn::Mul(ratio, t));
}

// Hue turn and saturation in HSV; see recolour() of the reference renderer.
HWY_INLINE void Recolour(const Shading& s, VF* r, VF* g, VF* b) {
  const DF df;
  const VF value = hn::Max(*r, hn::Max(*g, *b));
  const VF chroma = hn::Sub(value, hn::Min(*r, hn::Min(*g, *b)));
  const VF newChroma = hn::Min(hn::Mul(chroma, hn::Set(df, s.saturation)), value);
  const VF ratio = hn::Div(newChroma, hn::Max(chroma, hn::Set(df, 1.0f)));
  const VF fourChroma = hn::Mul(hn::Set(df, 4.0f), chroma);
  const VF sixChroma = hn::Mul(hn::Set(df, 6.0f), chroma);
  const VF fromRed = hn::Sub(*g, *b);
  const VF fromGreen = hn::Add(hn::Mul(hn::Set(df, 2.0f), chroma), hn::Sub(*b, *r));
  const VF fromBlue = hn::Add(fourChroma, hn::Sub(*r, *g));
  const VF hue = hn::IfThenElse(hn::Eq(value, *r), fromRed,
                                hn::IfThenElse(hn::Eq(value, *g), fromGreen, fromBlue));
  *r = HsvChannel(value, chroma, sixChroma, fourChroma, hue, ratio, s.hueOffset[0]);
  *g = HsvChannel(value, chroma, sixChroma, fourChroma, hue, ratio, s.hueOffset[1]);
  *b = HsvChannel(value, chroma, sixChroma, fourChroma, hue, ratio, s.hueOffset[2]);
}

// Threshold on the luminance of packed colours, in ten-thousandths; only
// one of the limits is ever active.
HWY_INLINE VU Threshold(const Shading& s, VU colour) {
  const DU du;
  const DI di;
  auto weighted = [&](VU channel, int32_t weight) {
    return hn::Mul(hn::BitCast(di, channel), hn::Set(di, weight));
  };
  const VI luminance = hn::Add(hn::Add(weighted(PickBytes<0x80808002u>(colour), 2126),
                                       weighted(PickBytes<0x80808001u>(colour), 7152)),
                               weighted(hn::And(colour, hn::Set(du, 0xFFu)), 722));
  if (s.blackBelow >= 0) {
    const MU black = hn::RebindMask(du, hn::Lt(luminance, hn::Set(di, s.blackBelow)));
    return hn::IfThenElse(black, hn::Set(du, 0xFF000000u), colour);
  }
  const MU white = hn::RebindMask(du, hn::Gt(luminance, hn::Set(di, s.whiteAbove)));
  return hn::Or(colour, hn::IfThenElseZero(white, hn::Set(du, 0x00FFFFFFu)));
}

// The same on whole-number float channels, where the weighted sum is exact
// too (it stays below 2^24).
HWY_INLINE void Threshold(const Shading& s, VF* r, VF* g, VF* b) {
  const DF df;
  const VF luminance =
      hn::Add(hn::Add(hn::Mul(*r, hn::Set(df, 2126.0f)), hn::Mul(*g, hn::Set(df, 7152.0f))),
              hn::Mul(*b, hn::Set(df, 722.0f)));
  if (s.blackBelow >= 0) {
    const MF black = hn::Lt(luminance, hn::Set(df, static_cast<float>(s.blackBelow)));
    *r = hn::IfThenZeroElse(black, *r);
    *g = hn::IfThenZeroElse(black, *g);
    *b = hn::IfThenZeroElse(black, *b);
  } else {
    const MF white = hn::Gt(luminance, hn::Set(df, static_cast<float>(s.whiteAbove)));
    const VF full = hn::Set(df, 255.0f);
    *r = hn::IfThenElse(white, full, *r);
    *g = hn::IfThenElse(white, full, *g);
    *b = hn::IfThenElse(white, full, *b);
  }
}

// Recolours the interpolated colour and blends it over `out` with opacity
// coverage * alpha (both in 256ths). `full`: every lane has coverage 256;
// otherwise lanes outside `covered` keep what they hold. kPlain promises no
// recolouring, no threshold and full opacity, and compiles to the lean code
// that the reset values deserve.
template <bool kPlain>
HWY_INLINE void Finish(const Shading& s, VU colour, VU coverage, bool full, MU covered,
                       uint32_t* HWY_RESTRICT out) {
  const DU du;
  const DU16 d16;
  if (!kPlain && s.recolour) {
    // The threshold looks at the recoloured channels rounded to whole
    // numbers; on floats that saves packing and unpacking.
    VF r = Channel<2>(colour);
    VF g = Channel<1>(colour);
    VF b = Channel<0>(colour);
    Recolour(s, &r, &g, &b);
    if (s.threshold) {
      r = hn::Round(r);
      g = hn::Round(g);
      b = hn::Round(b);
      Threshold(s, &r, &g, &b);
    }
    colour = Pack(r, g, b);
  } else if (!kPlain && s.threshold) {
    colour = Threshold(s, colour);
  }
  if (full && (kPlain || s.alpha256 == 256)) {
    hn::StoreU(colour, du, out);
    return;
  }
  const VU alpha = hn::Set(du, static_cast<uint32_t>(kPlain ? 256 : s.alpha256));
  const VU a =
      full ? alpha : hn::ShiftRight<8>(hn::Add(hn::Mul(coverage, alpha), hn::Set(du, 128u)));
  const VU d = hn::LoadU(du, out);
  const VU redBlue = hn::Set(du, 0x00FF00FFu);
  const VU16 top = hn::BitCast(d16, Twice(a));
  const VU16 under = hn::Sub(hn::Set(d16, 256), top);
  auto blend = [&](VU c, VU behind) {
    const VU16 sum = hn::Add(
        hn::Add(hn::Mul(hn::BitCast(d16, c), top), hn::Mul(hn::BitCast(d16, behind), under)),
        hn::Set(d16, 128));
    return hn::BitCast(du, hn::ShiftRight<8>(sum));
  };
  const VU rb = blend(hn::And(colour, redBlue), hn::And(d, redBlue));
  const VU ga = blend(GreenAlpha(colour), GreenAlpha(d));
  const VU blended = hn::Or3(rb, hn::ShiftLeft<8>(ga), hn::Set(du, 0xFF000000u));
  hn::StoreU(full ? blended : hn::IfThenElse(covered, blended, d), du, out);
}

// Zeroes the weights of neighbours that are missing (outside the rectangle
// or keyed) and finishes the vector with the coverage they leave.
template <bool kPlain>
HWY_INLINE void FinishPartial(const Shading& s, const Taps& taps, Weights w, MU m00, MU m10, MU m01,
                              MU m11, uint32_t* HWY_RESTRICT out) {
  const DU du;
  const DU16 d16;
  w.w00 = hn::IfThenZeroElse(m00, w.w00);
  w.w10 = hn::IfThenZeroElse(m10, w.w10);
  w.w01 = hn::IfThenZeroElse(m01, w.w01);
  w.w11 = hn::IfThenZeroElse(m11, w.w11);
  const VU16 total = hn::Add(hn::Add(hn::BitCast(d16, w.w00), hn::BitCast(d16, w.w10)),
                             hn::Add(hn::BitCast(d16, w.w01), hn::BitCast(d16, w.w11)));
  const VU coverage = hn::And(hn::BitCast(du, total), hn::Set(du, 0xFFFFu));
  const MU covered = hn::Ne(coverage, hn::Zero(du));
  if (hn::AllFalse(du, covered)) return;
  Finish<kPlain>(s, Mean(WeightedSums(taps, w), coverage), coverage, false, covered, out);
}

// Which neighbours are of the mask colour.
HWY_INLINE MU Keyed(VU pixel, uint32_t key) {
  const DU du;
  return hn::Eq(hn::And(pixel, hn::Set(du, 0x00FFFFFFu)), hn::Set(du, key));
}

// ---------------------------------------------------------------------------
// The two ways through a vector of destination pixels, at fixed-point
// sample positions u and v.

// The general way: any sample position, neighbours checked against the
// rectangle's edges.
HWY_NOINLINE void RenderGeneral(const Prepared& p, VI u, VI v, uint32_t* HWY_RESTRICT out) {
  const DI di;
  const DU du;
  const int32_t one = static_cast<int32_t>(kFixedOne);
  u = hn::Min(hn::Max(u, hn::Set(di, -one)), hn::Set(di, p.rectWidth * one));
  v = hn::Min(hn::Max(v, hn::Set(di, -one)), hn::Set(di, p.rectHeight * one));
  const VI col = hn::ShiftRight<kFractionBits>(u);
  const VI row = hn::ShiftRight<kFractionBits>(v);
  const Weights w = MakeWeights(u, v);

  // col and row lie in [-1, size]; neighbour 0 is readable from 0 to
  // size - 1, neighbour 1 (one further) up to size - 2.
  const VI minusOne = hn::Set(di, -1);
  const VI lastCol = hn::Set(di, p.rectWidth - 1);
  const VI lastRow = hn::Set(di, p.rectHeight - 1);
  const MU col0In =
      hn::RebindMask(du, hn::And(hn::Gt(col, minusOne), hn::Lt(col, hn::Set(di, p.rectWidth))));
  const MU col1In = hn::RebindMask(du, hn::Lt(col, lastCol));
  const MU row0In =
      hn::RebindMask(du, hn::And(hn::Gt(row, minusOne), hn::Lt(row, hn::Set(di, p.rectHeight))));
  const MU row1In = hn::RebindMask(du, hn::Lt(row, lastRow));

  // Rows clamped into the rectangle so that every read stays in the source;
  // neighbours that are not readable get no weight.
  const VI zero = hn::Zero(di);
  const VI stride = hn::Set(di, static_cast<int32_t>(p.srcStride));
  const VI o0 = hn::Mul(hn::Min(hn::Max(row, zero), lastRow), stride);
  const VI o1 = hn::Mul(hn::Min(hn::Add(row, hn::Set(di, 1)), lastRow), stride);
  Taps taps;
  if (p.rectWidth >= 2) {
    // Pairs of pixels (pair, pair + 1) with pair clamped to [0, width - 2]:
    // the left neighbour is the first of the pair unless col is the last
    // column, the right one is the second unless col is -1.
    const VI pair = hn::Min(hn::Max(col, zero), hn::Set(di, p.rectWidth - 2));
    const MU leftFirst = hn::RebindMask(du, hn::Eq(col, pair));
    const MU rightFirst = hn::RebindMask(du, hn::Lt(col, zero));
    HWY_ALIGN uint32_t offsets[2 * kMaxLanes];
    hn::Store(hn::BitCast(du, hn::Add(o0, pair)), du, offsets);
    hn::Store(hn::BitCast(du, hn::Add(o1, pair)), du, offsets + hn::Lanes(du));
    VU top0, top1, bottom0, bottom1;
    FetchRow(p.src, offsets, &top0, &top1);
    FetchRow(p.src, offsets + hn::Lanes(du), &bottom0, &bottom1);
    taps.p00 = hn::IfThenElse(leftFirst, top0, top1);
    taps.p10 = hn::IfThenElse(rightFirst, top0, top1);
    taps.p01 = hn::IfThenElse(leftFirst, bottom0, bottom1);
    taps.p11 = hn::IfThenElse(rightFirst, bottom0, bottom1);
  } else {
    const VI c0 = hn::Min(hn::Max(col, zero), lastCol);
    const VI c1 = hn::Min(hn::Add(col, hn::Set(di, 1)), lastCol);
    taps.p00 = hn::GatherIndex(du, p.src, hn::Add(o0, c0));
    taps.p10 = hn::GatherIndex(du, p.src, hn::Add(o0, c1));
    taps.p01 = hn::GatherIndex(du, p.src, hn::Add(o1, c0));
    taps.p11 = hn::GatherIndex(du, p.src, hn::Add(o1, c1));
  }

  auto missing = [&](VU pixel, MU colIn, MU rowIn) {
    return hn::Or(hn::Not(hn::And(colIn, rowIn)), Keyed(pixel, p.key));
  };
  FinishPartial<false>(ShadingOf(p), taps, w, missing(taps.p00, col0In, row0In),
                       missing(taps.p10, col1In, row0In), missing(taps.p01, col0In, row1In),
                       missing(taps.p11, col1In, row1In), out);
}

// What the quick way needs, in values the compiler can keep in registers.
struct Inner {
  const uint32_t* src;
  int32_t stride;  // in pixels
  uint32_t key;    // above 0x00FFFFFF when nothing is keyed
  // How far, in pixels of the source, the same sample lies two destination
  // rows further down, for prefetching.
  intptr_t ahead;
  Shading shading;
};

// The quick way, for sample positions with 0 <= u < width - 1 and
// 0 <= v < height - 1: all four neighbours lie inside the rectangle.
//
// With kPrefetch it also asks for the source lines that the pixels two rows
// further down will read, so that they arrive while this row is drawn. Along
// a row of a turned picture the reads cross many source rows, which the
// hardware prefetchers do not foresee; this matters when the picture is too
// large for the cache. The addresses are only hints and may lie outside the
// picture, so they are worked out as integers.
template <bool kPrefetch, bool kPlain>
HWY_INLINE void RenderInner(const Inner& in, VI u, VI v, uint32_t* HWY_RESTRICT out) {
  const DI di;
  const DU du;
  const VI col = hn::ShiftRight<kFractionBits>(u);
  const VI row = hn::ShiftRight<kFractionBits>(v);
  HWY_ALIGN uint32_t offsets[kMaxLanes];
  hn::Store(hn::BitCast(du, hn::Add(hn::Mul(row, hn::Set(di, in.stride)), col)), du, offsets);
  if (kPrefetch) {
    const uintptr_t base = reinterpret_cast<uintptr_t>(in.src) + in.ahead * sizeof(uint32_t);
    for (size_t i = 0; i < hn::Lanes(du); ++i) {
      hwy::Prefetch(reinterpret_cast<const void*>(base + offsets[i] * sizeof(uint32_t)));
    }
  }
  Taps taps;
  FetchRow(in.src, offsets, &taps.p00, &taps.p10);
  FetchRow(in.src + in.stride, offsets, &taps.p01, &taps.p11);
  const Weights w = MakeWeights(u, v);

  if (in.key <= 0x00FFFFFFu) {
    const MU k00 = Keyed(taps.p00, in.key);
    const MU k10 = Keyed(taps.p10, in.key);
    const MU k01 = Keyed(taps.p01, in.key);
    const MU k11 = Keyed(taps.p11, in.key);
    if (!hn::AllFalse(du, hn::Or(hn::Or(k00, k10), hn::Or(k01, k11)))) {
      FinishPartial<kPlain>(in.shading, taps, w, k00, k10, k01, k11, out);
      return;
    }
  }
  Finish<kPlain>(in.shading, FullMean(WeightedSums(taps, w)), hn::Zero(du), true,
                 hn::Eq(hn::Zero(du), hn::Zero(du)), out);
}

// Pixels [from, to) of a row's span, where `from` restarts the positions
// (a multiple of kRestartPixels) and to - from <= kRestartPixels.
HWY_INLINE void RenderRun(const Prepared& p, const Span& span, int32_t y, int32_t from,
                          int32_t to) {
  const DI di;
  const int32_t lanes = static_cast<int32_t>(hn::Lanes(di));
  int64_t startU = 0;
  int64_t startV = 0;
  restartPosition(p, span, span.begin + from, &startU, &startV);
  const int32_t count = to - from;
  // The vectors whose samples all have four neighbours inside, exactly as
  // the fixed-point positions fall.
  int64_t innerFirst = 0;
  int64_t innerLast = count;
  fixedLimit(startU, p.stepU, p.inverseStepU, 0, (p.rectWidth - 1) * kFixedOne, &innerFirst,
             &innerLast);
  fixedLimit(startV, p.stepV, p.inverseStepV, 0, (p.rectHeight - 1) * kFixedOne, &innerFirst,
             &innerLast);

  constexpr double kRowsAhead = 2.0;
  const Inner inner{p.src, static_cast<int32_t>(p.srcStride), p.key,
                    static_cast<intptr_t>(std::lround(kRowsAhead * p.a) * p.srcStride -
                                          std::lround(kRowsAhead * p.b)),
                    ShadingOf(p)};
  const VI iota = hn::Iota(di, 0);
  const VI stepU = hn::Set(di, static_cast<int32_t>(p.stepU * lanes));
  const VI stepV = hn::Set(di, static_cast<int32_t>(p.stepV * lanes));
  VI u = hn::Add(hn::Set(di, static_cast<int32_t>(startU)),
                 hn::Mul(iota, hn::Set(di, static_cast<int32_t>(p.stepU))));
  VI v = hn::Add(hn::Set(di, static_cast<int32_t>(startV)),
                 hn::Mul(iota, hn::Set(di, static_cast<int32_t>(p.stepV))));
  uint32_t* line = p.dst + y * p.dstStride + span.begin + from;
  // Whole vectors: general ones before and after the inner ones, so that the
  // loop over inner vectors calls nothing.
  const int32_t whole = count - count % lanes;
  const int32_t innerBegin =
      static_cast<int32_t>(std::clamp<int64_t>((innerFirst + lanes - 1) / lanes * lanes, 0, whole));
  const int32_t innerEnd =
      static_cast<int32_t>(std::clamp<int64_t>(innerLast / lanes * lanes, innerBegin, whole));
  int32_t k = 0;
  auto advance = [&] {
    u = hn::Add(u, stepU);
    v = hn::Add(v, stepV);
    k += lanes;
  };
  for (; k < innerBegin; advance()) RenderGeneral(p, u, v, line + k);
  const bool plain = !p.recolour && !p.thresholdActive && p.alpha256 == 256;
  if (p.prefetch && plain) {
    for (; k < innerEnd; advance()) RenderInner<true, true>(inner, u, v, line + k);
  } else if (p.prefetch) {
    for (; k < innerEnd; advance()) RenderInner<true, false>(inner, u, v, line + k);
  } else if (plain) {
    for (; k < innerEnd; advance()) RenderInner<false, true>(inner, u, v, line + k);
  } else {
    for (; k < innerEnd; advance()) RenderInner<false, false>(inner, u, v, line + k);
  }
  for (; k < whole; advance()) RenderGeneral(p, u, v, line + k);
  if (k < count) {
    // The last few pixels of the span go through a buffer so that no vector
    // access reaches past it.
    HWY_ALIGN uint32_t buffer[kMaxLanes] = {};
    const int32_t rest = count - k;
    for (int32_t i = 0; i < rest; ++i) buffer[i] = line[k + i];
    RenderGeneral(p, u, v, buffer);
    for (int32_t i = 0; i < rest; ++i) line[k + i] = buffer[i];
  }
}

// Rows are taken in bands and each band in strips of its spans, so that the
// source pixels one strip reads stay in the cache from one row to the next
// (along a row, a turned picture is read across many source rows).
constexpr int32_t kStripPixels = kRestartPixels;
static_assert(kStripPixels % kMaxLanes == 0, "strips of whole vectors");
constexpr int32_t kBandRows = 32;

void RenderRows(const Prepared& p) {
  Span spans[kBandRows];
  for (int32_t top = p.rowBegin; top < p.rowEnd; top += kBandRows) {
    const int32_t rows = std::min(kBandRows, p.rowEnd - top);
    int32_t longest = 0;
    for (int32_t i = 0; i < rows; ++i) {
      if (!rowSpan(p, top + i, &spans[i])) spans[i].end = spans[i].begin;
      longest = std::max(longest, spans[i].end - spans[i].begin);
    }
    for (int32_t strip = 0; strip < longest; strip += kStripPixels) {
      for (int32_t i = 0; i < rows; ++i) {
        const int32_t count = spans[i].end - spans[i].begin;
        if (strip >= count) continue;
        RenderRun(p, spans[i], top + i, strip, std::min(count, strip + kStripPixels));
      }
    }
  }
}
#endif  // HWY_TARGET == HWY_SCALAR

int64_t Target() { return HWY_TARGET; }

// NOLINTNEXTLINE(google-readability-namespace-comments)
}  // namespace HWY_NAMESPACE
}  // namespace rotate_internal
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace rotate_internal {

HWY_EXPORT(RenderRows);
HWY_EXPORT(Target);

void renderFast(const Prepared& p) {
  if (!p.fastFits) {
    // Positions or offsets would not fit the 32-bit lanes.
    renderReference(p);
    return;
  }
  HWY_DYNAMIC_DISPATCH(RenderRows)(p);
}

std::vector<int64_t> fastTargets() {
  std::vector<int64_t> targets = hwy::SupportedAndGeneratedTargets();
  std::sort(targets.begin(), targets.end());  // lower bits are better targets
  return targets;
}

const char* targetName(int64_t target) { return hwy::TargetName(target); }

const char* fastTargetName() { return targetName(HWY_DYNAMIC_DISPATCH(Target)()); }

void forceFastTarget(int64_t target) {
  hwy::SetSupportedTargetsForTest(target);
  hwy::GetChosenTarget().Update(hwy::SupportedTargets());
}

}  // namespace rotate_internal
#endif  // HWY_ONCE
