#include "glyphant/canvas_record.h"

#include <QCoreApplication>
#include <QPainter>
#include <cmath>

namespace {

QString text(const char* source) { return QCoreApplication::translate("CanvasRecord", source); }

// `tile` repeated from the canvas's origin over what the painter shows of `area`.
void paintTiles(QPainter& painter, const QImage& tile, const QRect& area) {
  if (tile.isNull()) return;
  const QRectF shown = painter.clipBoundingRect() & QRectF(area);
  if (shown.isEmpty()) return;
  const int w = tile.width(), h = tile.height();
  const int left = int(std::floor(shown.left() / w)) * w;
  for (int y = int(std::floor(shown.top() / h)) * h; y < shown.bottom(); y += h)
    for (int x = left; x < shown.right(); x += w) painter.drawImage(QPoint(x, y), tile);
}

}  // namespace

CanvasRecord::CanvasRecord(QSize canvas, QColor background)
    : size_(canvas), background_(background) {}

void CanvasRecord::setBackground(QColor colour) {
  background_ = colour;
  clear(false);
}

void CanvasRecord::setPicture(const QImage& picture) {
  clear(true);
  if (picture.isNull()) return;
  Drawing shown{Drawing::Kind::Picture, picture.rect(), {}, picture, {}, {}, {}};
  picture_.push_back(std::make_shared<const Drawing>(std::move(shown)));
}

void CanvasRecord::setPicture(const QImage& picture, const CanvasRecord& restored) {
  if (picture.size() != restored.size_) return setPicture(picture);
  clear(true);
  // The restored canvas, flattened: its background, picture and drawings,
  // each cut to the picture it left.
  const QRect area(QPoint(0, 0), restored.size_);
  picture_.push_back(std::make_shared<const Drawing>(
      Drawing{Drawing::Kind::Fill, area, restored.background_, {}, {}, {}, {}}));
  for (const Drawings* layer : {&restored.picture_, &restored.drawn_})
    for (const auto& drawing : *layer) {
      if (area.contains(drawing->clip)) {
        picture_.push_back(drawing);
      } else if (area.intersects(drawing->clip)) {
        Drawing cut = *drawing;
        cut.clip &= area;
        picture_.push_back(std::make_shared<const Drawing>(std::move(cut)));
      }
    }
  pictureWhy_ = restored.unreplayable();
}

void CanvasRecord::clear(bool picture) {
  drawn_.clear();
  drawnWhy_.clear();
  if (!picture) return;
  picture_.clear();
  pictureWhy_.clear();
}

void CanvasRecord::resize(QSize canvas) {
  size_ = canvas;
  const QRect area(QPoint(0, 0), canvas);
  Drawings kept;
  for (const auto& drawing : drawn_) {
    if (area.contains(drawing->clip)) {
      kept.push_back(drawing);
    } else if (area.intersects(drawing->clip)) {
      Drawing cut = *drawing;
      cut.clip &= area;
      kept.push_back(std::make_shared<const Drawing>(std::move(cut)));
    }
  }
  drawn_ = std::move(kept);
}

void CanvasRecord::addText(const text_outline::Letters& letters, QColor colour) {
  if (!letters.problem.isEmpty()) return markUnreplayable(letters.problem);
  add({Drawing::Kind::Text, QRect(QPoint(0, 0), size_), colour, {}, {}, {}, letters.shapes});
}

void CanvasRecord::addPatternText(const QImage& tile, QColor background,
                                  const text_outline::Letters& letters) {
  // The tiles cover the whole canvas: nothing drawn before shows again.
  clear(false);
  if (!letters.problem.isEmpty()) return markUnreplayable(letters.problem);
  QImage plain = tile.convertToFormat(QImage::Format_RGB32);
  QImage brightened = plain.copy();
  const QRgb or_ = background.rgb();
  for (int y = 0; y < brightened.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(brightened.scanLine(y));
    for (int x = 0; x < brightened.width(); ++x) line[x] |= or_;
  }
  add({Drawing::Kind::PatternText,
       QRect(QPoint(0, 0), size_),
       background,
       plain,
       brightened,
       {},
       letters.shapes});
}

void CanvasRecord::addStamp(const QImage& picture, QPoint at, std::optional<QRgb> mask) {
  QImage shown = picture.convertToFormat(QImage::Format_ARGB32);
  if (mask) {
    const QRgb key = *mask & 0x00FFFFFFu;
    for (int y = 0; y < shown.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
      for (int x = 0; x < shown.width(); ++x)
        line[x] = (line[x] & 0x00FFFFFFu) == key ? 0u : (line[x] | 0xFF000000u);
    }
  }
  add({Drawing::Kind::Picture,
       QRect(at, shown.size()) & QRect(QPoint(0, 0), size_),
       {},
       shown,
       {},
       at,
       {}});
}

void CanvasRecord::markUnreplayable(const QString& why) {
  if (drawnWhy_.isEmpty()) drawnWhy_ = why;
}

void CanvasRecord::add(Drawing drawing) {
  if (drawing.clip.isEmpty()) return;
  if (int(picture_.size() + drawn_.size()) >= kMaxDrawings)
    return markUnreplayable(text("自上次清除以来画了超过 %1 次").arg(kMaxDrawings));
  drawn_.push_back(std::make_shared<const Drawing>(std::move(drawing)));
}

void CanvasRecord::paint(QPainter& painter) const {
  painter.save();
  const QRect canvas(QPoint(0, 0), size_);
  painter.setClipRect(canvas, Qt::IntersectClip);
  painter.fillRect(canvas, background_);
  // Pattern text covers the canvas as it then was: what of the picture lies
  // under it goes unprinted (a print would carry its pixels for nothing).
  QRect covered;
  for (const auto& drawing : drawn_)
    if (drawing->kind == Drawing::Kind::PatternText) covered = drawing->clip;
  for (const auto& drawing : picture_)
    if (!covered.contains(drawing->clip & canvas)) paint(painter, *drawing);
  for (const auto& drawing : drawn_) paint(painter, *drawing);
  painter.restore();
}

void CanvasRecord::paint(QPainter& painter, const Drawing& drawing) {
  painter.save();
  painter.setClipRect(drawing.clip, Qt::IntersectClip);
  // Pictures scaled smoothly, letters with smooth edges, as the canvas has them.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::Antialiasing);
  switch (drawing.kind) {
    case Drawing::Kind::Fill:
      painter.fillRect(drawing.clip, drawing.colour);
      break;
    case Drawing::Kind::Picture:
      painter.drawImage(drawing.at, drawing.picture);
      break;
    case Drawing::Kind::Text:
      for (const QPainterPath& shape : drawing.letters) painter.fillPath(shape, drawing.colour);
      break;
    case Drawing::Kind::PatternText: {
      // Black letters on the background, ORed into the tiles: the
      // background brightens the tiles, the letters leave them as they are.
      paintTiles(painter, drawing.brightened, drawing.clip);
      const QBrush tiles(drawing.picture);
      for (const QPainterPath& shape : drawing.letters) painter.fillPath(shape, tiles);
      break;
    }
  }
  painter.restore();
}
