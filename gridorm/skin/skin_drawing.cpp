#include "gridorm/skin/skin_drawing.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace skin {

namespace {

// Stretches one piece of a cell; a piece with no size on either side is left out.
void stretchPiece(Surface& dst, int x, int y, int width, int height, const Surface& src, int sx,
                  int sy, int sw, int sh) {
  if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return;
  surface::stretchBlt(dst, x, y, width, height, src, sx, sy, sw, sh);
}

bool usable(const Surface& s) { return s.bits != nullptr && s.width > 0 && s.height > 0; }

}  // namespace

Surface ReadingSurface(const QImage& image) {
  return Surface{reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(image.constBits())),
                 image.width(), image.height(), static_cast<std::int32_t>(image.bytesPerLine())};
}

QImage MemorySurface(QSize size, bool transparent) {
  if (size.isEmpty()) return {};
  QImage image(size, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (!image.isNull()) image.fill(transparent ? Qt::transparent : Qt::white);
  return image;
}

void DrawSkinPart(Surface& dst, int x, int y, int width, int height, const Surface& skin, int sx,
                  int sy, int sw, int sh, Margins margins, std::optional<ColourRef> key) {
  if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0 || !usable(skin) || !usable(dst)) return;
  // The cell is put together at the destination's size first, then laid
  // down in one piece, so that the key colour is left out consistently.
  QImage part = MemorySurface(QSize(width, height));
  if (part.isNull()) return;
  if (key) part.fill(colour::toPixel(*key));
  Surface p = surface::of(part);
  const int l = std::max(margins.left, 0), t = std::max(margins.top, 0);
  const int r = std::max(margins.right, 0), b = std::max(margins.bottom, 0);
  // Corners at their own size; a destination smaller than the margins clips them.
  // Without margins only the centre is left, stretched over everything.
  stretchPiece(p, 0, 0, l, t, skin, sx, sy, l, t);
  stretchPiece(p, width - r, 0, r, t, skin, sx + sw - r, sy, r, t);
  stretchPiece(p, 0, height - b, l, b, skin, sx, sy + sh - b, l, b);
  stretchPiece(p, width - r, height - b, r, b, skin, sx + sw - r, sy + sh - b, r, b);
  // Edges and centre: sizes that come out below zero are left out.
  const int innerW = width - l - r, innerH = height - t - b;
  const int cellW = sw - l - r, cellH = sh - t - b;
  stretchPiece(p, 0, t, l, innerH, skin, sx, sy + t, l, cellH);
  stretchPiece(p, width - r, t, r, innerH, skin, sx + sw - r, sy + t, r, cellH);
  stretchPiece(p, l, 0, innerW, t, skin, sx + l, sy, cellW, t);
  stretchPiece(p, l, height - b, innerW, b, skin, sx + l, sy + sh - b, cellW, b);
  stretchPiece(p, l, t, innerW, innerH, skin, sx + l, sy + t, cellW, cellH);
  if (key)
    TransparentCopy(dst, x, y, width, height, p, 0, 0, *key);
  else
    surface::bitBlt(dst, x, y, width, height, p, 0, 0);
}

void TransparentCopy(Surface& dst, int x, int y, int width, int height, const Surface& src, int sx,
                     int sy, ColourRef key) {
  const ColourRef resolved =
      colour::isSystemColour(key) ? colour::fromQColor(colour::toQColor(key)) : key;
  surface::transparentBlt(dst, x, y, width, height, src, sx, sy, width, height,
                          resolved & 0x00FFFFFFu);
}

void FillRect(Surface& dst, int x, int y, int width, int height, ColourRef colour) {
  if (!usable(dst) || width <= 0 || height <= 0 || colour::isSystemColour(colour)) return;
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = static_cast<int>(std::min<long long>(dst.width, 1LL * x + width));
  const int bottom = static_cast<int>(std::min<long long>(dst.height, 1LL * y + height));
  const std::uint32_t pixel = colour::toPixel(colour);
  for (int row = top; row < bottom; ++row) {
    auto* line = reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(dst.bits) +
                                                  static_cast<std::ptrdiff_t>(row) * dst.stride);
    std::fill(line + left, line + std::max(left, right), pixel);
  }
}

void FrameRect(Surface& dst, int x, int y, int width, int height, ColourRef colour) {
  if (width <= 0 || height <= 0) return;
  FillRect(dst, x, y, width, 1, colour);
  FillRect(dst, x, y + height - 1, width, 1, colour);
  FillRect(dst, x, y, 1, height, colour);
  FillRect(dst, x + width - 1, y, 1, height, colour);
}

void FocusRect(Surface& dst, int x, int y, int width, int height, ColourRef colour) {
  if (width <= 0 || height <= 0) return;
  const int right = x + width - 1, bottom = y + height - 1;
  for (int column = x; column <= right; column += 2) {
    surface::setPixel(dst, column, y, colour);
    surface::setPixel(dst, column, bottom, colour);
  }
  for (int row = y; row <= bottom; row += 2) {
    surface::setPixel(dst, x, row, colour);
    surface::setPixel(dst, right, row, colour);
  }
}

void DrawCaption(QImage& image, const QString& text, int x, int y, int width, int height,
                 const QFont& font, ColourRef colour) {
  if (text.isEmpty() || width <= 0 || height <= 0 || image.isNull()) return;
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(colour::toQColor(colour));
  // Measured as drawn, in fractions of a pixel, so that a caption that fits
  // is never cut.
  const QFontMetricsF metrics(font, &image);
  const QString shown = metrics.elidedText(text, Qt::ElideRight, width, Qt::TextShowMnemonic);
  painter.drawText(QRect(x, y, width, height),
                   Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, shown);
}

void PaintFlatFrame(QPainter& painter, QSize size, int border, ColourRef line,
                    ColourRef background) {
  if (size.isEmpty() || border <= 0) return;
  const auto ring = [&painter](QRect r, const QColor& c) {
    painter.fillRect(r.left(), r.top(), r.width(), 1, c);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, c);
    painter.fillRect(r.left(), r.top(), 1, r.height(), c);
    painter.fillRect(r.right(), r.top(), 1, r.height(), c);
  };
  const QRect outer(QPoint(0, 0), size);
  for (int d = 1; d < border; ++d) {
    const QRect inner = outer.adjusted(d, d, -d, -d);
    if (inner.isEmpty()) break;
    ring(inner, colour::toQColor(background));
  }
  ring(outer, colour::toQColor(line));
}

}  // namespace skin
