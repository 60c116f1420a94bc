#include "rotaskiv/annotation.h"

#include <QPainter>

namespace capture {

std::optional<AnnotationKind> kindForTool(ToolbarButton) { return std::nullopt; }
bool usesSize(AnnotationKind) { return false; }
int defaultSize(AnnotationKind) { return 1; }

Annotation Annotation::box(AnnotationKind kind, QPointF from, QPointF to, QColor colour, int size) {
  return Annotation{kind, QPolygonF{from, to}, colour, size, {}, {}, 0};
}
Annotation Annotation::stroke(AnnotationKind kind, QPolygonF points, QColor colour, int size) {
  return Annotation{kind, std::move(points), colour, size, {}, {}, 0};
}
Annotation Annotation::marker(QPointF centre, int number, QColor colour, int size) {
  return Annotation{AnnotationKind::Marker, QPolygonF{centre}, colour, size, {}, {}, number};
}
Annotation Annotation::textAt(QPointF topLeft, const QString& text, const QFont& font,
                              QColor colour) {
  return Annotation{
      AnnotationKind::Text, QPolygonF{topLeft}, colour, font.pointSize(), text, font, 0};
}
Annotation Annotation::drawnTo(QPointF) const { return *this; }
bool Annotation::degenerate(qreal) const { return false; }
QRectF Annotation::box() const { return {}; }
QRect Annotation::deviceRect(qreal) const { return {}; }
QRect Annotation::paintedDeviceRect(qreal) const { return {}; }
QRect Annotation::paintedRect(qreal) const { return {}; }
bool Annotation::hit(QPointF, qreal) const { return false; }
QPolygonF Annotation::handles() const { return {}; }
std::optional<int> Annotation::handleAt(QPointF, qreal) const { return std::nullopt; }
Annotation Annotation::moved(QPointF) const { return *this; }
Annotation Annotation::withHandleAt(int, QPointF) const { return *this; }
Annotation Annotation::restyled(QColor, int) const { return *this; }
void Annotation::paint(QPainter&) const {}
void Annotation::applyFilter(QImage&, QPoint, qreal) const {}

QPointF snappedAngle(QPointF, QPointF to, qreal) { return to; }
QColor contrastingTextColour(QColor) { return Qt::black; }
void paintHandles(QPainter&, const Annotation&, qreal) {}
QRect handlesRect(const Annotation&) { return {}; }

}  // namespace capture
