#include "common/surface.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace surface {

namespace {

bool valid(const Surface& s) {
  return s.bits != nullptr && s.width > 0 && s.height > 0 &&
         s.stride >= static_cast<std::int64_t>(s.width) * 4;
}

std::uint32_t* row(const Surface& s, int y) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(s.bits) +
                                          static_cast<std::ptrdiff_t>(y) * s.stride);
}

// Clips a copy of w x h pixels between two surfaces; false when nothing is left.
bool clipCopy(const Surface& dst, int& x, int& y, int& w, int& h, const Surface& src, int& sx,
              int& sy) {
  if (!valid(dst) || !valid(src) || w <= 0 || h <= 0) return false;
  // In 64 bits: a caller may pass anything in the int range.
  auto clipAxis = [](int& d, int& s, int& size, int dLimit, int sLimit) {
    const long long shift = std::max({0LL, -static_cast<long long>(d), -static_cast<long long>(s)});
    const long long d64 = d + shift, s64 = s + shift;
    const long long n = std::min({size - shift, dLimit - d64, sLimit - s64});
    if (n <= 0) return false;
    d = static_cast<int>(d64);
    s = static_cast<int>(s64);
    size = static_cast<int>(n);
    return true;
  };
  return clipAxis(x, sx, w, dst.width, src.width) && clipAxis(y, sy, h, dst.height, src.height);
}

bool sharesMemory(const Surface& a, const Surface& b) {
  const auto begin = [](const Surface& s) { return reinterpret_cast<std::uintptr_t>(s.bits); };
  const auto end = [&](const Surface& s) {
    return begin(s) + static_cast<std::uintptr_t>(s.stride) * static_cast<std::uintptr_t>(s.height);
  };
  return begin(a) < end(b) && begin(b) < end(a);
}

// A source that shares memory with the destination is read from a copy, so
// that a blit within one surface gives what a blit from a snapshot would,
// whichever way it goes.
Surface readable(const Surface& dst, const Surface& src, std::vector<std::uint32_t>& copy) {
  if (!sharesMemory(dst, src)) return src;
  const auto width = static_cast<std::size_t>(src.width);
  copy.resize(width * static_cast<std::size_t>(src.height));
  for (int y = 0; y < src.height; ++y)
    std::memcpy(copy.data() + width * static_cast<std::size_t>(y), row(src, y), width * 4);
  return Surface{copy.data(), src.width, src.height, src.width * 4};
}

// Walks every destination pixel of a stretched blit and hands the matching
// source pixel to `put`, clipping on both sides. Positions and sizes are
// taken in 64 bits so that no int argument can overflow.
template <typename Put>
void forEachStretched(Surface& dst, long long x, long long y, long long w, long long h,
                      const Surface& source, long long sx, long long sy, long long sw, long long sh,
                      Put put) {
  if (!valid(dst) || !valid(source) || w == 0 || h == 0 || sw == 0 || sh == 0) return;
  std::vector<std::uint32_t> copy;
  const Surface src = readable(dst, source, copy);
  // A negative destination size mirrors, like a negative source size.
  const bool mirrorX = (w < 0) != (sw < 0);
  const bool mirrorY = (h < 0) != (sh < 0);
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  if (sw < 0) {
    sx += sw;
    sw = -sw;
  }
  if (sh < 0) {
    sy += sh;
    sh = -sh;
  }
  const long long x0 = std::max(x, 0LL), x1 = std::min<long long>(x + w, dst.width);
  const long long y0 = std::max(y, 0LL), y1 = std::min<long long>(y + h, dst.height);
  for (long long dy = y0; dy < y1; ++dy) {
    long long j = (dy - y) * sh / h;
    if (mirrorY) j = sh - 1 - j;
    const long long srcY = sy + j;
    if (srcY < 0 || srcY >= src.height) continue;
    const std::uint32_t* srcRow = row(src, static_cast<int>(srcY));
    std::uint32_t* dstRow = row(dst, static_cast<int>(dy));
    for (long long dx = x0; dx < x1; ++dx) {
      long long i = (dx - x) * sw / w;
      if (mirrorX) i = sw - 1 - i;
      const long long srcX = sx + i;
      if (srcX < 0 || srcX >= src.width) continue;
      put(dstRow[dx], srcRow[srcX]);
    }
  }
}

}  // namespace

Surface of(QImage& image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
      image.format() != QImage::Format_ARGB32_Premultiplied)
    image = image.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) return Surface{nullptr, 0, 0, 0};
  return Surface{reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
                 static_cast<std::int32_t>(image.bytesPerLine())};
}

Surface view(const QImage& image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
      image.format() != QImage::Format_ARGB32_Premultiplied)
    return Surface{nullptr, 0, 0, 0};
  // constBits() leaves the pixels shared, where bits() would copy them.
  return Surface{reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(image.constBits())),
                 image.width(), image.height(), static_cast<std::int32_t>(image.bytesPerLine())};
}

void bitBlt(Surface& dst, int x, int y, int w, int h, const Surface& source, int sx, int sy,
            RasterOp op) {
  if (!clipCopy(dst, x, y, w, h, source, sx, sy)) return;
  std::vector<std::uint32_t> copy;
  const Surface src = readable(dst, source, copy);
  for (int r = 0; r < h; ++r) {
    std::uint32_t* d = row(dst, y + r) + x;
    const std::uint32_t* s = row(src, sy + r) + sx;
    if (op == RasterOp::SrcCopy) {
      std::memcpy(d, s, static_cast<std::size_t>(w) * 4);
    } else {
      for (int c = 0; c < w; ++c) d[c] |= s[c];
    }
  }
}

void stretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh) {
  forEachStretched(dst, x, y, w, h, src, sx, sy, sw, sh,
                   [](std::uint32_t& d, std::uint32_t s) { d = s | 0xFF000000u; });
}

void transparentBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                    int sw, int sh, ColourRef key) {
  // A system colour (or kInvalid) is no pixel value and keys out nothing.
  if ((key & colour::kSystemFlag) != 0) {
    stretchBlt(dst, x, y, w, h, src, sx, sy, sw, sh);
    return;
  }
  const std::uint32_t keyRgb = colour::toPixel(key) & 0x00FFFFFFu;
  forEachStretched(dst, x, y, w, h, src, sx, sy, sw, sh,
                   [keyRgb](std::uint32_t& d, std::uint32_t s) {
                     if ((s & 0x00FFFFFFu) != keyRgb) d = s | 0xFF000000u;
                   });
}

void alphaBlend(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh, int opacity) {
  const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(opacity, 0, 255));
  forEachStretched(dst, x, y, w, h, src, sx, sy, sw, sh, [a](std::uint32_t& d, std::uint32_t s) {
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
      const std::uint32_t dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
      out |= ((sc * a + dc * (255 - a) + 127) / 255) << shift;
    }
    d = out;
  });
}

ColourRef getPixel(const Surface& s, int x, int y) {
  if (!valid(s) || x < 0 || y < 0 || x >= s.width || y >= s.height) return colour::kInvalid;
  return colour::fromPixel(row(s, y)[x]);
}

void setPixel(Surface& s, int x, int y, ColourRef c) {
  if (!valid(s) || x < 0 || y < 0 || x >= s.width || y >= s.height || colour::isSystemColour(c))
    return;
  row(s, y)[x] = colour::toPixel(c);
}

}  // namespace surface
