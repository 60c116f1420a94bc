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
      return QRectF(QPointF(), composed_.deviceIndependentSize()).toAlignedRect();
    }
  }
  for (size_t i = bottom; i < before.size() - top; ++i) changed += cache_[i].painted;
  std::vector<Cached> cache(after.size());
  for (size_t i = 0; i < bottom; ++i) cache[i] = std::move(cache_[i]);
  for (size_t i = 0; i < top; ++i)
    cache[after.size() - 1 - i] = std::move(cache_[before.size() - 1 - i]);
  for (size_t i = bottom; i < after.size() - top; ++i) {
    Cached& c = cache[i];
    c.painted = after[i].paintedDeviceRect(ratio, &picture_);
    if (after[i].isFilter()) {
      c.filter = after[i].filter(ratio);
      c.filter->box &= composed_.rect();
      c.stale = c.filter->box;
    }
    changed += c.painted;
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
  QRect area = changed.boundingRect();
  for (const Cached& c : cache_)
    if (c.filter && !c.stale.isEmpty()) area |= c.filter->needed(c.stale);
  area &= composed_.rect();
  if (area.isEmpty()) return {};
  compose(area);
  return QRectF(QPointF(area.topLeft()) / ratio, QSizeF(area.size()) / ratio).toAlignedRect();
}

void AnnotationRenderer::compose(const QRect& area) {
  const qreal ratio = picture_.devicePixelRatio();
  // Drawn apart and copied in: the area's edge is exact at any ratio, and
  // nothing outside it is drawn twice.
  QImage part(area.size(), picture_.format());
  part.setDevicePixelRatio(ratio);
  // Text in points takes its pixel size from the resolution it is drawn at.
  part.setDotsPerMeterX(picture_.dotsPerMeterX());
  part.setDotsPerMeterY(picture_.dotsPerMeterY());
  filters::copyPixels(part, QPoint(), picture_, area);
  QPainter painter;
  beginAt(painter, part, area.topLeft());
  const std::vector<Annotation>& items = shown_.items();
  for (size_t i = 0; i < items.size(); ++i) {
    Cached& c = cache_[i];
    if (!c.filter) {
      if (c.painted.intersects(area)) items[i].paint(painter);
      continue;
    }
    const QRect shared = c.filter->box & area;
    if (shared.isEmpty()) continue;
    painter.end();
    if (!c.stale.isEmpty()) {
      // What it is worked out from lies in the area, painted up to here.
      if (c.filtered.isNull()) c.filtered = QImage(c.filter->box.size(), part.format());
      c.filter->run(part, area.topLeft(), c.stale, c.filtered, c.filter->box.topLeft());
      c.stale = QRect();
    }
    filters::copyPixels(part, shared.topLeft() - area.topLeft(), c.filtered,
                        shared.translated(-c.filter->box.topLeft()));
    beginAt(painter, part, area.topLeft());
  }
  painter.end();
  filters::copyPixels(composed_, area.topLeft(), part, part.rect());
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
