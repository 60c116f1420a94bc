#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <vector>

// A canvas picture packed for the history: its 32-bit rows in bands of rows,
// each band one zstd frame. A canvas of large letters on a plain or tiled
// ground shrinks to a small fraction, so ten steps of a poster-sized canvas
// fit in memory. The bands are packed and unpacked on all processors at
// once, so that a step of the largest canvas (a gigabyte of pixels) does not
// hold the window up for long.
class PackedPicture {
 public:
  PackedPicture() = default;
  // A null picture, or one that cannot be packed, gives a null PackedPicture.
  static PackedPicture pack(const QImage& picture);

  // The picture as it was packed (RGB32); null for a null PackedPicture.
  QImage unpack() const;
  bool isNull() const { return frames_.isEmpty(); }
  QSize size() const { return size_; }
  // Bytes held, for memory accounting.
  qsizetype bytes() const { return frames_.size(); }

 private:
  QSize size_;
  QByteArray frames_;            // the bands' frames, one after the other
  std::vector<qsizetype> ends_;  // where each band's frame ends in frames_
};
