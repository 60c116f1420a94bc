#include "glyphant/packed_picture.h"

#include <zstd.h>

namespace {

// Level 1: every drawing records a step and the user waits for it; the
// frames are already small at this level (see bench/bench_glyphant.cpp).
constexpr int kCompressionLevel = 1;

// Rows of a 32-bit image are 4-byte aligned, so they follow each other
// without padding: the pixels are one block.
size_t pixelBytes(QSize size) { return size_t(size.width()) * 4 * size_t(size.height()); }

}  // namespace

PackedPicture PackedPicture::pack(const QImage& picture) {
  if (picture.isNull()) return {};
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  if (rgb.isNull()) return {};
  const size_t total = pixelBytes(rgb.size());
  PackedPicture packed;
  packed.frame_.resize(qsizetype(ZSTD_compressBound(total)));
  const size_t written = ZSTD_compress(packed.frame_.data(), size_t(packed.frame_.size()),
                                       rgb.constBits(), total, kCompressionLevel);
  if (ZSTD_isError(written)) return {};
  packed.frame_.resize(qsizetype(written));
  packed.frame_.squeeze();
  packed.size_ = rgb.size();
  return packed;
}

QImage PackedPicture::unpack() const {
  if (isNull()) return {};
  QImage picture(size_, QImage::Format_RGB32);
  if (picture.isNull()) return {};  // no memory for it now
  const size_t total = pixelBytes(size_);
  const size_t read =
      ZSTD_decompress(picture.bits(), total, frame_.constData(), size_t(frame_.size()));
  if (ZSTD_isError(read) || read != total) return {};
  return picture;
}
