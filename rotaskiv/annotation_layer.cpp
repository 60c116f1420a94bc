#include "rotaskiv/annotation_layer.h"

#include <QPainter>

namespace capture {

int AnnotationLayer::add(Annotation annotation) {
  items_.push_back(std::move(annotation));
  return count() - 1;
}
void AnnotationLayer::replace(int index, Annotation annotation) {
  items_.at(size_t(index)) = std::move(annotation);
}
void AnnotationLayer::remove(int index) { items_.erase(items_.begin() + index); }
std::optional<int> AnnotationLayer::topmostAt(QPointF, qreal) const { return std::nullopt; }
int AnnotationLayer::nextMarkerNumber() const { return 1; }

QImage renderAnnotations(const QImage& picture, const AnnotationLayer&) { return picture; }

void AnnotationRenderer::setPicture(const QImage& picture) {
  picture_ = picture;
  composed_ = picture;
  whole_ = true;
}
QRect AnnotationRenderer::update(const AnnotationLayer& layer) {
  shown_ = layer;
  return {};
}
void AnnotationRenderer::paint(QPainter& painter, const QRect&) const {
  painter.drawImage(QPointF(0, 0), composed_);
}
void AnnotationRenderer::compose(const QRect&) {}

}  // namespace capture
