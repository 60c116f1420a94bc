// The SIMD renderer, compiled once per Highway target and chosen at run time.
// Each vector of destination pixels does exactly the float operations of the
// reference renderer (rotate_reference.cpp), lane by lane and in the same
// order, with no fused multiply-add, so both give the same pixels.
//
// Each row's span is cut into vectors. Vectors whose samples all lie well
// inside the rectangle (the span's inner part) take the quick way: one
// 64-bit gather fetches a pixel and its right-hand neighbour, and no edge
// tests are needed. The others take the general way, which checks every
// neighbour against the rectangle's edges.
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

using DF = hn::ScalableTag<float>;
using DI = hn::RebindToSigned<DF>;
using DU = hn::RebindToUnsigned<DF>;
using VF = hn::Vec<DF>;
using VI = hn::Vec<DI>;
using VU = hn::Vec<DU>;
using MF = hn::Mask<DF>;

// Byte `kByte` of each pixel (2 red, 1 green, 0 blue) as a float.
template <int kByte>
HWY_INLINE VF Channel(VU pixel) {
  const DF df;
  const DU du;
  const DI di;
  if (kByte == 0) return hn::ConvertTo(df, hn::BitCast(di, hn::And(pixel, hn::Set(du, 0xFFu))));
  // A byte shuffle moves the byte to the bottom of its lane and clears the
  // rest: one instruction instead of a shift and a mask.
  const VU lane = hn::ShiftLeft<2>(hn::And(hn::Iota(du, 0), hn::Set(du, 3u)));
  const VU from = hn::Or(lane, hn::Set(du, 0x80808000u | kByte));
  return hn::ConvertTo(df, hn::BitCast(di, hn::TableLookupBytesOr0(pixel, from)));
}

// Whole-number floats of magnitude below 2^22 to int32 without the range
// fix-ups of a general conversion: the bits of 1.5 * 2^23 + x are those of
// 1.5 * 2^23 plus x.
HWY_INLINE VI WholeToInt(VF whole) {
  const DF df;
  const DI di;
  const VF magic = hn::Set(df, 12582912.0f);
  return hn::Sub(hn::BitCast(di, hn::Add(whole, magic)), hn::BitCast(di, magic));
}

HWY_INLINE VF Clamp255(VF v) {
  const DF df;
  return hn::Min(hn::Max(v, hn::Zero(df)), hn::Set(df, 255.0f));
}

// floor(v + 0.5), which is v + 0.5 truncated as v is within [0, 255] up to
// rounding: the low byte of the bits of 2^23 + that whole number.
HWY_INLINE VU ToByteBits(VF v) {
  const DF df;
  const DU du;
  return hn::BitCast(du,
                     hn::Add(hn::Floor(hn::Add(v, hn::Set(df, 0.5f))), hn::Set(df, 8388608.0f)));
}

HWY_INLINE VU Pack(VF r, VF g, VF b) {
  const DU du;
  // Shifting the red and green bits left pushes the exponent out.
  return hn::Or3(hn::ShiftLeft<16>(ToByteBits(r)), hn::ShiftLeft<8>(ToByteBits(g)),
                 hn::Or(hn::And(ToByteBits(b), hn::Set(du, 0xFFu)), hn::Set(du, 0xFF000000u)));
}

struct Samples {
  VU p00, p10, p01, p11;  // neighbours: top-left, top-right, bottom-left, bottom-right
  VF w00, w10, w01, w11;  // their weights, zero where not there
  MF allThere;            // all four neighbours there
};

// The colour of the samples, recoloured, blended over `out`: the common
// second half of both ways through a vector.
HWY_INLINE void Shade(const Prepared& p, const Samples& s, bool maybeMissing,
                      uint32_t* HWY_RESTRICT out) {
  const DF df;
  const DU du;
  const VF one = hn::Set(df, 1.0f);

  // With all four neighbours there the coverage is exactly one and the
  // weighted sum is the colour; otherwise divide by the coverage.
  VF coverage = one;
  MF covered = hn::Eq(one, one);
  if (maybeMissing) {
    const VF sum = hn::Add(hn::Add(hn::Add(s.w00, s.w10), s.w01), s.w11);
    coverage = hn::IfThenElse(s.allThere, one, sum);
    covered = hn::Gt(coverage, hn::Zero(df));
    if (hn::AllFalse(df, covered)) return;
  }

  auto weighted = [&](VF a00, VF a10, VF a01, VF a11) {
    return hn::Add(hn::Add(hn::Add(hn::Mul(s.w00, a00), hn::Mul(s.w10, a10)), hn::Mul(s.w01, a01)),
                   hn::Mul(s.w11, a11));
  };
  VF r = weighted(Channel<2>(s.p00), Channel<2>(s.p10), Channel<2>(s.p01), Channel<2>(s.p11));
  VF g = weighted(Channel<1>(s.p00), Channel<1>(s.p10), Channel<1>(s.p01), Channel<1>(s.p11));
  VF b = weighted(Channel<0>(s.p00), Channel<0>(s.p10), Channel<0>(s.p01), Channel<0>(s.p11));
  if (maybeMissing) {
    // Uncovered lanes divide by one instead of zero; they are not written.
    const VF inverse =
        hn::IfThenElse(s.allThere, one, hn::Div(one, hn::IfThenElse(covered, coverage, one)));
    r = hn::Mul(r, inverse);
    g = hn::Mul(g, inverse);
    b = hn::Mul(b, inverse);
  }

  if (!p.identityMatrix) {
    const float* m = p.matrix;
    auto row3 = [&](int i) {
      return hn::Add(hn::Add(hn::Mul(hn::Set(df, m[i]), r), hn::Mul(hn::Set(df, m[i + 1]), g)),
                     hn::Mul(hn::Set(df, m[i + 2]), b));
    };
    const VF nr = row3(0);
    const VF ng = row3(3);
    const VF nb = row3(6);
    r = nr;
    g = ng;
    b = nb;
  }
  if (!p.identityMatrix || p.thresholdActive) {
    // Unrecoloured, the weighted mean stays within [0, 255] but for rounding
    // that the conversion to bytes absorbs, so only the threshold, which
    // looks at the exact tones, needs the clamp.
    r = Clamp255(r);
    g = Clamp255(g);
    b = Clamp255(b);
  }

  if (p.thresholdActive) {
    const VF luminance =
        hn::Add(hn::Add(hn::Mul(hn::Set(df, 0.2126f), r), hn::Mul(hn::Set(df, 0.7152f), g)),
                hn::Mul(hn::Set(df, 0.0722f), b));
    if (p.blackBelow >= 0.0f) {
      const MF black = hn::Lt(luminance, hn::Set(df, p.blackBelow));
      r = hn::IfThenZeroElse(black, r);
      g = hn::IfThenZeroElse(black, g);
      b = hn::IfThenZeroElse(black, b);
    } else {
      const MF white = hn::Gt(luminance, hn::Set(df, p.whiteAbove));
      const VF full = hn::Set(df, 255.0f);
      r = hn::IfThenElse(white, full, r);
      g = hn::IfThenElse(white, full, g);
      b = hn::IfThenElse(white, full, b);
    }
  }

  if (!maybeMissing && p.alpha >= 1.0f) {
    // Opaque and fully covered: the colour replaces the destination.
    hn::StoreU(Pack(r, g, b), du, out);
    return;
  }
  const VU d = hn::LoadU(du, out);
  const VF dr = Channel<2>(d);
  const VF dg = Channel<1>(d);
  const VF db = Channel<0>(d);
  const VF a =
      maybeMissing ? hn::Min(hn::Mul(coverage, hn::Set(df, p.alpha)), one) : hn::Set(df, p.alpha);
  VF outR = hn::Add(dr, hn::Mul(hn::Sub(r, dr), a));
  VF outG = hn::Add(dg, hn::Mul(hn::Sub(g, dg), a));
  VF outB = hn::Add(db, hn::Mul(hn::Sub(b, db), a));
  if (p.alpha >= 1.0f || maybeMissing) {
    // Where coverage * alpha reaches one the colour replaces the
    // destination.
    const MF opaque = hn::Ge(a, one);
    outR = hn::IfThenElse(opaque, r, outR);
    outG = hn::IfThenElse(opaque, g, outG);
    outB = hn::IfThenElse(opaque, b, outB);
  }
  hn::StoreU(hn::IfThenElse(hn::RebindMask(du, covered), Pack(outR, outG, outB), d), du, out);
}

// Neighbour weights from the sample position's fractions.
HWY_INLINE void Weights(VF fx, VF fy, Samples* s) {
  const DF df;
  const VF one = hn::Set(df, 1.0f);
  const VF gx = hn::Sub(one, fx);
  const VF gy = hn::Sub(one, fy);
  s->w00 = hn::Mul(gx, gy);
  s->w10 = hn::Mul(fx, gy);
  s->w01 = hn::Mul(gx, fy);
  s->w11 = hn::Mul(fx, fy);
}

#if HWY_TARGET != HWY_SCALAR
// The pixels at byte offsets `offsets` into the rectangle and the ones to
// their right, with 64-bit gathers.
HWY_INLINE void GatherPairs(const Prepared& p, VI offsets, VU* first, VU* second) {
  const DU du;
  const hn::Repartition<uint64_t, DU> d64;
  const hn::Repartition<int64_t, DI> di64;
  const hn::Half<DI> dh;
  const auto* base = reinterpret_cast<const uint64_t*>(p.src);
  const VU low =
      hn::BitCast(du, hn::GatherOffset(d64, base, hn::PromoteTo(di64, hn::LowerHalf(dh, offsets))));
  const VU high =
      hn::BitCast(du, hn::GatherOffset(d64, base, hn::PromoteTo(di64, hn::UpperHalf(dh, offsets))));
  *first = hn::ConcatEven(du, high, low);
  *second = hn::ConcatOdd(du, high, low);
}
#endif

// The general way: any sample position, neighbours checked against the
// rectangle's edges.
HWY_NOINLINE void RenderGeneral(const Prepared& p, VF u, VF v, uint32_t* HWY_RESTRICT out) {
  const DF df;
  const DI di;
  const DU du;

  u = hn::Min(hn::Max(u, hn::Set(df, -1.0f)), hn::Set(df, static_cast<float>(p.rectWidth)));
  v = hn::Min(hn::Max(v, hn::Set(df, -1.0f)), hn::Set(df, static_cast<float>(p.rectHeight)));
  const VF floorU = hn::Floor(u);
  const VF floorV = hn::Floor(v);
  const VI col = WholeToInt(floorU);
  const VI row = WholeToInt(floorV);
  Samples s;
  Weights(hn::Sub(u, floorU), hn::Sub(v, floorV), &s);

  // col and row lie in [-1, size]; neighbour 0 is readable from 0 to
  // size - 1, neighbour 1 (one further) up to size - 2.
  const VI minusOne = hn::Set(di, -1);
  const VI lastCol = hn::Set(di, p.rectWidth - 1);
  const VI lastRow = hn::Set(di, p.rectHeight - 1);
  const auto col0In = hn::And(hn::Gt(col, minusOne), hn::Lt(col, hn::Set(di, p.rectWidth)));
  const auto col1In = hn::Lt(col, lastCol);
  const auto row0In = hn::And(hn::Gt(row, minusOne), hn::Lt(row, hn::Set(di, p.rectHeight)));
  const auto row1In = hn::Lt(row, lastRow);

  // Indices clamped into the rectangle so that every gather reads memory
  // that belongs to the source; lanes that are not readable get no weight.
  const VI zero = hn::Zero(di);
  const VI c0 = hn::Min(hn::Max(col, zero), lastCol);
  const VI c1 = hn::Min(hn::Add(col, hn::Set(di, 1)), lastCol);
  const VI r0 = hn::Min(hn::Max(row, zero), lastRow);
  const VI r1 = hn::Min(hn::Add(row, hn::Set(di, 1)), lastRow);
  const VI stride = hn::Set(di, static_cast<int32_t>(p.srcStride));
  const VI o0 = hn::Mul(r0, stride);
  const VI o1 = hn::Mul(r1, stride);
#if HWY_TARGET != HWY_SCALAR
  if (p.rectWidth >= 2) {
    // Pairs of pixels (pair, pair + 1) with pair clamped to [0, width - 2]:
    // the left neighbour is the first of the pair unless col is the last
    // column, the right one is the second unless col is -1.
    const VI pair = hn::Min(hn::Max(col, zero), hn::Set(di, p.rectWidth - 2));
    const auto leftFirst = hn::RebindMask(du, hn::Eq(col, pair));
    const auto rightFirst = hn::RebindMask(du, hn::Lt(col, zero));
    VU top0, top1, bottom0, bottom1;
    GatherPairs(p, hn::ShiftLeft<2>(hn::Add(o0, pair)), &top0, &top1);
    GatherPairs(p, hn::ShiftLeft<2>(hn::Add(o1, pair)), &bottom0, &bottom1);
    s.p00 = hn::IfThenElse(leftFirst, top0, top1);
    s.p10 = hn::IfThenElse(rightFirst, top0, top1);
    s.p01 = hn::IfThenElse(leftFirst, bottom0, bottom1);
    s.p11 = hn::IfThenElse(rightFirst, bottom0, bottom1);
  } else
#endif
  {
    s.p00 = hn::GatherIndex(du, p.src, hn::Add(o0, c0));
    s.p10 = hn::GatherIndex(du, p.src, hn::Add(o0, c1));
    s.p01 = hn::GatherIndex(du, p.src, hn::Add(o1, c0));
    s.p11 = hn::GatherIndex(du, p.src, hn::Add(o1, c1));
  }

  const VU rgb = hn::Set(du, 0x00FFFFFFu);
  const VU key = hn::Set(du, p.key);
  auto there = [&](VU pixel, auto colIn, auto rowIn) {
    const auto kept = hn::RebindMask(di, hn::Ne(hn::And(pixel, rgb), key));
    return hn::RebindMask(df, hn::And(hn::And(colIn, rowIn), kept));
  };
  const MF t00 = there(s.p00, col0In, row0In);
  const MF t10 = there(s.p10, col1In, row0In);
  const MF t01 = there(s.p01, col0In, row1In);
  const MF t11 = there(s.p11, col1In, row1In);
  s.w00 = hn::IfThenElseZero(t00, s.w00);
  s.w10 = hn::IfThenElseZero(t10, s.w10);
  s.w01 = hn::IfThenElseZero(t01, s.w01);
  s.w11 = hn::IfThenElseZero(t11, s.w11);
  s.allThere = hn::And(hn::And(t00, t10), hn::And(t01, t11));
  Shade(p, s, true, out);
}

#if HWY_TARGET != HWY_SCALAR
// The quick way, for sample positions with 0 <= u < width - 1 and
// 0 <= v < height - 1: all four neighbours lie inside the rectangle.
HWY_INLINE void RenderInner(const Prepared& p, VF u, VF v, uint32_t* HWY_RESTRICT out) {
  const DF df;
  const DI di;
  const DU du;
  const hn::Repartition<uint64_t, DU> d64;
  const hn::Repartition<int64_t, DI> di64;
  const hn::Half<DI> dh;

  const VF floorU = hn::Floor(u);
  const VF floorV = hn::Floor(v);
  // The clamps never bite for positions in the inner part; they only make
  // sure that no read can leave the rectangle.
  const VI col = hn::Min(hn::Max(WholeToInt(floorU), hn::Zero(di)), hn::Set(di, p.rectWidth - 2));
  const VI row = hn::Min(hn::Max(WholeToInt(floorV), hn::Zero(di)), hn::Set(di, p.rectHeight - 2));
  Samples s;
  Weights(hn::Sub(u, floorU), hn::Sub(v, floorV), &s);
  s.allThere = hn::Eq(floorU, floorU);

  // Byte offsets of the top-left neighbours; each 64-bit gather brings the
  // right-hand neighbour along.
  const VI top =
      hn::ShiftLeft<2>(hn::Add(hn::Mul(row, hn::Set(di, static_cast<int32_t>(p.srcStride))), col));
  const auto lowTop = hn::PromoteTo(di64, hn::LowerHalf(dh, top));
  const auto highTop = hn::PromoteTo(di64, hn::UpperHalf(dh, top));
  const auto down = hn::Set(di64, p.srcStride * 4);
  const auto* base = reinterpret_cast<const uint64_t*>(p.src);
  const VU topLow = hn::BitCast(du, hn::GatherOffset(d64, base, lowTop));
  const VU topHigh = hn::BitCast(du, hn::GatherOffset(d64, base, highTop));
  const VU bottomLow = hn::BitCast(du, hn::GatherOffset(d64, base, hn::Add(lowTop, down)));
  const VU bottomHigh = hn::BitCast(du, hn::GatherOffset(d64, base, hn::Add(highTop, down)));
  s.p00 = hn::ConcatEven(du, topHigh, topLow);
  s.p10 = hn::ConcatOdd(du, topHigh, topLow);
  s.p01 = hn::ConcatEven(du, bottomHigh, bottomLow);
  s.p11 = hn::ConcatOdd(du, bottomHigh, bottomLow);

  bool maybeMissing = false;
  if (p.key <= 0x00FFFFFFu) {
    const VU rgb = hn::Set(du, 0x00FFFFFFu);
    const VU key = hn::Set(du, p.key);
    auto there = [&](VU pixel) { return hn::RebindMask(df, hn::Ne(hn::And(pixel, rgb), key)); };
    const MF t00 = there(s.p00);
    const MF t10 = there(s.p10);
    const MF t01 = there(s.p01);
    const MF t11 = there(s.p11);
    s.allThere = hn::And(hn::And(t00, t10), hn::And(t01, t11));
    if (!hn::AllTrue(df, s.allThere)) {
      maybeMissing = true;
      s.w00 = hn::IfThenElseZero(t00, s.w00);
      s.w10 = hn::IfThenElseZero(t10, s.w10);
      s.w01 = hn::IfThenElseZero(t01, s.w01);
      s.w11 = hn::IfThenElseZero(t11, s.w11);
    }
  }
  Shade(p, s, maybeMissing, out);
}
#endif

// Asks for the source lines that the pixels two rows further down will read,
// so that they arrive while this row is drawn. Along a row of a turned
// picture the reads cross many source rows, which the hardware prefetchers
// do not foresee; this matters when the picture is too large for the cache.
HWY_INLINE void PrefetchAhead(const Prepared& p, VF u, VF v) {
  const DF df;
  const DI di;
  constexpr int32_t kRowsAhead = 2;
  const VF aheadU = hn::Sub(u, hn::Set(df, static_cast<float>(kRowsAhead * p.b)));
  const VF aheadV = hn::Add(v, hn::Set(df, static_cast<float>(kRowsAhead * p.a)));
  const VI col =
      hn::Min(hn::Max(WholeToInt(hn::Floor(aheadU)), hn::Zero(di)), hn::Set(di, p.rectWidth - 1));
  const VI row =
      hn::Min(hn::Max(WholeToInt(hn::Floor(aheadV)), hn::Zero(di)), hn::Set(di, p.rectHeight - 2));
  HWY_ALIGN int32_t offsets[HWY_MAX_BYTES / sizeof(int32_t)];
  hn::Store(hn::Add(hn::Mul(row, hn::Set(di, static_cast<int32_t>(p.srcStride))), col), di,
            offsets);
  for (size_t i = 0; i < hn::Lanes(di); ++i) {
    hwy::Prefetch(p.src + offsets[i]);
    hwy::Prefetch(p.src + offsets[i] + p.srcStride);
  }
}

// Pixels [from, to) of a row's span; `from` is a multiple of the lane count.
HWY_INLINE void RenderRun(const Prepared& p, const Span& span, int32_t y, int32_t from,
                          int32_t to) {
  const DF df;
  const int32_t lanes = static_cast<int32_t>(hn::Lanes(df));
  const VF iota = hn::Iota(df, 0.0f);
  const VF stepU = hn::Set(df, p.stepU);
  const VF stepV = hn::Set(df, p.stepV);
  const VF u0 = hn::Set(df, span.u);
  const VF v0 = hn::Set(df, span.v);
  uint32_t* line = p.dst + y * p.dstStride + span.begin;
  const int32_t innerBegin = span.innerBegin - span.begin;
  const int32_t innerEnd = span.innerEnd - span.begin;
  int32_t k = from;
  for (; k + lanes <= to; k += lanes) {
    // Pixel offsets are exact in float: k + lane is far below 2^24.
    const VF kf = hn::Add(iota, hn::Set(df, static_cast<float>(k)));
    const VF u = hn::Add(u0, hn::Mul(stepU, kf));
    const VF v = hn::Add(v0, hn::Mul(stepV, kf));
#if HWY_TARGET != HWY_SCALAR
    if (k >= innerBegin && k + lanes <= innerEnd) {
      if (p.prefetch) PrefetchAhead(p, u, v);
      RenderInner(p, u, v, line + k);
      continue;
    }
#else
    (void)innerBegin;
    (void)innerEnd;
#endif
    RenderGeneral(p, u, v, line + k);
  }
  if (k < to) {
    // The last few pixels of the span go through a buffer so that no vector
    // access reaches past it.
    HWY_ALIGN uint32_t buffer[HWY_MAX_BYTES / sizeof(uint32_t)] = {};
    const int32_t rest = to - k;
    for (int32_t i = 0; i < rest; ++i) buffer[i] = line[k + i];
    const VF kf = hn::Add(iota, hn::Set(df, static_cast<float>(k)));
    RenderGeneral(p, hn::Add(u0, hn::Mul(stepU, kf)), hn::Add(v0, hn::Mul(stepV, kf)), buffer);
    for (int32_t i = 0; i < rest; ++i) line[k + i] = buffer[i];
  }
}

// Rows are taken in bands and each band in strips of its spans, so that the
// source pixels one strip reads stay in the cache from one row to the next
// (along a row, a turned picture is read across many source rows).
constexpr int32_t kBandRows = 32;
constexpr int32_t kStripPixels = 128;  // a multiple of every lane count
static_assert(kStripPixels % (HWY_MAX_BYTES / sizeof(uint32_t)) == 0, "strips of whole vectors");

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
  if (!p.smallSource) {
    // Offsets would not fit the 32-bit gather offsets.
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
