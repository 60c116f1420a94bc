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
  // What changed: the annotations between the common bottom and the common
  // top of the two lists (one moved, restyled, added, removed or swapped).
  size_t bottom = 0;
  const size_t shorter = std::min(before.size(), after.size());
  if (!composed_.isNull())
    while (bottom < shorter && before[bottom] == after[bottom]) ++bottom;
  size_t top = 0;
  if (!composed_.isNull())
    while (top < shorter - bottom &&
           before[before.size() - 1 - top] == after[after.size() - 1 - top])
      ++top;
  if (!composed_.isNull() && bottom == before.size() && bottom == after.size()) return {};

  std::vector<Cached> cache(after.size());
  QRegion changed;
  if (composed_.isNull()) {
    composed_ = picture_;
    composed_.detach();
    changed = composed_.rect();
  } else {
    for (size_t i = bottom; i < before.size() - top; ++i) changed += cache_[i].painted;
  }
  for (size_t i = 0; i < bottom; ++i) cache[i] = std::move(cache_[i]);
  for (size_t i = 0; i < top; ++i)
    cache[after.size() - 1 - i] = std::move(cache_[before.size() - 1 - i]);
  for (size_t i = bottom; i < after.size() - top; ++i) {
    cache[i].painted = after[i].paintedDeviceRect(ratio);
    changed += cache[i].painted;
  }
  // A pixelate or blur above the change that covers part of it must be worked
  // out again over its whole box, which then changes too.
  for (size_t i = after.size() - top; i < after.size(); ++i) {
    if (after[i].isFilter() && changed.intersects(cache[i].painted)) {
      cache[i].filtered = QImage();
      changed += cache[i].painted;
    }
  }
  cache_ = std::move(cache);
  shown_ = layer;
  const QRect area = changed.boundingRect() & composed_.rect();
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
  filters::copyPixels(part, QPoint(), picture_, area);
  QPainter painter;
  beginAt(painter, part, area.topLeft());
  const std::vector<Annotation>& items = shown_.items();
  for (size_t i = 0; i < items.size(); ++i) {
    Cached& cached = cache_[i];
    if (!cached.painted.intersects(area)) continue;
    if (!items[i].isFilter()) {
      items[i].paint(painter);
      continue;
    }
    painter.end();
    if (cached.filtered.isNull()) {
      // Its whole box lies in the area: what is below it is up to date.
      items[i].applyFilter(part, area.topLeft(), ratio);
      cached.filtered = part.copy(cached.painted.translated(-area.topLeft()));
    } else {
      const QRect shared = cached.painted & area;
      filters::copyPixels(part, shared.topLeft() - area.topLeft(), cached.filtered,
                          shared.translated(-cached.painted.topLeft()));
    }
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
