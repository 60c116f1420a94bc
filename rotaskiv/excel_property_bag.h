#pragma once

#include <QByteArray>
#include <QImage>

// Turns a picture into a self-contained byte blob and back, as a property bag
// holding the picture under the key "pic". Only ReadP reads what WriteP
// wrote. The blob is compressed: a screen's worth of pixels shrinks to a
// fraction, so a long undo history fits in memory.
//
// The blob is a QDataStream (Qt 6.0 encoding, big-endian):
//   quint32 magic 'EPBG', quint16 version 2, QString key "pic",
//   qint32 width, qint32 height, double device pixel ratio,
//   qint32 QImage::Format, quint32 colour count + that many QRgb,
//   QByteArray: one zstd frame (level 1) of the rows, packed without padding.
// The pixels are kept in the picture's own format, so every pixel comes back
// exactly; level 1 because WriteP runs after every stroke (see bench/).
class ExcelPropertyBag {
 public:
  // A null picture gives a blob that reads back as a null picture.
  QByteArray WriteP(const QImage& picture) const;
  // The picture stored in `blob`; a null image when the blob is not one of
  // ours (empty, truncated, another version, damaged).
  QImage ReadP(const QByteArray& blob) const;
};
