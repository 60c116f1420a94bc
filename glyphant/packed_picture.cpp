#include "glyphant/packed_picture.h"

#include "glyphant/picture_memory.h"

#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// Level 1: every drawing records a step and the user waits for it; the
// frames are already small at this level (see bench/bench_glyphant.cpp).
constexpr int kCompressionLevel = 1;

// Rows per band: 16 MiB of a canvas 4096 pixels wide. Small enough that the
// bands of a large canvas keep every processor busy to the end, large enough
// that a band's frame costs nothing next to its pixels.
constexpr qint64 kBandPixels = qint64(4) << 20;

// Rows of a 32-bit image are 4-byte aligned, so they follow each other
// without padding: the pixels of a band of rows are one block.
size_t rowBytes(QSize size) { return size_t(size.width()) * 4; }

int bandRows(QSize size) {
  return int(std::clamp<qint64>(kBandPixels / std::max(size.width(), 1), 1, size.height()));
}

// Runs work(band) for bands 0 .. count-1, on as many threads as there are
// processors (the calling thread among them). Threads of its own, not Qt's
// global pool: Qt paints large areas with that pool's help.
template <typename Work>
void forEachBand(int count, const Work& work) {
  std::atomic<int> next{0};
  const auto worker = [&] {
    for (int band = next++; band < count; band = next++) work(band);
  };
  const int threads = std::min<int>(count, int(std::max(1u, std::thread::hardware_concurrency())));
  std::vector<std::thread> helpers;
  for (int i = 1; i < threads; ++i) helpers.emplace_back(worker);
  worker();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace

PackedPicture PackedPicture::pack(const QImage& picture) {
  if (picture.isNull()) return {};
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  if (rgb.isNull()) return {};
  const int rows = bandRows(rgb.size());
  const int count = (rgb.height() + rows - 1) / rows;
  std::vector<QByteArray> frames(static_cast<size_t>(count));
  std::atomic<bool> failed{false};
  forEachBand(count, [&](int band) {
    const int first = band * rows;
    const size_t total = rowBytes(rgb.size()) * size_t(std::min(rows, rgb.height() - first));
    QByteArray& frame = frames[size_t(band)];
    frame.resize(qsizetype(ZSTD_compressBound(total)));
    const size_t written = ZSTD_compress(frame.data(), size_t(frame.size()),
                                         rgb.constScanLine(first), total, kCompressionLevel);
    if (ZSTD_isError(written))
      failed = true;
    else
      frame.resize(qsizetype(written));
  });
  if (failed) return {};
  PackedPicture packed;
  for (const QByteArray& frame : frames) {
    packed.frames_ += frame;
    packed.ends_.push_back(packed.frames_.size());
  }
  packed.frames_.squeeze();
  packed.size_ = rgb.size();
  return packed;
}

QImage PackedPicture::unpack() const {
  if (isNull()) return {};
  QImage picture = picture_memory::blank(size_);
  if (picture.isNull()) return {};  // no memory for it now
  const int rows = bandRows(size_);
  uchar* bits = picture.bits();  // detached here, once, before the threads write
  std::atomic<bool> failed{false};
  forEachBand(int(ends_.size()), [&](int band) {
    const int first = band * rows;
    const size_t total = rowBytes(size_) * size_t(std::min(rows, size_.height() - first));
    const qsizetype start = band == 0 ? 0 : ends_[size_t(band) - 1];
    const size_t read =
        ZSTD_decompress(bits + qsizetype(first) * picture.bytesPerLine(), total,
                        frames_.constData() + start, size_t(ends_[size_t(band)] - start));
    if (ZSTD_isError(read) || read != total) failed = true;
  });
  return failed ? QImage() : picture;
}
