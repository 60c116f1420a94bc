#include "glyphant/canvas_work.h"

#include <QBuffer>
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "common/surface.h"
#include "glyphant/panel_inputs.h"
#include "glyphant/pattern_tiling.h"
#include "glyphant/picture_memory.h"

namespace canvas_work {

namespace {

// Runs rows(first, end) over [0, count) in parts, on as many threads as
// there are processors (the calling thread among them).
template <typename Rows>
void inParallel(int count, const Rows& rows) {
  const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(count, 1));
  std::vector<std::thread> helpers;
  const auto part = [&](int i) { rows(count * i / threads, count * (i + 1) / threads); };
  for (int i = 1; i < threads; ++i) helpers.emplace_back(part, i);
  part(0);
  for (std::thread& helper : helpers) helper.join();
}

// Each pixel of `size` the average of the block of canvas pixels it
// covers. Our own threads, not Qt's smooth scaling: that one fans out over
// Qt's global pool, where the window's own painting then waits behind it.
QImage reduced(const QImage& canvas, QSize size) {
  QImage small(size, QImage::Format_RGB32);
  if (small.isNull()) return small;
  const int sw = canvas.width(), sh = canvas.height(), dw = size.width(), dh = size.height();
  std::vector<int> column(static_cast<size_t>(sw));  // the preview column of each canvas column
  std::vector<int> widths(static_cast<size_t>(dw), 0);
  for (int x = 0; x < sw; ++x) {
    column[size_t(x)] = int(qint64(x) * dw / sw);
    ++widths[size_t(column[size_t(x)])];
  }
  inParallel(dh, [&](int first, int end) {
    std::vector<quint64> sums(size_t(dw) * 3);
    for (int y = first; y < end; ++y) {
      const int top = int(qint64(y) * sh / dh), bottom = int(qint64(y + 1) * sh / dh);
      std::fill(sums.begin(), sums.end(), 0);
      for (int row = top; row < bottom; ++row) {
        const auto* pixels = reinterpret_cast<const QRgb*>(canvas.constScanLine(row));
        for (int x = 0; x < sw; ++x) {
          quint64* sum = &sums[size_t(column[size_t(x)]) * 3];
          sum[0] += qRed(pixels[x]);
          sum[1] += qGreen(pixels[x]);
          sum[2] += qBlue(pixels[x]);
        }
      }
      auto* out = reinterpret_cast<QRgb*>(small.scanLine(y));
      for (int x = 0; x < dw; ++x) {
        const quint64 count = quint64(widths[size_t(x)]) * quint64(std::max(bottom - top, 1));
        const quint64* sum = &sums[size_t(x) * 3];
        out[x] = count == 0 ? qRgb(0, 0, 0)
                            : qRgb(int(sum[0] / count), int(sum[1] / count), int(sum[2] / count));
      }
    }
  });
  return small;
}

// A copy of the canvas to draw on, in memory kept for the purpose.
QImage copyOf(const QImage& canvas) {
  QImage copy = picture_memory::blank(canvas.size());
  if (copy.isNull() || canvas.format() != QImage::Format_RGB32) return canvas.copy();
  for (int y = 0; y < canvas.height(); ++y)
    std::memcpy(copy.scanLine(y), canvas.constScanLine(y), size_t(canvas.width()) * 4);
  return copy;
}

}  // namespace

QImage previewOf(const QImage& canvas) {
  constexpr int kLargest = int(panel_inputs::PreviewZoom::kMaxSide);
  if (canvas.width() <= kLargest && canvas.height() <= kLargest) return canvas;
  const QImage rgb = canvas.convertToFormat(QImage::Format_RGB32);
  return reduced(rgb, rgb.size().scaled(kLargest, kLargest, Qt::KeepAspectRatio));
}

Resized resize(const QImage& canvas, QSize size, const QColor& ground, const QImage& picture,
               JobTracking& tracking) {
  Resized resized;
  resized.canvas =
      PictureBox::refitted(canvas, size, ground, picture,
                           canvas.size() == size ? QImage() : picture_memory::blank(size));
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
  done.canvas = covers ? picture_memory::blank(size) : copyOf(input.canvas);
  input.canvas = QImage();
  if (done.canvas.isNull()) return {};
  Surface canvas = surface::of(done.canvas);
  tiling::tile(canvas, size.width(), size.height(), surface::view(input.pattern), tile.width(),
               tile.height());
  tracking.percent = 25;
  if (tracking.stop) return {};

  done.work = PictureBox::composed(input.workSize, input.workGround, input.workPicture,
                                   picture_memory::blank(input.workSize));
  if (done.work.isNull()) return {};
  PictureBox::drawText(done.work, input.text);
  tracking.percent = 40;
  if (tracking.stop) return {};

  // Black letters on the background colour, ORed in: the letters keep the
  // pattern, the rest takes the background (or the pattern brightened by it).
  surface::bitBlt(canvas, 0, 0, input.workSize.width(), input.workSize.height(),
                  surface::view(done.work), 0, 0, surface::RasterOp::SrcPaint);
  done.drawings = std::move(input.drawings);
  done.drawings.addPatternText(input.pattern, input.workGround, input.letters);
  tracking.percent = 55;
  if (tracking.stop) return {};

  done.preview = previewOf(done.canvas);
  tracking.percent = 70;
  if (tracking.stop) return {};
  done.history = std::move(input.history);
  done.history.record(done.canvas, done.drawings);
  tracking.percent = 100;
  return done;
}

namespace {

// The preview and the history step of a drawing on the canvas, made of
// `drawings`.
Drawn finished(QImage canvas, CanvasRecord drawings, HistoryRing history, bool stamp,
               JobTracking& tracking) {
  Drawn drawn;
  drawn.preview = previewOf(canvas);
  tracking.percent = 60;
  if (tracking.stop) return {};
  drawn.drawings = std::move(drawings);
  drawn.history = std::move(history);
  if (stamp)
    drawn.history.recordStamp(canvas, drawn.drawings);
  else
    drawn.history.record(canvas, drawn.drawings);
  drawn.canvas = std::move(canvas);
  tracking.percent = 100;
  return drawn;
}

}  // namespace

Drawn text(TextInput input, JobTracking& tracking) {
  const QSize size = input.canvas.size();
  QImage canvas = input.clearTo ? PictureBox::composed(size, *input.clearTo, input.picture,
                                                       picture_memory::blank(size))
                                : copyOf(input.canvas);
  input.canvas = QImage();
  if (canvas.isNull()) return {};
  tracking.percent = 20;
  for (const PictureBox::TextPlacement& placed : input.texts) PictureBox::drawText(canvas, placed);
  tracking.percent = 30;
  if (tracking.stop) return {};
  return finished(std::move(canvas), std::move(input.drawings), std::move(input.history), false,
                  tracking);
}

Cleared clear(QSize size, const QColor& ground, JobTracking& tracking) {
  Cleared cleared;
  cleared.canvas = PictureBox::composed(size, ground, QImage(), picture_memory::blank(size));
  tracking.percent = 60;
  if (tracking.stop) return {};
  cleared.preview = previewOf(cleared.canvas);
  tracking.percent = 100;
  return cleared;
}

QByteArray bitmapOf(const QImage& canvas, JobTracking& tracking) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const bool encoded = canvas.save(&buffer, "BMP");
  tracking.percent = 100;
  return encoded ? bytes : QByteArray();
}

Drawn stamp(StampInput input, JobTracking& tracking) {
  QImage canvas = copyOf(input.canvas);
  input.canvas = QImage();
  if (canvas.isNull()) return {};
  Surface target = surface::of(canvas);
  const QSize size = input.size;
  surface::transparentBlt(target, input.at.x(), input.at.y(), size.width(), size.height(),
                          surface::view(input.stamp), 0, 0, size.width(), size.height(),
                          input.mask);
  // The stamp's picture as far as it is drawn.
  const bool whole = input.stamp.size() == size;
  input.drawings.addStamp(whole ? input.stamp : input.stamp.copy(QRect(QPoint(0, 0), size)),
                          input.at, input.recordMask);
  tracking.percent = 30;
  if (tracking.stop) return {};
  return finished(std::move(canvas), std::move(input.drawings), std::move(input.history), true,
                  tracking);
}

}  // namespace canvas_work
