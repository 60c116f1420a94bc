// The SIMD renderer, compiled once per Highway target and chosen at run time.
// It gives the pixels of the reference renderer (rotate_reference.cpp): the
// same whole-number arithmetic, lane by lane.
//
// Each row's span is cut into groups of one vector of pixels. Groups whose
// samples all lie inside the rectangle with their right and lower
// neighbours (the inner ones) need no edge tests, and while none of their
// neighbours is keyed they take the quick way, where every pixel is fully
// covered. The others take the general way: neighbours that are not there
// get no weight, and the colour is divided by the coverage.
//
// Neighbours are fetched as pairs of pixels (a pixel and its right-hand
// neighbour) with 64-bit broadcast loads combined by blends, which on
// current x86 cores cost less than the hardware gathers. A pair is mixed
// across in one byte multiply-add (pmaddubsw: both weights, as signed
// bytes, against the pair's interleaved bytes), the two rows with a
// rounding 16-bit multiply (pmulhrsw), all four channels of a pixel at once.
// The general way mixes its neighbours in the same layout, so both ways do
// the same arithmetic.
//
// Recolouring, threshold and opacity work on two groups at a time with one
// channel per 16-bit lane, on planes of red, green and blue.
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
// One lane cannot hold a pair of pixels: without SSE4 the reference
// renderer, whose pixels the SIMD renderer reproduces, does the work.
void RenderRows(const Prepared& p) { renderReference(p); }
#else

using DU = hn::ScalableTag<uint32_t>;  // one pixel to a lane
using DI = hn::RebindToSigned<DU>;
using DF = hn::RebindToFloat<DU>;
using D8 = hn::Repartition<uint8_t, DU>;
using D16 = hn::Repartition<uint16_t, DU>;  // one channel to a lane
using DI16 = hn::RebindToSigned<D16>;
using D64 = hn::Repartition<uint64_t, DU>;
using VU = hn::Vec<DU>;
using VI = hn::Vec<DI>;
using VF = hn::Vec<DF>;
using V8 = hn::Vec<D8>;
using V16 = hn::Vec<D16>;
using VI16 = hn::Vec<DI16>;
using MU = hn::Mask<DU>;
using M16 = hn::Mask<D16>;

constexpr size_t kMaxLanes = HWY_MAX_BYTES / sizeof(uint32_t);

// ---------------------------------------------------------------------------
// Operations Highway does not offer on every target, on the x86 instructions
// that do them, with a portable equivalent elsewhere. The pack operations
// work within each 128-bit block, as the x86 instructions do: the lower
// half of a block comes from a, the upper half from b.

#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX3
#define ROTATE_X86(op128, op256, op512, a, b) op512(a, b)
#elif HWY_ARCH_X86 && HWY_TARGET == HWY_AVX2
#define ROTATE_X86(op128, op256, op512, a, b) op256(a, b)
#elif HWY_ARCH_X86 && (HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3)
#define ROTATE_X86(op128, op256, op512, a, b) op128(a, b)
#endif

// Per 16-bit lane: a[2i] * w[2i] + a[2i+1] * w[2i+1], the bytes of a
// unsigned, those of w signed; the sums used here never saturate.
HWY_INLINE VI16 MulAddBytePairs(V8 a, V8 w) {
#ifdef ROTATE_X86
  return VI16{
      ROTATE_X86(_mm_maddubs_epi16, _mm256_maddubs_epi16, _mm512_maddubs_epi16, a.raw, w.raw)};
#else
  const D16 d16;
  const DI16 di16;
  const V16 a16 = hn::BitCast(d16, a);
  const VI16 w16 = hn::BitCast(di16, w);
  const VI16 even = hn::Mul(hn::BitCast(di16, hn::And(a16, hn::Set(d16, 0xFF))),
                            hn::ShiftRight<8>(hn::ShiftLeft<8>(w16)));
  const VI16 odd = hn::Mul(hn::BitCast(di16, hn::ShiftRight<8>(a16)), hn::ShiftRight<8>(w16));
  return hn::Add(even, odd);
#endif
}

// Signed 16-bit lanes to bytes, saturated to [0, 255].
HWY_INLINE V8 PackBytes(VI16 a, VI16 b) {
#ifdef ROTATE_X86
  return V8{ROTATE_X86(_mm_packus_epi16, _mm256_packus_epi16, _mm512_packus_epi16, a.raw, b.raw)};
#else
  const DI16 di16;
  const D8 d8;
  alignas(16) static constexpr uint8_t kLow[16] = {0,    2,    4,    6,    8,    10,   12,   14,
                                                   0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
  alignas(16) static constexpr uint8_t kHigh[16] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                    0,    2,    4,    6,    8,    10,   12,   14};
  auto clamp = [&](VI16 v) {
    return hn::BitCast(d8, hn::Min(hn::Max(v, hn::Zero(di16)), hn::Set(di16, 255)));
  };
  return hn::Or(hn::TableLookupBytesOr0(clamp(a), hn::LoadDup128(d8, kLow)),
                hn::TableLookupBytesOr0(clamp(b), hn::LoadDup128(d8, kHigh)));
#endif
}

// Signed 32-bit lanes to 16 bits, saturated.
HWY_INLINE VI16 PackWords(VI a, VI b) {
#ifdef ROTATE_X86
  return VI16{ROTATE_X86(_mm_packs_epi32, _mm256_packs_epi32, _mm512_packs_epi32, a.raw, b.raw)};
#else
  const DI di;
  const D8 d8;
  const DI16 di16;
  alignas(16) static constexpr uint8_t kLow[16] = {0,    1,    4,    5,    8,    9,    12,   13,
                                                   0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
  alignas(16) static constexpr uint8_t kHigh[16] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                    0,    1,    4,    5,    8,    9,    12,   13};
  auto clamp = [&](VI v) {
    return hn::BitCast(d8, hn::Min(hn::Max(v, hn::Set(di, -32768)), hn::Set(di, 32767)));
  };
  return hn::BitCast(di16, hn::Or(hn::TableLookupBytesOr0(clamp(a), hn::LoadDup128(d8, kLow)),
                                  hn::TableLookupBytesOr0(clamp(b), hn::LoadDup128(d8, kHigh))));
#endif
}

// Floats to integers, truncating; the values here always fit.
HWY_INLINE VI Truncate(VF v) {
#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX3
  return VI{_mm512_cvttps_epi32(v.raw)};
#elif HWY_ARCH_X86 && HWY_TARGET == HWY_AVX2
  return VI{_mm256_cvttps_epi32(v.raw)};
#elif HWY_ARCH_X86 && (HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3)
  return VI{_mm_cvttps_epi32(v.raw)};
#else
  return hn::ConvertTo(DI(), v);
#endif
}

#undef ROTATE_X86

// Per 32-bit lane: a[2i] * b[2i] + a[2i+1] * b[2i+1].
HWY_INLINE VI MulAddWordPairs(VI16 a, VI16 b) {
  const DI di;
  VI unused = hn::Zero(di);
  return hn::RearrangeToOddPlusEven(hn::ReorderWidenMulAccumulate(di, a, b, hn::Zero(di), unused),
                                    unused);
}

// A byte pattern, the same in every 128-bit block.
template <class D>
HWY_INLINE hn::Vec<D> Pattern(D d, const uint8_t* bytes) {
  return hn::BitCast(d, hn::LoadDup128(D8(), bytes));
}

// clang-format off
#define ROTATE_Z 0x80  // a byte that a lookup sets to zero
// A pixel pair's bytes [L.b L.g L.r L.a R.b R.g R.r R.a] to [L.b R.b L.g R.g ...].
alignas(16) constexpr uint8_t kInterleavePair[16] = {0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15};
// The low 16 bits of 32-bit lanes 0 and 1 (and 2 and 3), each four times.
alignas(16) constexpr uint8_t kLowerWords[16] = {0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5};
alignas(16) constexpr uint8_t kUpperWords[16] = {8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13};
// 32-bit lanes in the order 0, 2, 1, 3.
alignas(16) constexpr uint8_t kSwapMiddleLanes[16] = {0, 1, 2, 3, 8, 9, 10, 11, 4, 5, 6, 7, 12, 13, 14, 15};
// The fourth 16-bit lane of each 64 bits (a pixel's presence), in all four.
alignas(16) constexpr uint8_t kPresenceWords[16] = {6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15};
// The presence of the two pixels of a block's lower (upper) 32-bit lanes.
alignas(16) constexpr uint8_t kLowerPresence[16] = {6, 7, ROTATE_Z, ROTATE_Z, 14, 15, ROTATE_Z, ROTATE_Z,
    ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z};
alignas(16) constexpr uint8_t kUpperPresence[16] = {ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z, ROTATE_Z,
    ROTATE_Z, ROTATE_Z, ROTATE_Z, 6, 7, ROTATE_Z, ROTATE_Z, 14, 15, ROTATE_Z, ROTATE_Z};
// Four pixels' bytes grouped by channel: blue, green, red, alpha.
alignas(16) constexpr uint8_t kChannelBytes[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
#undef ROTATE_Z
// clang-format on

// ---------------------------------------------------------------------------
// Values the sampling needs in every group.

// Hides a value from the optimizer, which would otherwise rebuild constant
// vectors inside the loops (three instructions each) rather than keep them
// in a register or read them from the stack.
template <class V>
HWY_INLINE V Opaque(V v) {
#if HWY_ARCH_X86 && HWY_COMPILER_GCC_ACTUAL  // clang takes no vector register operand here
  asm("" : "+x"(v.raw));
#endif
  return v;
}

struct Constants {
  VU lowRgb;        // 0x00FFFFFF
  VU key;           // 0x00RRGGBB of the keyed colour, or above any pixel
  VU opaque;        // 0xFF000000
  VU pairBytes;     // kInterleavePair
  VU lowerWords;    // kLowerWords
  VU upperWords;    // kUpperWords
  VU swapMiddle;    // kSwapMiddleLanes
  V16 signBit;      // 0x0080 in every 16-bit lane
  VI16 roundShift;  // -256: a rounding multiply by it gives (64 - x) >> 7
  VI stride;        // of the source, in pixels
};

HWY_INLINE Constants ConstantsOf(const Prepared& p) {
  const DU du;
  return {Opaque(hn::Set(du, 0x00FFFFFFu)),
          Opaque(hn::Set(du, p.key)),
          Opaque(hn::Set(du, 0xFF000000u)),
          Opaque(Pattern(du, kInterleavePair)),
          Opaque(Pattern(du, kLowerWords)),
          Opaque(Pattern(du, kUpperWords)),
          Opaque(Pattern(du, kSwapMiddleLanes)),
          Opaque(hn::Set(D16(), 0x0080)),
          Opaque(hn::Set(DI16(), -256)),
          Opaque(hn::Set(DI(), static_cast<int32_t>(p.srcStride)))};
}

// ---------------------------------------------------------------------------
// Bilinear mixing.

// Neighbours as pixel pairs (left, right), in the order the mixing takes
// them: per block of four pixels, `lowerTop` holds the pairs of pixels 0 and
// 1 in the upper row, `upperTop` those of pixels 2 and 3; the same for the
// lower row.
struct Pairs {
  VU lowerTop, upperTop, lowerBottom, upperBottom;
};

// The mixes of a group, negated, in 128ths: per 64 bits one pixel's blue,
// green, red and alpha (or presence); `lower` holds pixels 0 and 1 of each
// block of four, `upper` pixels 2 and 3.
struct Mixes {
  VI16 lower, upper;
};

// The horizontal weights of each lane's sample as signed bytes in the low
// 16 bits: fx - 128 for the left neighbour, -fx for the right one (fx being
// the 7 top bits of the fraction). The other bits hold junk.
HWY_INLINE VU AcrossWeights(const Constants& k, VI u) {
  const D16 d16;
  const V16 fx = hn::ShiftRight<kFractionBits - kWeightBits>(hn::BitCast(d16, u));
  return hn::BitCast(DU(), hn::Sub(hn::Xor(fx, k.signBit), hn::ShiftLeft<8>(fx)));
}

// The vertical weight fy of each lane's sample as fy << 8 in the low 16
// bits, the factor of a rounding 16-bit multiply that gives
// (x * fy + 64) >> 7.
HWY_INLINE VU DownWeights(VI v) {
  const D16 d16;
  return hn::BitCast(
      DU(), hn::ShiftLeft<8>(hn::ShiftRight<kFractionBits - kWeightBits>(hn::BitCast(d16, v))));
}

HWY_INLINE Mixes Mix(const Constants& k, const Pairs& p, VI u, VI v) {
  const D8 d8;
  const DI16 di16;
  const VU across = AcrossWeights(k, u);
  const VU down = DownWeights(v);
  const V8 interleave = hn::BitCast(d8, k.pairBytes);
  auto mix = [&](VU top, VU bottom, VU lanes) {
    const V8 wx = hn::BitCast(d8, hn::TableLookupBytes(across, lanes));
    const VI16 t = MulAddBytePairs(hn::TableLookupBytes(hn::BitCast(d8, top), interleave), wx);
    const VI16 b = MulAddBytePairs(hn::TableLookupBytes(hn::BitCast(d8, bottom), interleave), wx);
    // The rows joined: t + ((b - t) * fy + 64) >> 7.
    return hn::Add(t, hn::MulFixedPoint15(hn::Sub(b, t),
                                          hn::BitCast(di16, hn::TableLookupBytes(down, lanes))));
  };
  return {mix(p.lowerTop, p.lowerBottom, k.lowerWords),
          mix(p.upperTop, p.upperBottom, k.upperWords)};
}

// The quick way's colours, every neighbour there: (64 - mix) >> 7, with
// alpha 0xFF.
HWY_INLINE VU FullColour(const Constants& k, const Mixes& m) {
  const V8 packed = PackBytes(hn::MulFixedPoint15(m.lower, k.roundShift),
                              hn::MulFixedPoint15(m.upper, k.roundShift));
  return hn::Or(hn::BitCast(DU(), packed), k.opaque);
}

// What a group of destination pixels gets.
struct Samples {
  VU colour;  // 0xFFRRGGBB
  VU cover;   // coverage in 16384ths (unless `full`); 0 leaves the pixel alone
  bool full;  // every pixel fully covered
  bool any;   // some pixel covered
};

// The general way's colours: neighbours that are not there are all zero and
// the others carry a presence byte of 128 in place of alpha, which mixes
// into the coverage; the colours mix into the coverage-weighted colour,
// which is divided by the coverage (in floats, exact for these whole
// numbers: the numerators stay below 2^24 and a quotient falls short of a
// whole number by at least one part in 2^23).
HWY_INLINE Samples PartialColour(const Constants& k, const Mixes& m) {
  const DU du;
  const DI di;
  const DF df;
  const D16 d16;
  // (256 * mix + coverage) / (2 * coverage), per channel of two pixels.
  auto divide = [&](VI16 negated) {
    const V16 mixes = hn::BitCast(d16, hn::Neg(negated));
    const V16 coverage = hn::TableLookupBytes(mixes, Pattern(d16, kPresenceWords));
    auto quotient = [&](VU mix, VU cover) {
      const VF numerator =
          hn::ConvertTo(df, hn::BitCast(di, hn::Add(hn::ShiftLeft<8>(mix), cover)));
      const VF denominator =
          hn::ConvertTo(df, hn::BitCast(di, hn::Max(hn::Add(cover, cover), hn::Set(du, 1))));
      return Truncate(hn::Div(numerator, denominator));
    };
    const V16 zero = hn::Zero(d16);
    return PackWords(quotient(hn::ZipLower(du, mixes, zero), hn::ZipLower(du, coverage, zero)),
                     quotient(hn::ZipUpper(du, mixes, zero), hn::ZipUpper(du, coverage, zero)));
  };
  Samples s;
  s.colour = hn::Or(hn::BitCast(du, PackBytes(divide(m.lower), divide(m.upper))), k.opaque);
  const VU lower = hn::BitCast(du, hn::Neg(m.lower));
  const VU upper = hn::BitCast(du, hn::Neg(m.upper));
  s.cover = hn::Or(hn::TableLookupBytesOr0(lower, Pattern(du, kLowerPresence)),
                   hn::TableLookupBytesOr0(upper, Pattern(du, kUpperPresence)));
  s.full = false;
  s.any = !hn::AllTrue(du, hn::Eq(s.cover, hn::Zero(du)));
  return s;
}

// ---------------------------------------------------------------------------
// Fetching neighbours.

// The pixel pair (pixel, right-hand neighbour) at base + offset in every
// 64-bit lane: a broadcast load, which needs no shuffle unit.
HWY_INLINE hn::Vec<D64> BroadcastPair(const uint32_t* HWY_RESTRICT base, uint32_t offset) {
  uint64_t pair;
  hwy::CopyBytes<sizeof pair>(base + offset, &pair);
  return hn::Set(D64(), pair);
}

// Pixel pairs as 64-bit lanes, lane i from base + offsets[2 * i]: broadcast
// loads combined with blends, which are cheaper than gathers or inserts.
HWY_INLINE VU LoadPairs(const uint32_t* HWY_RESTRICT base, const uint32_t* HWY_RESTRICT offsets) {
  const D64 d64;
  constexpr size_t kLanes = hn::MaxLanes(D64());
  static_assert(kLanes == 2 || kLanes == 4 || kLanes == 8, "128, 256 or 512-bit vectors");
  auto pairOf = [&](size_t i) {  // lanes (i, i + 1) repeated
    return hn::OddEven(BroadcastPair(base, offsets[2 * i + 2]),
                       BroadcastPair(base, offsets[2 * i]));
  };
  hn::Vec<D64> pairs;
  if constexpr (kLanes == 2) {
    pairs = pairOf(0);
  } else if constexpr (kLanes == 4) {
    pairs = hn::OddEvenBlocks(pairOf(2), pairOf(0));
  } else {
    pairs = hn::ConcatUpperLower(d64, hn::OddEvenBlocks(pairOf(6), pairOf(4)),
                                 hn::OddEvenBlocks(pairOf(2), pairOf(0)));
  }
  return hn::BitCast(DU(), pairs);
}

// Stores the offsets of a group's pixels (in pixel order) so that
// LoadPairs(base, stored) fetches the lower pairs and LoadPairs(base,
// stored + 1) the upper ones.
HWY_INLINE void StorePairOffsets(const Constants& k, VI offsets, uint32_t* HWY_RESTRICT stored) {
  const DU du;
  hn::Store(hn::TableLookupBytes(hn::BitCast(du, offsets), k.swapMiddle), du, stored);
}

HWY_INLINE Pairs LoadRows(const uint32_t* HWY_RESTRICT top, const uint32_t* HWY_RESTRICT bottom,
                          const uint32_t* HWY_RESTRICT stored) {
  return {LoadPairs(top, stored), LoadPairs(top, stored + 1), LoadPairs(bottom, stored),
          LoadPairs(bottom, stored + 1)};
}

// Which pixels are of the mask colour.
HWY_INLINE MU Keyed(const Constants& k, VU pixel) {
  return hn::Eq(hn::And(pixel, k.lowRgb), k.key);
}

// A neighbour as the general way takes it: 0 when it is not there, else its
// colour with a presence byte of 128.
HWY_INLINE VU Present(const Constants& k, MU there, VU pixel) {
  const DU du;
  return hn::IfThenElseZero(there, hn::Or(hn::And(pixel, k.lowRgb), hn::Set(du, 0x80000000u)));
}

// ---------------------------------------------------------------------------
// The two ways through a group of destination pixels, at fixed-point
// sample positions u and v.

// The general way: any sample position, neighbours checked against the
// rectangle's edges.
HWY_NOINLINE Samples SampleGeneral(const Prepared& p, const Constants& k, VI u, VI v) {
  const DI di;
  const DU du;
  const int32_t one = static_cast<int32_t>(kFixedOne);
  u = hn::Min(hn::Max(u, hn::Set(di, -one)), hn::Set(di, p.rectWidth * one));
  v = hn::Min(hn::Max(v, hn::Set(di, -one)), hn::Set(di, p.rectHeight * one));
  const VI col = hn::ShiftRight<kFractionBits>(u);
  const VI row = hn::ShiftRight<kFractionBits>(v);

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
  const VI o0 = hn::Mul(hn::Min(hn::Max(row, zero), lastRow), k.stride);
  const VI o1 = hn::Mul(hn::Min(hn::Add(row, hn::Set(di, 1)), lastRow), k.stride);
  VU p00, p10, p01, p11;
  if (p.rectWidth >= 2) {
    // Pairs of pixels (pair, pair + 1) with pair clamped to [0, width - 2]:
    // the left neighbour is the first of the pair unless col is the last
    // column, the right one is the second unless col is -1.
    const VI pair = hn::Min(hn::Max(col, zero), hn::Set(di, p.rectWidth - 2));
    const MU leftFirst = hn::RebindMask(du, hn::Eq(col, pair));
    const MU rightFirst = hn::RebindMask(du, hn::Lt(col, zero));
    HWY_ALIGN uint32_t stored[2 * kMaxLanes];
    StorePairOffsets(k, hn::Add(o0, pair), stored);
    StorePairOffsets(k, hn::Add(o1, pair), stored + hn::Lanes(du));
    // Back to pixel order: the first and second pixel of each pair.
    auto split = [&](VU lower, VU upper, VU* first, VU* second) {
      const D64 d64;
      const auto a = hn::BitCast(d64, hn::TableLookupBytes(lower, k.swapMiddle));
      const auto b = hn::BitCast(d64, hn::TableLookupBytes(upper, k.swapMiddle));
      *first = hn::BitCast(du, hn::InterleaveLower(d64, a, b));
      *second = hn::BitCast(du, hn::InterleaveUpper(d64, a, b));
    };
    VU top0, top1, bottom0, bottom1;
    split(LoadPairs(p.src, stored), LoadPairs(p.src, stored + 1), &top0, &top1);
    split(LoadPairs(p.src, stored + hn::Lanes(du)), LoadPairs(p.src, stored + hn::Lanes(du) + 1),
          &bottom0, &bottom1);
    p00 = hn::IfThenElse(leftFirst, top0, top1);
    p10 = hn::IfThenElse(rightFirst, top0, top1);
    p01 = hn::IfThenElse(leftFirst, bottom0, bottom1);
    p11 = hn::IfThenElse(rightFirst, bottom0, bottom1);
  } else {
    const VI c0 = hn::Min(hn::Max(col, zero), lastCol);
    const VI c1 = hn::Min(hn::Add(col, hn::Set(di, 1)), lastCol);
    p00 = hn::GatherIndex(du, p.src, hn::Add(o0, c0));
    p10 = hn::GatherIndex(du, p.src, hn::Add(o0, c1));
    p01 = hn::GatherIndex(du, p.src, hn::Add(o1, c0));
    p11 = hn::GatherIndex(du, p.src, hn::Add(o1, c1));
  }

  auto there = [&](VU pixel, MU colIn, MU rowIn) {
    return Present(k, hn::AndNot(Keyed(k, pixel), hn::And(colIn, rowIn)), pixel);
  };
  const VU t00 = there(p00, col0In, row0In);
  const VU t10 = there(p10, col1In, row0In);
  const VU t01 = there(p01, col0In, row1In);
  const VU t11 = there(p11, col1In, row1In);
  const Pairs pairs{hn::InterleaveLower(du, t00, t10), hn::InterleaveUpper(du, t00, t10),
                    hn::InterleaveLower(du, t01, t11), hn::InterleaveUpper(du, t01, t11)};
  return PartialColour(k, Mix(k, pairs, u, v));
}

// What the inner groups need, in values the compiler can keep in registers
// across the stores to the destination (which could otherwise alias
// Prepared).
struct Inner {
  const uint32_t* src;
  const uint32_t* below;  // src + stride
  uint32_t key;           // above 0x00FFFFFF when nothing is keyed
  intptr_t ahead;         // Prepared::prefetchAhead
};

enum class Kind { kNothing, kFull, kPartial };

// An inner group: sample positions with 0 <= u < width - 1 and
// 0 <= v < height - 1, so that all four neighbours lie inside the
// rectangle. Fully covered, its colours go to *colour; partly, to *partial.
//
// With kPrefetch it also asks for the source lines that the pixels two rows
// further down will read, so that they arrive while this row is drawn. Along
// a row of a turned picture the reads cross many source rows, which the
// hardware prefetchers do not foresee; this matters when the picture is too
// large for the cache. The addresses are only hints and may lie outside the
// picture, so they are worked out as integers.
template <bool kPrefetch>
HWY_INLINE Kind SampleInner(const Inner& in, const Constants& k, VI u, VI v, VU* colour,
                            Samples* partial) {
  const DU du;
  const VI col = hn::ShiftRight<kFractionBits>(u);
  const VI row = hn::ShiftRight<kFractionBits>(v);
  HWY_ALIGN uint32_t stored[kMaxLanes];
  StorePairOffsets(k, hn::Add(hn::Mul(row, k.stride), col), stored);
  if (kPrefetch) {
    const uintptr_t base = reinterpret_cast<uintptr_t>(in.src) + in.ahead * sizeof(uint32_t);
    for (size_t i = 0; i < hn::Lanes(du); ++i) {
      hwy::Prefetch(reinterpret_cast<const void*>(base + stored[i] * sizeof(uint32_t)));
    }
  }
  Pairs pairs = LoadRows(in.src, in.below, stored);
  if (in.key <= 0x00FFFFFFu) {
    const MU k0 = Keyed(k, pairs.lowerTop);
    const MU k1 = Keyed(k, pairs.upperTop);
    const MU k2 = Keyed(k, pairs.lowerBottom);
    const MU k3 = Keyed(k, pairs.upperBottom);
    if (!hn::AllFalse(du, hn::Or(hn::Or(k0, k1), hn::Or(k2, k3)))) {
      if (hn::AllTrue(du, hn::And(hn::And(k0, k1), hn::And(k2, k3)))) return Kind::kNothing;
      pairs = {Present(k, hn::Not(k0), pairs.lowerTop), Present(k, hn::Not(k1), pairs.upperTop),
               Present(k, hn::Not(k2), pairs.lowerBottom),
               Present(k, hn::Not(k3), pairs.upperBottom)};
      *partial = PartialColour(k, Mix(k, pairs, u, v));
      return Kind::kPartial;
    }
  }
  *colour = FullColour(k, Mix(k, pairs, u, v));
  return Kind::kFull;
}

// ---------------------------------------------------------------------------
// Recolouring, threshold and opacity, on two groups at a time.

// What they need, worked out once per call.
struct Shading {
  bool recolour;
  bool scalePlace;      // the saturation changes, so hue places are scaled
  bool fastSaturation;  // saturation256 fits a rounding 16-bit multiply
  bool turnFraction;    // the turn has a fraction of a sixth
  bool threshold;
  bool black;  // the threshold blackens what is darker (else whitens)
  int32_t alpha256;
  VI16 saturation;  // saturation256, or (saturation256 + 128) >> 8 when not fastSaturation
  V16 fraction;     // turnFraction
  V16 redSector;    // sectorOffset[0]
  VI limit;         // blackBelow or whiteAbove
  VI16 weightsRedGreen, weightBlue;
  VI16 alpha;  // the blend factor of full coverage: alpha256 * 128, at most 32767
  VU channelBytes;
  V16 one, half, byteMax;  // 1, 128, 255
};

HWY_INLINE Shading ShadingOf(const Prepared& p) {
  const DI di;
  const DU du;
  const D16 d16;
  const DI16 di16;
  const bool fast = p.saturation256 < 32768;
  const int32_t factor = fast ? p.saturation256 : (p.saturation256 + 128) >> 8;
  return {p.recolour,
          p.saturation256 != 256,
          fast,
          p.turnFraction != 0,
          p.thresholdActive,
          p.blackBelow >= 0,
          p.alpha256,
          Opaque(hn::Set(di16, static_cast<int16_t>(factor))),
          Opaque(hn::Set(d16, static_cast<uint16_t>(p.turnFraction))),
          Opaque(hn::Set(d16, static_cast<uint16_t>(p.sectorOffset[0]))),
          Opaque(hn::Set(di, p.blackBelow >= 0 ? p.blackBelow : p.whiteAbove)),
          Opaque(hn::BitCast(di16, hn::Set(du, (7152u << 16) | 2126u))),
          Opaque(hn::BitCast(di16, hn::Set(du, 722u))),
          Opaque(hn::Set(di16, static_cast<int16_t>(std::min(p.alpha256 * 128, 32767)))),
          Opaque(Pattern(du, kChannelBytes)),
          Opaque(hn::Set(d16, 1)),
          Opaque(hn::Set(d16, 128)),
          Opaque(hn::Set(d16, 255))};
}

// Two groups of pixels as planes of one channel per 16-bit lane. The lanes
// are in an order of their own, which Interleave() undoes.
struct Planes {
  V16 r, g, b;
};

HWY_INLINE Planes Deinterleave(const Shading& s, VU first, VU second) {
  const DU du;
  const D8 d8;
  const D16 d16;
  const VU a = hn::TableLookupBytes(first, s.channelBytes);  // 4 blue, 4 green, 4 red, 4 alpha
  const VU b = hn::TableLookupBytes(second, s.channelBytes);
  const V8 blueGreen = hn::BitCast(d8, hn::InterleaveLower(du, a, b));
  const V8 redAlpha = hn::BitCast(d8, hn::InterleaveUpper(du, a, b));
  const V8 zero = hn::Zero(d8);
  return {hn::ZipLower(d16, redAlpha, zero), hn::ZipUpper(d16, blueGreen, zero),
          hn::ZipLower(d16, blueGreen, zero)};
}

HWY_INLINE void Interleave(const Planes& c, VU* first, VU* second) {
  const DU du;
  const D8 d8;
  const DI16 di16;
  const V8 blueRed = PackBytes(hn::BitCast(di16, c.b), hn::BitCast(di16, c.r));
  const V8 greenOpaque = PackBytes(hn::BitCast(di16, c.g), hn::Set(di16, 0xFF));
  const V16 blueGreen = hn::BitCast(D16(), hn::InterleaveLower(blueRed, greenOpaque));
  const V16 redOpaque = hn::BitCast(D16(), hn::InterleaveUpper(d8, blueRed, greenOpaque));
  *first = hn::BitCast(du, hn::InterleaveLower(blueGreen, redOpaque));
  *second = hn::BitCast(du, hn::InterleaveUpper(D16(), blueGreen, redOpaque));
}

// The place on the hue hexagon scaled from the chroma to the new chroma,
// rounded: (2 * place * newChroma + chroma) / (2 * chroma), in floats
// (exact: the numerator stays below 2^24).
HWY_INLINE V16 ScalePlace(const Shading& s, V16 place, V16 chroma, V16 newChroma) {
  const DU du;
  const DI di;
  const DF df;
  const D16 d16;
  const DI16 di16;
  const V16 twice = hn::Add(newChroma, newChroma);
  const V16 one = s.one;
  const V16 twiceChroma = hn::Max(hn::Add(chroma, chroma), one);
  auto quotient = [&](V16 pairs, V16 factors, VU denominator) {
    const VI numerator = MulAddWordPairs(hn::BitCast(di16, pairs), hn::BitCast(di16, factors));
    return Truncate(
        hn::Div(hn::ConvertTo(df, numerator), hn::ConvertTo(df, hn::BitCast(di, denominator))));
  };
  const V16 zero = hn::Zero(d16);
  return hn::BitCast(
      d16, PackWords(quotient(hn::InterleaveLower(place, chroma), hn::InterleaveLower(twice, one),
                              hn::ZipLower(du, twiceChroma, zero)),
                     quotient(hn::InterleaveUpper(d16, place, chroma),
                              hn::InterleaveUpper(d16, twice, one),
                              hn::ZipUpper(du, twiceChroma, zero))));
}

// Hue turn and saturation in HSV; see recolour() of the reference renderer.
HWY_INLINE void Recolour(const Shading& s, Planes* c) {
  const D16 d16;
  const DI16 di16;
  const V16 value = hn::Max(c->r, hn::Max(c->g, c->b));
  const V16 chroma = hn::Sub(value, hn::Min(c->r, hn::Min(c->g, c->b)));
  const V16 twoChroma = hn::Add(chroma, chroma);
  const V16 fourChroma = hn::Add(twoChroma, twoChroma);
  // The place on the hexagon times the chroma, in [0, 6C); below zero, the
  // red sector's place wraps to a huge unsigned number.
  V16 place = hn::IfThenElse(hn::Eq(value, c->g), hn::Add(twoChroma, hn::Sub(c->b, c->r)),
                             hn::Add(fourChroma, hn::Sub(c->r, c->g)));
  place = hn::IfThenElse(hn::Eq(value, c->r), hn::Sub(c->g, c->b), place);
  place = hn::Min(place, hn::Add(place, hn::Add(fourChroma, twoChroma)));
  // (chroma * saturation256 + 128) >> 8, at most the value. Below 128 the
  // factor fits a rounding 16-bit multiply; above, every chroma from 2 on
  // clips, and the product by the rounded factor says as much.
  V16 newChroma;
  if (s.fastSaturation) {
    newChroma = hn::BitCast(
        d16, hn::MulFixedPoint15(hn::BitCast(di16, hn::ShiftLeft<7>(chroma)), s.saturation));
  } else {
    newChroma = hn::Mul(chroma, hn::BitCast(d16, s.saturation));
  }
  newChroma = hn::Min(newChroma, value);
  V16 turned = s.scalePlace ? ScalePlace(s, place, chroma, newChroma) : place;
  if (s.turnFraction) {
    turned = hn::Add(turned,
                     hn::ShiftRight<8>(hn::Add(hn::Mul(newChroma, s.fraction), hn::Set(d16, 128))));
  }
  // Each channel's place on the hexagon, wrapped into [0, 6C']: red's from
  // its sector, green's and blue's two sixths back (four forward) each.
  const V16 fourNew = hn::ShiftLeft<2>(newChroma);
  const V16 sixNew = hn::Add(fourNew, hn::Add(newChroma, newChroma));
  auto wrap = [&](V16 k) { return hn::Min(k, hn::Sub(k, sixNew)); };  // below 6C' k - 6C' is huge
  auto channel = [&](V16 k) {
    return hn::Sub(value, hn::Min(hn::Min(k, hn::SaturatedSub(fourNew, k)), newChroma));
  };
  const V16 red = wrap(hn::Add(turned, hn::Mul(newChroma, s.redSector)));
  const V16 green = wrap(hn::Add(red, fourNew));
  const V16 blue = wrap(hn::Add(green, fourNew));
  c->r = channel(red);
  c->g = channel(green);
  c->b = channel(blue);
}

// Threshold on the luminance in ten-thousandths; only one of the limits is
// ever active.
HWY_INLINE void Threshold(const Shading& s, Planes* c) {
  const DI di;
  const D16 d16;
  const DI16 di16;
  const V16 zero = hn::Zero(d16);
  auto past = [&](V16 redGreen, V16 blueZero) {
    const VI luminance = hn::Add(MulAddWordPairs(hn::BitCast(di16, redGreen), s.weightsRedGreen),
                                 MulAddWordPairs(hn::BitCast(di16, blueZero), s.weightBlue));
    return hn::VecFromMask(di, s.black ? hn::Lt(luminance, s.limit) : hn::Gt(luminance, s.limit));
  };
  const V16 beyond = hn::BitCast(
      d16,
      PackWords(past(hn::InterleaveLower(c->r, c->g), hn::InterleaveLower(c->b, zero)),
                past(hn::InterleaveUpper(d16, c->r, c->g), hn::InterleaveUpper(d16, c->b, zero))));
  if (s.black) {
    c->r = hn::AndNot(beyond, c->r);
    c->g = hn::AndNot(beyond, c->g);
    c->b = hn::AndNot(beyond, c->b);
  } else {
    const V16 white = hn::And(beyond, s.byteMax);
    c->r = hn::Or(c->r, white);
    c->g = hn::Or(c->g, white);
    c->b = hn::Or(c->b, white);
  }
}

HWY_INLINE void Shade(const Shading& s, Planes* c) {
  if (s.recolour) Recolour(s, c);
  if (s.threshold) Threshold(s, c);
}

// top * a + under * (256 - a) + 128 >> 8 is under + ((top - under) * a + 128 >> 8),
// a rounding 16-bit multiply by a * 128 (which at a = 256 may be one less).
HWY_INLINE void Blend(const Shading& s, VI16 factor, VU under0, VU under1, Planes* c) {
  const D16 d16;
  const DI16 di16;
  const Planes d = Deinterleave(s, under0, under1);
  auto blend = [&](V16 top, V16 under) {
    return hn::BitCast(
        d16, hn::Add(hn::BitCast(di16, under),
                     hn::MulFixedPoint15(hn::BitCast(di16, hn::Sub(top, under)), factor)));
  };
  c->r = blend(c->r, d.r);
  c->g = blend(c->g, d.g);
  c->b = blend(c->b, d.b);
}

// Two fully covered groups (or, with `second` false, the first alone),
// recoloured and blended over out.
HWY_INLINE void FinishFull(const Shading& s, VU colour0, VU colour1, bool second,
                           uint32_t* HWY_RESTRICT out) {
  const DU du;
  const size_t lanes = hn::Lanes(du);
  Planes c = Deinterleave(s, colour0, colour1);
  Shade(s, &c);
  if (s.alpha256 < 256) {
    const VU under0 = hn::LoadU(du, out);
    Blend(s, s.alpha, under0, second ? hn::LoadU(du, out + lanes) : under0, &c);
  }
  VU first, rest;
  Interleave(c, &first, &rest);
  hn::StoreU(first, du, out);
  if (second) hn::StoreU(rest, du, out + lanes);
}

// The blend weight of a group in 256ths: coverage times opacity.
HWY_INLINE VI BlendWeight(const Shading& s, const Samples& group) {
  const DI di;
  if (group.full) return hn::Set(di, s.alpha256);
  return hn::ShiftRight<14>(hn::Add(hn::Mul(hn::BitCast(di, group.cover), hn::Set(di, s.alpha256)),
                                    hn::Set(di, kFullCoverage / 2)));
}

// Two groups of any coverage, recoloured and blended over out; pixels with
// no coverage keep what they hold.
HWY_NOINLINE void Finish(const Shading& s, const Samples& g0, const Samples& g1, bool second,
                         uint32_t* HWY_RESTRICT out) {
  const DU du;
  const D16 d16;
  const DI16 di16;
  const size_t lanes = hn::Lanes(du);
  Planes c = Deinterleave(s, g0.colour, g1.colour);
  Shade(s, &c);
  const V16 a = hn::BitCast(d16, PackWords(BlendWeight(s, g0), BlendWeight(s, g1)));
  const VI16 factor = hn::BitCast(di16, hn::Min(hn::ShiftLeft<7>(a), hn::Set(d16, 32767)));
  const VU under0 = hn::LoadU(du, out);
  const VU under1 = second ? hn::LoadU(du, out + lanes) : under0;
  Blend(s, factor, under0, under1, &c);
  VU first, rest;
  Interleave(c, &first, &rest);
  auto keep = [&](const Samples& g, VU blended, VU under) {
    return g.full ? blended : hn::IfThenElse(hn::Eq(g.cover, hn::Zero(du)), under, blended);
  };
  hn::StoreU(keep(g0, first, under0), du, out);
  if (second) hn::StoreU(keep(g1, rest, under1), du, out + lanes);
}

// A group of any coverage blended over out when nothing is recoloured and
// the picture is opaque: each pixel's four channels at once, weighted by
// its coverage (in 256ths, (cover + 32) >> 6).
HWY_INLINE void BlendPlain(const Constants& k, const Samples& g, uint32_t* HWY_RESTRICT out) {
  const DU du;
  const D8 d8;
  const D16 d16;
  const DI16 di16;
  const VU weight = hn::ShiftRight<6>(hn::Add(g.cover, hn::Set(du, 32)));
  const VI16 factor = hn::BitCast(di16, hn::Min(hn::ShiftLeft<7>(weight), hn::Set(du, 32767)));
  const VU under = hn::LoadU(du, out);
  const V8 zero = hn::Zero(d8);
  auto blend = [&](V16 top, V16 below, VU lanes) {
    const VI16 f = hn::BitCast(di16, hn::TableLookupBytes(hn::BitCast(du, factor), lanes));
    return hn::Add(hn::BitCast(di16, below),
                   hn::MulFixedPoint15(hn::BitCast(di16, hn::Sub(top, below)), f));
  };
  const V8 top = hn::BitCast(d8, g.colour);
  const V8 below = hn::BitCast(d8, under);
  const VU blended = hn::BitCast(
      du,
      PackBytes(blend(hn::ZipLower(d16, top, zero), hn::ZipLower(d16, below, zero), k.lowerWords),
                blend(hn::ZipUpper(d16, top, zero), hn::ZipUpper(d16, below, zero), k.upperWords)));
  hn::StoreU(hn::IfThenElse(hn::Eq(g.cover, hn::Zero(du)), under, hn::Or(blended, k.opaque)), du,
             out);
}

// ---------------------------------------------------------------------------
// Rows.

// What a run of a row needs besides Prepared.
struct RunContext {
  const Shading& shading;
  const Constants& constants;
  const Inner& inner;
};

// A group at positions u, v: the quick way inside [innerBegin, innerEnd).
template <bool kPrefetch>
HWY_INLINE Samples SampleAt(const Prepared& p, const RunContext& c, bool inner, VI u, VI v) {
  Samples s;
  if (inner) {
    switch (SampleInner<kPrefetch>(c.inner, c.constants, u, v, &s.colour, &s)) {
      case Kind::kNothing:
        s = {hn::Zero(DU()), hn::Zero(DU()), false, false};
        break;
      case Kind::kFull:
        s.cover = hn::Set(DU(), kFullCoverage);
        s.any = true;
        s.full = true;
        break;
      case Kind::kPartial:
        break;
    }
    return s;
  }
  return SampleGeneral(p, c.constants, u, v);
}

// Pixels [from, to) of a row's span, where `from` restarts the positions
// (a multiple of kRestartPixels) and to - from <= kRestartPixels.
template <bool kPrefetch, bool kPlain>
HWY_INLINE void RenderRun(const Prepared& p, const RunContext& c, const Span& span, int32_t y,
                          int32_t from, int32_t to) {
  const DI di;
  const DU du;
  constexpr int32_t lanes = static_cast<int32_t>(hn::MaxLanes(DI()));
  static_assert(lanes == HWY_LANES(int32_t), "fixed-size vectors");
  int64_t startU = 0;
  int64_t startV = 0;
  restartPosition(p, span, span.begin + from, &startU, &startV);
  const int32_t count = to - from;
  // The groups whose samples all have four neighbours inside, exactly as
  // the fixed-point positions fall.
  int64_t innerFirst = 0;
  int64_t innerLast = count;
  const int64_t lastU = startU + (count - 1) * p.stepU;
  const int64_t lastV = startV + (count - 1) * p.stepV;
  const int64_t innerWidth = (p.rectWidth - 1) * kFixedOne;
  const int64_t innerHeight = (p.rectHeight - 1) * kFixedOne;
  // Positions along a run are linear: when both ends are inner, all are.
  if (std::min(startU, lastU) < 0 || std::max(startU, lastU) >= innerWidth ||
      std::min(startV, lastV) < 0 || std::max(startV, lastV) >= innerHeight) {
    fixedLimit(startU, p.stepU, p.inverseStepU, 0, innerWidth, &innerFirst, &innerLast);
    fixedLimit(startV, p.stepV, p.inverseStepV, 0, innerHeight, &innerFirst, &innerLast);
  }
  const int32_t whole = count - count % lanes;
  const int32_t innerBegin =
      static_cast<int32_t>(std::clamp<int64_t>((innerFirst + lanes - 1) / lanes * lanes, 0, whole));
  const int32_t innerEnd =
      static_cast<int32_t>(std::clamp<int64_t>(innerLast / lanes * lanes, innerBegin, whole));

  const VI stepU = hn::Set(di, static_cast<int32_t>(p.stepU * lanes));
  const VI stepV = hn::Set(di, static_cast<int32_t>(p.stepV * lanes));
  const VI iota = hn::Iota(di, 0);
  VI u = hn::Add(hn::Set(di, static_cast<int32_t>(startU)),
                 hn::Mul(iota, hn::Set(di, static_cast<int32_t>(p.stepU))));
  VI v = hn::Add(hn::Set(di, static_cast<int32_t>(startV)),
                 hn::Mul(iota, hn::Set(di, static_cast<int32_t>(p.stepV))));
  uint32_t* line = p.dst + y * p.dstStride + span.begin + from;
  auto advance = [&] {
    u = hn::Add(u, stepU);
    v = hn::Add(v, stepV);
  };

  int32_t k = 0;
  if (kPlain) {
    // Fully covered inner groups are stored as they come; the others are
    // blended one at a time.
    for (; k < innerBegin; k += lanes, advance()) {
      const Samples s = SampleGeneral(p, c.constants, u, v);
      if (s.any) BlendPlain(c.constants, s, line + k);
    }
    for (; k < innerEnd; k += lanes, advance()) {
      Samples s;
      VU colour;
      const Kind kind = SampleInner<kPrefetch>(c.inner, c.constants, u, v, &colour, &s);
      if (kind == Kind::kFull) {
        hn::StoreU(colour, du, line + k);
      } else if (kind == Kind::kPartial) {
        BlendPlain(c.constants, s, line + k);
      }
    }
    for (; k < whole; k += lanes, advance()) {
      const Samples s = SampleGeneral(p, c.constants, u, v);
      if (s.any) BlendPlain(c.constants, s, line + k);
    }
  } else {
    // Two groups at a time.
    for (; k < whole; k += 2 * lanes) {
      const bool second = k + lanes < whole;
      const Samples s0 = SampleAt<kPrefetch>(p, c, k >= innerBegin && k < innerEnd, u, v);
      advance();
      Samples s1{s0.colour, hn::Zero(du), false, false};
      if (second) {
        s1 = SampleAt<kPrefetch>(p, c, k + lanes >= innerBegin && k + lanes < innerEnd, u, v);
        advance();
      }
      if (s0.full && (s1.full || !second)) {
        FinishFull(c.shading, s0.colour, s1.colour, second, line + k);
      } else if (s0.any || s1.any) {
        Finish(c.shading, s0.any ? s0 : Samples{s0.colour, hn::Zero(du), false, false},
               s1.any ? s1 : Samples{s0.colour, hn::Zero(du), false, false}, second, line + k);
      }
    }
  }
  if (whole < count) {
    // The last few pixels of the span go through a buffer so that no vector
    // access reaches past it.
    HWY_ALIGN uint32_t buffer[kMaxLanes] = {};
    const int32_t rest = count - whole;
    for (int32_t i = 0; i < rest; ++i) buffer[i] = line[whole + i];
    const Samples s = SampleGeneral(p, c.constants, u, v);
    if (kPlain) {
      BlendPlain(c.constants, s, buffer);
    } else {
      Finish(c.shading, s, s, false, buffer);
    }
    for (int32_t i = 0; i < rest; ++i) line[whole + i] = buffer[i];
  }
}

// Rows are taken in bands and each band in strips of its spans, so that the
// source pixels one strip reads stay in the cache from one row to the next
// (along a row, a turned picture is read across many source rows).
constexpr int32_t kStripPixels = kRestartPixels;
static_assert(kStripPixels % (2 * kMaxLanes) == 0, "strips of whole pairs of groups");
constexpr int32_t kBandRows = 32;

template <bool kPrefetch, bool kPlain>
void RenderBands(const Prepared& p) {
  const Shading shading = ShadingOf(p);
  const Constants constants = ConstantsOf(p);
  const Inner inner{p.src, p.src + p.srcStride, p.key, static_cast<intptr_t>(p.prefetchAhead)};
  const RunContext context{shading, constants, inner};
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
        RenderRun<kPrefetch, kPlain>(p, context, spans[i], top + i, strip,
                                     std::min(count, strip + kStripPixels));
      }
    }
  }
}

void RenderRows(const Prepared& p) {
  const bool plain = !p.recolour && !p.thresholdActive && p.alpha256 == 256;
  if (p.prefetch) {
    plain ? RenderBands<true, true>(p) : RenderBands<true, false>(p);
  } else {
    plain ? RenderBands<false, true>(p) : RenderBands<false, false>(p);
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
