#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <optional>
#include <vector>

#include "rotaskiv/annotation.h"
#include "rotaskiv/annotation_filters.h"

class QPainter;

namespace capture {

// The annotations of one capture, bottom first, as a cheap value: the
// history keeps one per step (the points, texts and fonts are shared).
class AnnotationLayer {
 public:
  const std::vector<Annotation>& items() const { return items_; }
  int count() const { return int(items_.size()); }
  bool empty() const { return items_.empty(); }
  const Annotation& at(int index) const { return items_.at(size_t(index)); }

  // Added on top; answers its index.
  int add(Annotation annotation);
  void replace(int index, Annotation annotation);
  void remove(int index);
  void clear() { items_.clear(); }

  // The topmost annotation a press at `point` hits (window pixels).
  std::optional<int> topmostAt(QPointF point, qreal tolerance = kHitTolerance) const;
  // The number the next marker gets: the highest present + 1 (1 for none).
  int nextMarkerNumber() const;

  bool operator==(const AnnotationLayer&) const = default;

 private:
  std::vector<Annotation> items_;
};

// The picture with every annotation drawn, at the picture's device
// resolution and with its devicePixelRatio: what copy, save and pin take.
QImage renderAnnotations(const QImage& picture, const AnnotationLayer& layer);

// The frozen screen with the annotations drawn, kept up to date for the
// window: update() repaints only what changed since the last call (the
// annotations that differ, and the pixelate and blur boxes over them), and
// keeps each pixelate and blur result so that moving something above one
// does not compute it again. Dragging one of 200 annotations over a 4K
// picture stays within a few milliseconds per pointer move.
class AnnotationRenderer {
 public:
  // A new frozen picture (device pixels, devicePixelRatio set): everything
  // is drawn again on the next update().
  void setPicture(const QImage& picture);
  const QImage& picture() const { return picture_; }

  // Brings the composed picture to `layer`. Answers the window pixels that
  // changed (empty when nothing did): what the window passes to update().
  QRect update(const AnnotationLayer& layer);
  // The same change, closer: the strips along a large outline rather than
  // its whole box (window pixels). A window that updates this region
  // repaints only what changed.
  const QRegion& changedRegion() const { return changedRegion_; }
  // The picture with the annotations of the last update(): the same pixels
  // as renderAnnotations() of that layer, so copy, save and pin can take it
  // without drawing again.
  const QImage& composed() const { return composed_; }
  // Paints the composed picture at (0, 0) of a window, as far as `dirty`
  // (window pixels) reaches: the window's paintEvent with its rect.
  void paint(QPainter& painter, const QRect& dirty) const;

 private:
  // What the renderer keeps of each annotation of the last update().
  struct Cached {
    QRect painted;        // paintedDeviceRect()
    QRegion paintedArea;  // paintedDeviceRegion()
    // Pixelate and blur: the work (its box clipped to the picture), its
    // result over that box, and the part of the result that is out of date.
    std::optional<filters::Filter> filter;
    QImage filtered;
    QRect stale;
    // Rectangle and ellipse: the pixels of the outline over `painted`
    // (clipped to the picture), drawn whole once; made when a piece of the
    // picture cuts the outline, whose corners the toolkit would then draw
    // otherwise.
    QImage outline;
  };
  // Works out the out-of-date parts of the pixelate and blur results,
  // bottom first, each from what lies below it.
  void refreshFilters();
  // Paints the annotations below `end` over `deviceArea` of `image` (whose
  // pixel (0, 0) is that area's top-left), which holds the frozen screen:
  // pixelate and blur from their results.
  void paintBelow(size_t end, QImage& image, const QRect& deviceArea);
  // Annotation `index`'s outline over `deviceArea` of `image` (whose pixel
  // (0, 0) is that area's top-left), as it comes out drawn whole.
  void paintOutline(size_t index, QImage& image, const QRect& deviceArea);
  // Draws `deviceArea` of the composed picture again: the frozen screen and
  // every annotation over it.
  void compose(const QRect& deviceArea);

  QImage picture_;
  QImage composed_;  // null until the first update()
  AnnotationLayer shown_;
  std::vector<Cached> cache_;  // one per annotation of shown_
  QRegion changedRegion_;      // window pixels
};

}  // namespace capture
