#include "common/surface.h"

#include <algorithm>
#include <cstring>

namespace surface {

namespace {

bool valid(const Surface& s) {
  return s.bits != nullptr && s.width > 0 && s.height > 0 &&
         s.stride >= s.width * static_cast<int>(sizeof(std::uint32_t));
}

std::uint32_t* row(const Surface& s, int y) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(s.bits) +
                                          static_cast<std::ptrdiff_t>(y) * s.stride);
}

// Clips a copy of w x h pixels between two surfaces; false when nothing is left.
bool clipCopy(const Surface& dst, int& x, int& y, int& w, int& h, const Surface& src, int& sx,
              int& sy) {
  if (!valid(dst) || !valid(src) || w <= 0 || h <= 0) return false;
  auto clipAxis = [](int& d, int& s, int& size, int dLimit, int sLimit) {
    if (d < 0) {
      s -= d;
      size += d;
      d = 0;
    }
    if (s < 0) {
      d -= s;
      size += s;
      s = 0;
    }
    size = std::min({size, dLimit - d, sLimit - s});
    return size > 0;
  };
  return clipAxis(x, sx, w, dst.width, src.width) && clipAxis(y, sy, h, dst.height, src.height);
}

// Walks every destination pixel of a stretched blit and hands the matching
// source pixel to `put`, clipping on both sides.
template <typename Put>
void forEachStretched(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                      int sw, int sh, Put put) {
  if (!valid(dst) || !valid(src) || w == 0 || h == 0 || sw == 0 || sh == 0) return;
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
  const int x0 = std::max(x, 0), x1 = std::min<long long>(static_cast<long long>(x) + w, dst.width);
  const int y0 = std::max(y, 0),
            y1 = std::min<long long>(static_cast<long long>(y) + h, dst.height);
  for (int dy = y0; dy < y1; ++dy) {
    long long j = (static_cast<long long>(dy - y) * sh) / h;
    if (mirrorY) j = sh - 1 - j;
    const long long srcY = sy + j;
    if (srcY < 0 || srcY >= src.height) continue;
    const std::uint32_t* srcRow = row(src, static_cast<int>(srcY));
    std::uint32_t* dstRow = row(dst, dy);
    for (int dx = x0; dx < x1; ++dx) {
      long long i = (static_cast<long long>(dx - x) * sw) / w;
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

QImage toImage(const Surface& s) {
  if (!valid(s)) return QImage();
  QImage image(s.width, s.height, QImage::Format_RGB32);
  for (int y = 0; y < s.height; ++y)
    std::memcpy(image.scanLine(y), row(s, y), static_cast<std::size_t>(s.width) * 4);
  return image;
}

void bitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  if (!clipCopy(dst, x, y, w, h, src, sx, sy)) return;
  const bool overlapping = dst.bits == src.bits;
  // Copying within one surface downwards or to the right must walk backwards.
  const bool backwards = overlapping && (y > sy || (y == sy && x > sx));
  for (int i = 0; i < h; ++i) {
    const int r = backwards ? h - 1 - i : i;
    std::uint32_t* d = row(dst, y + r) + x;
    const std::uint32_t* s = row(src, sy + r) + sx;
    if (op == RasterOp::SrcCopy) {
      std::memmove(d, s, static_cast<std::size_t>(w) * 4);
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
