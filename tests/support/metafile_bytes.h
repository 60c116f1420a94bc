#pragma once

// Small Windows metafiles written record by record, for the metafile tests
// and the fuzzers' seeds. Coordinates are the metafile's own (logical) ones;
// each created object is selected at once and takes the next slot.
#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtEndian>
#include <initializer_list>

namespace metafile_bytes {

// The values little-endian, 16 or 32 bits each.
template <typename T>
inline QByteArray littleEndian(std::initializer_list<qint64> values) {
  QByteArray out(qsizetype(sizeof(T) * values.size()), '\0');
  for (int i = 0; qint64 value : values) qToLittleEndian<T>(T(value), &out[sizeof(T) * i++]);
  return out;
}
inline QByteArray le16(std::initializer_list<qint64> v) { return littleEndian<quint16>(v); }
inline QByteArray le32(std::initializer_list<qint64> v) { return littleEndian<quint32>(v); }
// A COLORREF: red in the low byte.
constexpr quint32 colourRef(int red, int green, int blue) { return red | green << 8 | blue << 16; }

// A bottom-up device-independent bitmap of one colour: 24 bits a pixel, 16
// with 5-6-5 colour masks, 8 in runs (a run of the one palette entry a row,
// each row ended by its mark as Windows writes them, then the bitmap's end),
// or 4 or 1 (every pixel the one palette entry).
struct Dib {
  QByteArray bytes;
  int width, height;
};
inline Dib dib(int width, int height, quint32 colour, int bits = 24) {
  const int r = colour & 0xFF, g = colour >> 8 & 0xFF, b = colour >> 16 & 0xFF;
  const int stride = (width * bits + 31) / 32 * 4;
  const QByteArray quad = le32({b | g << 8 | r << 16});  // an RGBQUAD: blue, green, red, 0
  QByteArray row, pixels;
  for (int x = 0; x < width && bits > 4; ++x)
    row += bits == 16 ? le16({r >> 3 << 11 | g >> 2 << 5 | b >> 3}) : quad.left(3);
  pixels = bits == 8 ? (QByteArray(1, char(width)) + QByteArray(3, '\0')).repeated(height) +
                           QByteArray::fromHex("0001")
                     : row.leftJustified(stride, '\0').repeated(height);
  const int compression = bits == 8 ? 1 : bits == 16 ? 3 : 0, colours = bits <= 8 ? 1 : 0;
  QByteArray head =
      le32({40, width, height, 1 | bits << 16, compression, pixels.size(), 0, 0, colours, 0});
  if (bits <= 8) head += quad;                             // the palette
  if (bits == 16) head += le32({0xF800, 0x07E0, 0x001F});  // the colour masks
  return {head + pixels, width, height};
}

class Wmf {
 public:
  Wmf& record(int function, const QList<int>& words) {
    largest_ = qMax(largest_, quint32(3 + words.size()));
    records_ += le32({3 + words.size()}) + le16({function});
    for (int word : words) records_ += le16({word});
    return *this;
  }
  Wmf& mapMode(int mode) { return record(0x0103, {mode}); }
  Wmf& window(QPoint origin, QPoint extent) {
    return record(0x020B, {origin.y(), origin.x()}).record(0x020C, {extent.y(), extent.x()});
  }
  Wmf& brush(quint32 colour) {
    return record(0x02FC, {0, int(colour & 0xFFFF), int(colour >> 16), 0}).select();
  }
  Wmf& nullPen() { return record(0x02FA, {5, 0, 0, 0, 0}).select(); }
  // Right and bottom exclusive, as the records have them.
  Wmf& rectangle(QPoint from, QPoint to) { return box(0x041B, from, to); }
  Wmf& ellipse(QPoint from, QPoint to) { return box(0x0418, from, to); }
  // The whole bitmap stretched over the rectangle, as it is (SRCCOPY).
  Wmf& bitmap(QPoint from, QPoint to, const Dib& dib) {
    return record(0x0F43, QList<int>{0x0020, 0x00CC, 0, dib.height, dib.width, 0, 0,
                                     to.y() - from.y(), to.x() - from.x(), from.y(), from.x()} +
                              wordsOf(dib.bytes));
  }
  // `height` in logical units; the text's top left at `at`, on no background;
  // its bytes in the code page of the font's `charset`.
  Wmf& text(QPoint at, const QByteArray& text, int height, quint32 colour, int charset = 0) {
    const QList<int> font = {-height, 0, 0, 0, 400, 0, charset << 8, 0, 0};
    record(0x02FB, font + wordsOf(QByteArray("Arial").leftJustified(32, '\0'))).select();
    record(0x0209, {int(colour & 0xFFFF), int(colour >> 16)}).record(0x0102, {1});
    return record(0x0521, QList<int>{int(text.size())} + wordsOf(text) << at.y() << at.x());
  }

  // The records after a plain header, with the end record.
  QByteArray plain() const {
    const QByteArray body = records_ + QByteArray::fromHex("030000000000");
    return le16({1, 9, 0x0300}) + le32({(18 + body.size()) / 2}) + le16({objects_}) +
           le32({largest_}) + le16({0}) + body;
  }
  // The same behind a placeable header: its box, in `inch` units per inch.
  QByteArray placeable(QRect box, int inch) const {
    const QByteArray out =
        le32({0x9AC6CDD7}) +
        le16({0, box.left(), box.top(), box.right() + 1, box.bottom() + 1, inch}) + le32({0});
    quint16 checksum = 0;
    for (int i = 0; i < out.size(); i += 2) checksum ^= qFromLittleEndian<quint16>(out.data() + i);
    return out + le16({checksum}) + plain();
  }

 private:
  // The bytes as 16-bit words, low byte first, an odd last byte padded with a zero.
  static QList<int> wordsOf(QByteArray bytes) {
    bytes += QByteArray(bytes.size() % 2, '\0');
    QList<int> words;
    for (qsizetype i = 0; i < bytes.size(); i += 2) words << qFromLittleEndian<quint16>(&bytes[i]);
    return words;
  }
  Wmf& select() { return record(0x012D, {objects_++}); }
  Wmf& box(int function, QPoint from, QPoint to) {
    return record(function, {to.y(), to.x(), from.y(), from.x()});
  }
  QByteArray records_;
  quint32 largest_ = 3;  // the end record's words
  int objects_ = 0;
};

class Emf {
 public:
  Emf& record(int type, std::initializer_list<qint64> values, const QByteArray& tail = {}) {
    records_ += le32({type, qint64(8 + 4 * values.size() + tail.size())}) + le32(values) + tail;
    ++count_;
    return *this;
  }
  Emf& brush(quint32 colour) { return record(39, {++objects_, 0, colour, 0}).select(objects_); }
  Emf& nullPen() { return select(0x80000008); }
  Emf& rectangle(QPoint from, QPoint to) { return box(43, from, to); }
  Emf& ellipse(QPoint from, QPoint to) { return box(42, from, to); }
  Emf& bitmap(QPoint from, QPoint to, const Dib& dib) {
    return record(
        81,
        {from.x(), from.y(), to.x(), to.y(), from.x(), from.y(), 0, 0, dib.width, dib.height, 80,
         40, 120, dib.bytes.size() - 40, 0, 0x00CC0020, to.x() - from.x(), to.y() - from.y()},
        dib.bytes);
  }
  Emf& text(QPoint at, const QString& text, int height, quint32 colour) {
    QByteArray font = le32({-height, 0, 0, 0, 400, 0, 0});  // the last two: 8 bytes of flags
    font += QByteArray(reinterpret_cast<const char*>(u"DejaVu Sans"), 22).leftJustified(64, '\0');
    record(82, {++objects_}, font).select(objects_).record(24, {colour}).record(18, {1});
    // EMRTEXT: reference point, length, string offset, options, clip, offset of the advances.
    const qint64 stringAt = 76, advancesAt = stringAt + (text.size() * 2 + 3) / 4 * 4;
    QByteArray tail(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    tail = tail.leftJustified(advancesAt - stringAt, '\0');
    for (qsizetype i = 0; i < text.size(); ++i) tail += le32({height * 3 / 5});
    return record(
        84,
        {0, 0, -1, -1, 1, 0, 0, at.x(), at.y(), text.size(), stringAt, 0, 0, 0, -1, -1, advancesAt},
        tail);
  }

  // The file: a header with `bounds` (reference pixels, inclusive) and `frame`
  // (hundredths of a millimetre) on a reference device of `dpi`, the records,
  // the end record.
  QByteArray file(QRect bounds, QRect frame, int dpi = 96) const {
    const QByteArray tail = records_ + le32({14, 20, 0, 16, 20});
    const qsizetype headerBytes = 108;
    QByteArray out = le32({1, headerBytes});
    for (const QRect& r : {bounds, frame}) out += le32({r.left(), r.top(), r.right(), r.bottom()});
    // The signature, the version, the size, the records, the handles (16 bits) and 16 reserved.
    out += le32({0x464D4520, 0x10000, headerBytes + tail.size(), count_ + 2, objects_ + 1});
    // No description, no palette; the device's size in pixels and millimetres.
    return out + le32({0, 0, 0, dpi * 10, dpi * 10, 254, 254, 0, 0, 0, 254000, 254000}) + tail;
  }

 private:
  Emf& select(qint64 object) { return record(37, {object}); }
  Emf& box(int type, QPoint a, QPoint b) { return record(type, {a.x(), a.y(), b.x(), b.y()}); }
  QByteArray records_;
  int count_ = 0, objects_ = 0;
};

}  // namespace metafile_bytes
