#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <optional>

#include "common/job_tracking.h"
#include "common/picture_box.h"
#include "glyphant/canvas_record.h"
#include "glyphant/history_ring.h"
#include "glyphant/text_outline.h"

// The pixel work of Glyphant's long operations, done off the window's
// thread on copies of what the window holds, with the same functions the
// surfaces draw with, so that the result is what the window would have
// drawn itself. The record of what the canvas was drawn from comes in as
// the window's copy, leaves with the drawing in it, and is kept with the
// history step. Each reports how far it has come and ends early, with a
// result nobody uses, once told to stop.
namespace canvas_work {

// What the thumbnail shows of `canvas`: the canvas itself, or for a large
// one a copy reduced to what the preview can grow to (each pixel the
// average of those it covers), as sharing the canvas's pixels would make
// the next drawing copy them all first.
QImage previewOf(const QImage& canvas);

// The canvas after a change of size, and its thumbnail.
struct Resized {
  QImage canvas, preview;
};
Resized resize(const QImage& canvas, QSize size, const QColor& ground, const QImage& picture,
               JobTracking& tracking);

// Pattern text: the fill pattern tiled over the canvas, ORed with the
// working surface, which holds black letters on the background colour.
struct PatternTextInput {
  QImage canvas;       // as it stands, kept where the pattern covers nothing
  QImage pattern;      // the pattern holder's image
  QSize workSize;      // the working surface's size, the canvas's
  QColor workGround;   // the background colour
  QImage workPicture;  // the working surface's own picture, if any
  PictureBox::TextPlacement text;
  text_outline::Letters letters;  // the text's, placed as `text`
  CanvasRecord drawings;          // the pattern text is added to it
  HistoryRing history;            // recorded into
};
struct PatternText {
  QImage canvas, work, preview;
  CanvasRecord drawings;
  HistoryRing history;
};
PatternText patternText(PatternTextInput input, JobTracking& tracking);

// The plain and shadowed text operations: texts drawn in turn on the canvas,
// cleared first to a ground colour (its picture kept) when one is given.
struct TextInput {
  QImage canvas;
  std::optional<QColor> clearTo;
  QImage picture;  // the canvas's picture, under a cleared canvas
  QList<PictureBox::TextPlacement> texts;
  CanvasRecord drawings;  // with the clearing and the texts already in it
  HistoryRing history;    // recorded into
};
// A stamp: `stamp`'s pixels at `at`, those of the mask colour left out.
struct StampInput {
  QImage canvas, stamp;
  QPoint at;
  QSize size;  // of the stamp's picture
  ColourRef mask = 0;
  std::optional<QRgb> recordMask;  // the mask as a pixel, when it is one
  CanvasRecord drawings;           // the stamp is added to it
  HistoryRing history;             // a stamp step recorded into
};
struct Drawn {
  QImage canvas, preview;
  CanvasRecord drawings;
  HistoryRing history;
};
Drawn text(TextInput input, JobTracking& tracking);
// Clearing: the canvas its ground colour alone, and its thumbnail.
struct Cleared {
  QImage canvas, preview;
};
Cleared clear(QSize size, const QColor& ground, JobTracking& tracking);
// The canvas encoded as a Windows bitmap, or nothing when it cannot be.
QByteArray bitmapOf(const QImage& canvas, JobTracking& tracking);
Drawn stamp(StampInput input, JobTracking& tracking);

}  // namespace canvas_work
