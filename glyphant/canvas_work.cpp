#include "glyphant/canvas_work.h"

#include "common/surface.h"
#include "glyphant/panel_inputs.h"
#include "glyphant/pattern_tiling.h"

namespace canvas_work {

QImage previewOf(const QImage& canvas) {
  constexpr int kLargest = int(panel_inputs::PreviewZoom::kMaxSide);
  if (canvas.width() <= kLargest && canvas.height() <= kLargest) return canvas;
  return canvas.scaled(QSize(kLargest, kLargest), Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

Resized resize(const QImage& canvas, QSize size, const QColor& ground, const QImage& picture,
               JobTracking& tracking) {
  Resized resized;
  resized.canvas = PictureBox::refitted(canvas, size, ground, picture);
  tracking.percent = 60;
  if (tracking.stop) return {};
  resized.preview = previewOf(resized.canvas);
  tracking.percent = 100;
  return resized;
}

PatternText patternText(PatternTextInput input, JobTracking& tracking) {
  PatternText done;
  const QSize size = input.canvas.size();
  const QSize tile = input.pattern.size();
  // A pattern with area covers every pixel: the canvas starts blank rather
  // than as a copy of pixels about to be overwritten.
  const bool covers = !tile.isEmpty();
  done.canvas = covers ? QImage(size, QImage::Format_RGB32) : input.canvas.copy();
  input.canvas = QImage();
  if (done.canvas.isNull()) return {};
  Surface canvas = surface::of(done.canvas);
  tiling::tile(canvas, size.width(), size.height(), surface::view(input.pattern), tile.width(),
               tile.height());
  tracking.percent = 25;
  if (tracking.stop) return {};

  done.work = PictureBox::composed(input.workSize, input.workGround, input.workPicture);
  if (done.work.isNull()) return {};
  PictureBox::drawText(done.work, input.text);
  tracking.percent = 40;
  if (tracking.stop) return {};

  // Black letters on the background colour, ORed in: the letters keep the
  // pattern, the rest takes the background (or the pattern brightened by it).
  surface::bitBlt(canvas, 0, 0, input.workSize.width(), input.workSize.height(),
                  surface::view(done.work), 0, 0, surface::RasterOp::SrcPaint);
  tracking.percent = 55;
  if (tracking.stop) return {};

  done.preview = previewOf(done.canvas);
  tracking.percent = 70;
  if (tracking.stop) return {};
  done.history = std::move(input.history);
  done.history.record(done.canvas);
  tracking.percent = 100;
  return done;
}

}  // namespace canvas_work
