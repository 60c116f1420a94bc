#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "glyphant/text_outline.h"

class QPainter;

// What the canvas was drawn from, kept beside its pixels so that a print can
// draw it again at the printer's resolution: the letters as outlines, the
// pictures from their own pixels. The record follows the canvas's three
// layers (background colour, picture, drawn layer) and empties a layer
// wherever the canvas empties it. Painted at the canvas's own size it gives
// the canvas's pixels back, to the antialiasing along edges.
//
// A record is a value: copies share the drawings, so the history keeps one
// per slot at the cost of a few pointers.
class CanvasRecord {
 public:
  // More drawings than this since the last clear are printed from the
  // canvas's pixels: each one is painted again on every sheet.
  static constexpr int kMaxDrawings = 100;

  // One drawing, in canvas pixels; nothing of it shows outside `clip`.
  struct Drawing {
    enum class Kind { Fill, Picture, Text, PatternText };
    Kind kind = Kind::Fill;
    QRect clip;
    QColor colour;      // Fill, Text; PatternText: the work surface's background
    QImage picture;     // Picture (clear where a stamp's mask colour was); PatternText: the tile
    QImage brightened;  // PatternText: the tile ORed with the work surface's background
    QPoint at;          // Picture: its top-left
    QList<QPainterPath> letters;  // Text, PatternText
  };

  CanvasRecord() = default;
  CanvasRecord(QSize canvas, QColor background);

  // Why the canvas cannot be drawn again (empty when it can).
  QString unreplayable() const { return pictureWhy_.isEmpty() ? drawnWhy_ : pictureWhy_; }
  bool replayable() const { return unreplayable().isEmpty(); }
  QSize size() const { return size_; }

  // The canvas's operations, each as the canvas does it.
  // A new background colour empties the drawn layer.
  void setBackground(QColor colour);
  // The canvas's picture at the top-left at its own size; the drawn layer empties.
  void setPicture(const QImage& picture);
  // A picture the history gives back: the canvas as `restored` drew it.
  void setPicture(const QImage& picture, const CanvasRecord& restored);
  // Empties the drawn layer (and the picture too, with `picture`).
  void clear(bool picture);
  // The canvas is given a new size: what was drawn outside it is lost.
  void resize(QSize canvas);
  // `letters` in `colour`.
  void addText(const text_outline::Letters& letters, QColor colour);
  // The pattern text: `tile` over the whole canvas, ORed with `background`
  // outside `letters`.
  void addPatternText(const QImage& tile, QColor background, const text_outline::Letters& letters);
  // A stamp: `picture` at `at`, leaving out pixels of `mask` when it is given.
  void addStamp(const QImage& picture, QPoint at, std::optional<QRgb> mask);
  // Until the drawn layer empties the canvas is printed from its pixels.
  void markUnreplayable(const QString& why);

  // Paints the canvas in canvas pixels (the painter's transform maps them
  // onto the device); only what falls in the painter's clip is drawn.
  void paint(QPainter& painter) const;

 private:
  using Drawings = std::vector<std::shared_ptr<const Drawing>>;
  void add(Drawing drawing);
  static void paint(QPainter& painter, const Drawing& drawing);

  QSize size_;
  QColor background_ = Qt::white;
  Drawings picture_;  // the picture layer, at the top-left
  Drawings drawn_;    // the drawn layer
  // Why a layer cannot be drawn again; cleared with the layer.
  QString pictureWhy_, drawnWhy_;
};
