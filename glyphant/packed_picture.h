#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// A canvas picture packed for the history: its 32-bit rows as one zstd frame.
// A canvas of large letters on a plain or tiled ground shrinks to a small
// fraction, so ten steps of a poster-sized canvas fit in memory.
class PackedPicture {
 public:
  PackedPicture() = default;
  // A null picture, or one that cannot be packed, gives a null PackedPicture.
  static PackedPicture pack(const QImage& picture);

  // The picture as it was packed (RGB32); null for a null PackedPicture.
  QImage unpack() const;
  bool isNull() const { return frame_.isEmpty(); }
  QSize size() const { return size_; }
  // Bytes held, for memory accounting.
  qsizetype bytes() const { return frame_.size(); }

 private:
  QSize size_;
  QByteArray frame_;
};
