#include "rotaskiv/annotation_layer.h"

#include <QPainter>
#include <algorithm>

#include "rotaskiv/annotation_filters.h"

namespace capture {

int AnnotationLayer::add(Annotation annotation) {
  items_.push_back(std::move(annotation));
  return count() - 1;
}

void AnnotationLayer::replace(int index, Annotation annotation) {
  items_.at(size_t(index)) = std::move(annotation);
}

void AnnotationLayer::remove(int index) {
  if (index >= 0 && index < count()) items_.erase(items_.begin() + index);
}

std::optional<int> AnnotationLayer::topmostAt(QPointF point, qreal tolerance) const {
  for (int i = count() - 1; i >= 0; --i)
    if (items_[size_t(i)].hit(point, tolerance)) return i;
  return std::nullopt;
}

int AnnotationLayer::nextMarkerNumber() const {
  int highest = 0;
  for (const Annotation& a : items_)
    if (a.kind == AnnotationKind::Marker) highest = std::max(highest, a.number);
  return highest + 1;
}

namespace {

// Pictures of 32 bits a pixel as they are (the frozen screens are RGB32);
// anything else premultiplied, which the filters and painters take directly.
QImage thirtyTwoBits(const QImage& picture) {
  if (picture.format() == QImage::Format_RGB32 ||
      picture.format() == QImage::Format_ARGB32_Premultiplied)
    return picture;
  QImage converted = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  converted.setDevicePixelRatio(picture.devicePixelRatio());
  return converted;
}

// A painter on `image` (device pixels `origin` onwards) in the picture's
// window pixels.
void beginAt(QPainter& painter, QImage& image, QPoint origin) {
  painter.begin(&image);
  const qreal ratio = image.devicePixelRatio();
  painter.translate(-origin.x() / ratio, -origin.y() / ratio);
}

}  // namespace

QImage renderAnnotations(const QImage& picture, const AnnotationLayer& layer) {
  QImage result = thirtyTwoBits(picture);
  if (layer.empty() || result.isNull()) return result;
  result.detach();
  const qreal ratio = result.devicePixelRatio();
  QPainter painter(&result);
  for (const Annotation& a : layer.items()) {
    if (!a.isFilter()) {
      a.paint(painter);
      continue;
    }
    // A filter works on everything below it, as painted so far.
    painter.end();
    a.applyFilter(result, QPoint(), ratio);
    painter.begin(&result);
  }
  return result;
}

void AnnotationRenderer::setPicture(const QImage& picture) {
  picture_ = thirtyTwoBits(picture);
  composed_ = QImage();
  shown_.clear();
  cache_.clear();
}

QRect AnnotationRenderer::update(const AnnotationLayer& layer) {
  changedRegion_ = QRegion();
  if (picture_.isNull()) return {};
  const qreal ratio = picture_.devicePixelRatio();
  const std::vector<Annotation>& before = shown_.items();
  const std::vector<Annotation>& after = layer.items();
  const bool first = composed_.isNull();
  // What changed: the annotations between the common bottom and the common
  // top of the two lists (one moved, restyled, added, removed or swapped).
  const size_t shorter = std::min(before.size(), after.size());
  size_t bottom = 0, top = 0;
  while (!first && bottom < shorter && before[bottom] == after[bottom]) ++bottom;
  while (!first && top < shorter - bottom &&
         before[before.size() - 1 - top] == after[after.size() - 1 - top])
    ++top;
  if (!first && bottom == before.size() && bottom == after.size()) return {};

  QRegion changed;
  if (first) {
    composed_ = picture_;  // shared until the first pixel is drawn
    changed = composed_.rect();
    if (after.empty()) {
      shown_ = layer;
      changedRegion_ = QRectF(QPointF(), composed_.deviceIndependentSize()).toAlignedRect();
      return changedRegion_.boundingRect();
    }
  }
  for (size_t i = bottom; i < before.size() - top; ++i) changed += cache_[i].paintedArea;
  std::vector<Cached> cache(after.size());
  for (size_t i = 0; i < bottom; ++i) cache[i] = std::move(cache_[i]);
  for (size_t i = 0; i < top; ++i)
    cache[after.size() - 1 - i] = std::move(cache_[before.size() - 1 - i]);
  for (size_t i = bottom; i < after.size() - top; ++i) {
    Cached& c = cache[i];
    c.painted = after[i].paintedDeviceRect(ratio, &picture_);
    c.paintedArea = after[i].paintedDeviceRegion(ratio, &picture_);
    if (after[i].isFilter()) {
      c.filter = after[i].filter(ratio);
      c.filter->box &= composed_.rect();
      c.stale = c.filter->box;
    }
    changed += c.paintedArea;
  }
  // A pixelate or blur above the change works out again the part of its
  // result that depends on what changed below it; that part changes too.
  for (size_t i = after.size() - top; i < after.size(); ++i) {
    Cached& c = cache[i];
    if (!c.filter) continue;
    const QRect out = c.filter->affected((changed & c.filter->box).boundingRect());
    if (out.isEmpty()) continue;
    c.stale |= out;
    changed += out;
  }
  cache_ = std::move(cache);
  shown_ = layer;
  refreshFilters();
  changed &= composed_.rect();
  // Each piece costs a pass over the list: many small ones cost more than
  // their bounds.
  if (changed.rectCount() > 128) changed = changed.boundingRect();
  for (const QRect& piece : changed) {
    compose(piece);
    changedRegion_ +=
        QRectF(QPointF(piece.topLeft()) / ratio, QSizeF(piece.size()) / ratio).toAlignedRect();
  }
  return changedRegion_.boundingRect();
}

void AnnotationRenderer::refreshFilters() {
  for (size_t i = 0; i < cache_.size(); ++i) {
    Cached& c = cache_[i];
    if (!c.filter || c.stale.isEmpty()) continue;
    const QRect source = c.filter->needed(c.stale) & composed_.rect();
    QImage below(source.size(), picture_.format());
    paintBelow(i, below, source);
    if (c.filtered.isNull()) c.filtered = QImage(c.filter->box.size(), picture_.format());
    c.filter->run(below, source.topLeft(), c.stale, c.filtered, c.filter->box.topLeft());
    c.stale = QRect();
  }
}

void AnnotationRenderer::paintBelow(size_t end, QImage& image, const QRect& area) {
  // Drawn apart and copied in: the area's edge is exact at any ratio, and
  // nothing outside it is drawn twice.
  image.setDevicePixelRatio(picture_.devicePixelRatio());
  // Text in points takes its pixel size from the resolution it is drawn at.
  image.setDotsPerMeterX(picture_.dotsPerMeterX());
  image.setDotsPerMeterY(picture_.dotsPerMeterY());
  filters::copyPixels(image, QPoint(), picture_, area);
  QPainter painter;
  beginAt(painter, image, area.topLeft());
  const std::vector<Annotation>& items = shown_.items();
  for (size_t i = 0; i < end; ++i) {
    const Cached& c = cache_[i];
    if (!c.painted.intersects(area)) continue;
    const AnnotationKind kind = items[i].kind;
    if ((kind == AnnotationKind::Rectangle || kind == AnnotationKind::Ellipse) &&
        !area.contains(c.painted & composed_.rect())) {
      painter.end();
      paintOutline(i, image, area);
      beginAt(painter, image, area.topLeft());
      continue;
    }
    if (!c.filter) {
      items[i].paint(painter);
      continue;
    }
    const QRect shared = c.filter->box & area;
    if (shared.isEmpty()) continue;
    painter.end();
    filters::copyPixels(image, shared.topLeft() - area.topLeft(), c.filtered,
                        shared.translated(-c.filter->box.topLeft()));
    beginAt(painter, image, area.topLeft());
  }
}

void AnnotationRenderer::paintOutline(size_t index, QImage& image, const QRect& area) {
  Cached& c = cache_[index];
  const Annotation& a = shown_.at(int(index));
  const QRect whole = c.painted & composed_.rect();
  if (c.outline.isNull()) {
    c.outline = QImage(whole.size(), QImage::Format_Alpha8);
    c.outline.fill(0);
    c.outline.setDevicePixelRatio(picture_.devicePixelRatio());
    QPainter painter;
    beginAt(painter, c.outline, whole.topLeft());
    Annotation opaque = a;
    opaque.colour.setAlpha(255);  // the mask: which pixels the outline covers
    opaque.paint(painter);
  }
  // Where the mask is set, the colour goes over the pixel as the painter
  // puts an aliased pen's colour.
  const QRgb ink = qPremultiply(a.colour.rgba());
  const int clear = 255 - qAlpha(ink);
  const QRect shared = whole & area;
  for (int y = shared.top(); y <= shared.bottom(); ++y) {
    const uchar* mask = c.outline.constScanLine(y - whole.top()) - whole.left();
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y - area.top())) - area.left();
    for (int x = shared.left(); x <= shared.right(); ++x) {
      if (!mask[x]) continue;
      const QRgb below = line[x];
      const auto mix = [&](int shift) {
        return (((below >> shift) & 0xff) * clear + 127) / 255 + ((ink >> shift) & 0xff);
      };
      line[x] = (mix(24) << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0);
      if (image.format() == QImage::Format_RGB32) line[x] |= 0xff000000;
    }
  }
}

void AnnotationRenderer::compose(const QRect& area) {
  // Lines cut by an image's edge may end a pixel off where they would in the
  // whole picture: drawn a little wider, and the edge left out.
  constexpr int kMargin = 4;
  const QRect wider = area.adjusted(-kMargin, -kMargin, kMargin, kMargin) & composed_.rect();
  QImage part(wider.size(), picture_.format());
  paintBelow(cache_.size(), part, wider);
  filters::copyPixels(composed_, area.topLeft(), part, area.translated(-wider.topLeft()));
}

void AnnotationRenderer::paint(QPainter& painter, const QRect& dirty) const {
  if (composed_.isNull()) return;
  const qreal ratio = composed_.devicePixelRatio();
  const QRect source =
      QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio).toAlignedRect() &
      composed_.rect();
  painter.drawImage(QRectF(QPointF(source.topLeft()) / ratio, QSizeF(source.size()) / ratio),
                    composed_, source);
}

}  // namespace capture
