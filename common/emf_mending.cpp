#include "common/emf_mending.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QTransform>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <optional>

#include "common/little_endian.h"

namespace {

constexpr quint32 kEmrEof = 14, kEmrMoveTo = 27, kEmrSaveDc = 33, kEmrRestoreDc = 34,
                  kEmrSetWorldTransform = 35, kEmrModifyWorldTransform = 36, kEmrLineTo = 54,
                  kEmrBeginPath = 59, kEmrEndPath = 60, kEmrCloseFigure = 61, kEmrStrokePath = 64,
                  kEmrStretchDibits = 81, kEmrGradientFill = 118;
constexpr quint32 kSrcCopy = 0x00CC0020;
// The bitmaps that stand for gradients may grow the file by no more than this.
constexpr qsizetype kMaxGradientBytes = qsizetype(64) << 20;

using little_endian::u32;

// One record of the file, within it.
struct Record {
  const QByteArray* bytes;
  qsizetype at;
  quint32 type, size;
  // The 32-bit field `index` after the type and size, or nothing past the record.
  std::optional<quint32> field(qint64 index) const {
    if (index < 0 || 8 + 4 * (index + 1) > size) return std::nullopt;
    return u32(*bytes, at + 8 + 4 * index);
  }
  qint32 signedField(qint64 index) const { return qint32(field(index).value_or(0)); }
};

QByteArray le32(std::initializer_list<qint64> values) {
  QByteArray out(4 * qsizetype(values.size()), '\0');
  for (int i = 0; qint64 value : values)
    qToLittleEndian<quint32>(quint32(value), out.data() + 4 * i++);
  return out;
}

QByteArray record(quint32 type, const QByteArray& body) {
  return le32({type, 8 + body.size()}) + body;
}

// The transform of an XFORM at field `index`.
std::optional<QTransform> transformAt(const Record& r, int index) {
  if (!r.field(index + 5)) return std::nullopt;
  const auto f = [&](int i) { return double(std::bit_cast<float>(*r.field(index + i))); };
  return QTransform(f(0), f(1), f(2), f(3), f(4), f(5));
}

QByteArray setWorldTransform(const QTransform& t) {
  QByteArray body;
  for (double value : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
    body += le32({std::bit_cast<quint32>(float(value))});
  return record(kEmrSetWorldTransform, body);
}

// A rectangle of a gradient as a 24-bit bitmap of 256 steps from `from` to
// `to`, across (or `down`), stretched over it.
QByteArray gradientBitmap(const QRect& box, const quint16* from, const quint16* to, bool down) {
  constexpr int kSteps = 256;
  const int width = down ? 1 : kSteps, height = down ? kSteps : 1;
  QByteArray pixels;
  for (int i = 0; i < kSteps; ++i) {
    const int step = down ? kSteps - 1 - i : i;  // the rows go bottom up
    for (int channel : {2, 1, 0})                // blue, green, red
      pixels += char((from[channel] + (to[channel] - from[channel]) * step / (kSteps - 1)) >> 8);
    if (down) pixels += '\0';  // each row padded to 4 bytes
  }
  const QByteArray info = le32({40, width, height, 1 | 24 << 16, 0, pixels.size(), 0, 0, 0, 0});
  return record(kEmrStretchDibits, le32({box.left(), box.top(), box.right(), box.bottom(),
                                         box.left(), box.top(), 0, 0, width, height, 80, 40, 120,
                                         pixels.size(), 0, kSrcCopy, box.width(), box.height()}) +
                                       info + pixels);
}

// The rectangles of a gradient fill (GRADIENT_FILL_RECT_H or _V) as bitmaps,
// with their number; nothing for triangles or a record that does not hold
// what it counts.
std::pair<QByteArray, int> gradientBitmaps(const Record& r) {
  const quint32 vertices = r.field(4).value_or(0), rects = r.field(5).value_or(0);
  const quint32 mode = r.field(6).value_or(2);
  // After bounds and counts: vertices of 16 bytes, then rectangles of 8.
  if (mode > 1 || r.size < 36 + quint64(vertices) * 16 + quint64(rects) * 8) return {};
  const char* const vertexAt = r.bytes->constData() + r.at + 36;
  QByteArray out;
  int count = 0;
  for (quint32 i = 0; i < rects; ++i) {
    const quint32 corners[2] = {*r.field(7 + vertices * 4 + 2 * i),
                                *r.field(8 + vertices * 4 + 2 * i)};
    if (corners[0] >= vertices || corners[1] >= vertices) continue;
    QPoint points[2];
    quint16 colours[2][3];
    for (int k : {0, 1}) {
      const char* v = vertexAt + 16 * corners[k];
      points[k] = QPoint(qFromLittleEndian<qint32>(v), qFromLittleEndian<qint32>(v + 4));
      for (int c = 0; c < 3; ++c) colours[k][c] = qFromLittleEndian<quint16>(v + 8 + 2 * c);
    }
    const bool down = mode == 1;
    // The first colour stands at the first corner's edge, wherever that is.
    const bool swapped = down ? points[0].y() > points[1].y() : points[0].x() > points[1].x();
    const QRect box = QRect(points[0], points[1]).normalized().adjusted(0, 0, -1, -1);
    if (box.isEmpty()) continue;
    out += gradientBitmap(box, colours[swapped ? 1 : 0], colours[swapped ? 0 : 1], down);
    ++count;
  }
  return {out, count};
}

// Where the last figure of a path being defined ends, and whether it is open.
struct Figure {
  std::optional<QPoint> end;
  bool open = false;

  void follow(const Record& r) {
    const auto pointAt = [&](qint64 index) -> std::optional<QPoint> {
      if (!r.field(index + 1)) return std::nullopt;
      return QPoint(r.signedField(index), r.signedField(index + 1));
    };
    // The last of `count` points from field `first`, 16 or 32 bits each.
    const auto lastPoint = [&](qint64 first, quint32 count, bool small) -> std::optional<QPoint> {
      if (count == 0) return std::nullopt;
      if (!small) return pointAt(first + 2 * (qint64(count) - 1));
      const auto pair = r.field(first + count - 1);
      if (!pair) return std::nullopt;
      return QPoint(qint16(*pair & 0xFFFF), qint16(*pair >> 16));
    };
    const auto oneOf = [&](std::initializer_list<quint32> types) {
      return std::find(types.begin(), types.end(), r.type) != types.end();
    };
    if (r.type == kEmrMoveTo || r.type == kEmrLineTo) {
      end = pointAt(0), open = r.type == kEmrLineTo;
    } else if (oneOf({2, 4, 5, 6, 85, 87, 88, 89})) {  // béziers and polylines, 32 or 16 bits
      end = lastPoint(5, r.field(4).value_or(0), r.type > 80), open = true;
    } else if (r.type == 90) {  // POLYPOLYLINE16: the counts of its lines, then all their points
      const quint32 lines = r.field(4).value_or(0), points = r.field(5).value_or(0);
      end = lines > 0 && lines < r.size ? lastPoint(6 + lines, points, true) : std::nullopt;
      open = true;
    } else if (oneOf({kEmrCloseFigure, 3, 8, 42, 43, 44, 46, 47, 86, 91})) {  // closed figures
      open = false;
    } else if (oneOf({7, 41, 45, 55, 56, 92})) {  // arcs and lines whose end is not read here
      end.reset(), open = true;
    }  // the rest draw no figure
  }
};

}  // namespace

QByteArray mendedForLibemf2svg(const QByteArray& emf) {
  QList<Record> records;
  for (qsizetype at = 0; at + 8 <= emf.size();) {
    const Record r{&emf, at, u32(emf, at), u32(emf, at + 4)};
    records.append(r);
    at += r.size;
    if (r.type == kEmrEof || r.size < 8) break;
  }
  QByteArray out;
  out.reserve(emf.size());
  qint64 count = 0, gradientBytes = 0;
  QTransform world;
  QList<QTransform> saved;
  std::optional<Figure> path;
  for (qsizetype i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    QByteArray after;  // records to follow this one
    switch (r.type) {
      case kEmrGradientFill: {
        const auto [bitmaps, rects] = gradientBitmaps(r);
        if (rects > 0 && (gradientBytes += bitmaps.size()) <= kMaxGradientBytes) {
          out += bitmaps;
          count += rects;
          continue;
        }
        break;
      }
      case kEmrSetWorldTransform:
        world = transformAt(r, 0).value_or(world);
        break;
      case kEmrModifyWorldTransform: {
        const auto t = transformAt(r, 0);
        const quint32 mode = r.field(6).value_or(0);
        if (mode == 1)
          world = QTransform();
        else if (t && mode == 2)
          world = *t * world;
        else if (t && mode == 3)
          world = world * *t;
        else if (t && mode == 4)
          world = *t;
        break;
      }
      case kEmrSaveDc:
        saved.append(world);
        break;
      case kEmrRestoreDc: {
        const qint32 which = r.signedField(0);
        const qsizetype keep = which < 0 ? saved.size() + which : which - 1;
        if (keep < 0 || keep >= saved.size()) break;
        if (saved[keep] != world) after = setWorldTransform(saved[keep]);
        world = saved[keep];
        saved.resize(keep);
        break;
      }
      case kEmrBeginPath:
        path = Figure();
        break;
      case kEmrEndPath:
        if (path && path->open && path->end && i + 1 < records.size() &&
            records[i + 1].type == kEmrStrokePath) {
          out += record(kEmrMoveTo, le32({path->end->x(), path->end->y()}));
          ++count;
        }
        path.reset();
        break;
      default:
        if (path) path->follow(r);
    }
    out.append(emf.constData() + r.at, r.size);
    out += after;
    count += after.isEmpty() ? 1 : 2;
  }
  if (out.size() >= 56) {
    qToLittleEndian<quint32>(quint32(out.size()), out.data() + 48);
    qToLittleEndian<quint32>(quint32(count), out.data() + 52);
  }
  return out;
}
