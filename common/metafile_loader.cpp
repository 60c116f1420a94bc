#include "common/metafile_loader.h"

#include "common/emf_mending.h"
#include "common/little_endian.h"
#include "common/wmf_painter.h"

#include <locale.h>
#include <QCoreApplication>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

extern "C" {
#include <emf2svg.h>
}

namespace {

QString tr(const char* text) { return QCoreApplication::translate("MetafileLoader", text); }

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableBytes = 22, kWmfHeaderBytes = 18;
constexpr qsizetype kEmfHeaderBytes = 88;      // the header record without its optional tail
constexpr quint32 kEmfSignature = 0x464D4520;  // " EMF"
constexpr quint32 kEmrHeader = 1, kEmrEof = 14;
constexpr quint16 kMetaEof = 0x0000, kMetaSetMapMode = 0x0103, kMetaSetWindowOrg = 0x020B,
                  kMetaSetWindowExt = 0x020C;
constexpr int kMmText = 1, kMmTwips = 6, kMmIsotropic = 7, kMmAnisotropic = 8;
// libwmf draws the physical mapping modes in points, and maps the window of an
// (an)isotropic one onto this many units.
constexpr double kWmfPointsPerInch = 72, kWmfViewportUnits = 1024;
// Logical units per inch of the physical mapping modes, from MM_LOMETRIC on.
constexpr double kMapModeUnitsPerInch[] = {254, 2540, 100, 1000, 1440};
constexpr double kPixelsPerInch = 96, kHimetricPerInch = 2540;
// The SVG both libraries write is text of a few dozen bytes per record.
constexpr qsizetype kMaxSvgBytes = qsizetype(256) << 20;

using little_endian::s16;
using little_endian::s32;
using little_endian::u16;
using little_endian::u32;

MetafileLayout refused(MetafileLayout layout, const QString& error) {
  layout.error = error;
  return layout;
}

QString damaged(MetafileLayout::Kind kind, const QString& reason) {
  return tr("%1 图元文件已损坏：%2。")
      .arg(kind == MetafileLayout::Kind::Wmf ? QStringLiteral("WMF") : QStringLiteral("EMF"),
           reason);
}

QString tooManyRecords(qint64 records) {
  return tr("图元文件的记录太多（%1 条），无法打开。").arg(records);
}

// The picture's size in whole pixels, or an error when it would not fit in
// memory. Sizes come from 16- and 32-bit header fields and may be absurd.
std::optional<QSize> pixelSize(double width, double height, QString* error) {
  const double w = std::max(1.0, std::round(width)), h = std::max(1.0, std::round(height));
  if (!(w * h * 4 <= double(kMaxPictureBytes))) {
    *error = tr("图片太大（%1 × %2 像素），内存容纳不下。").arg(w, 0, 'f', 0).arg(h, 0, 'f', 0);
    return std::nullopt;
  }
  return QSize(int(w), int(h));
}

// What a WMF's records say about its coordinates before it draws: the first
// mapping mode (0 where it sets none), window origin and window extent.
struct WmfWindow {
  int mapMode = 0;
  QPoint origin;
  std::optional<QPoint> extent;
};

// The logical units per inch of a physical mapping mode; 0 for the others.
double unitsPerInch(int mapMode) {
  return mapMode > kMmText && mapMode <= kMmTwips ? kMapModeUnitsPerInch[mapMode - 2] : 0;
}

// How many of libwmf's device units one logical unit is, as libwmf plays the
// file: a placeable file starts in points at its header's units per inch and
// a plain one in MM_TEXT, a unit a device unit; the physical modes are drawn
// in points, and the (an)isotropic ones map the window onto 1024 units. Empty
// where libwmf knows no scale.
std::optional<QPointF> wmfUnitsPerLogical(const WmfWindow& window, int placeableInch) {
  const QPoint extent = window.extent.value_or(QPoint(1, 1));
  if (window.mapMode == kMmIsotropic || window.mapMode == kMmAnisotropic) {
    if (extent.x() == 0 || extent.y() == 0) return std::nullopt;
    return QPointF(kWmfViewportUnits / extent.x(), kWmfViewportUnits / extent.y());
  }
  const double inch = unitsPerInch(window.mapMode) > 0 ? unitsPerInch(window.mapMode)
                      : window.mapMode == kMmText      ? kWmfPointsPerInch
                      : placeableInch > 0              ? placeableInch
                      : window.mapMode == 0            ? kWmfPointsPerInch
                                                       : 0;
  if (inch == 0) return std::nullopt;
  // libwmf turns the fixed scales over with the window.
  return QPointF(extent.x() < 0 ? -1 : 1, extent.y() < 0 ? -1 : 1) * (kWmfPointsPerInch / inch);
}

// What libwmf's player forgets at SAVEDC: it goes on with a device context
// whose background mode and colour, text colour and alignment, fill mode and
// raster operation are the defaults again, where Windows keeps them.
struct WmfDcState {
  quint16 backgroundMode = 2, textAlign = 0, fillMode = 1,
          rop2 = 13;  // OPAQUE, top left, ALTERNATE, COPYPEN
  quint32 background = 0xFFFFFF, text = 0;
  bool operator==(const WmfDcState&) const = default;
};

// After each SAVEDC that leaves a state libwmf would forget, records setting
// it again; `from` is the first record and the records were checked.
void keepStateOverSaveDc(QByteArray& bytes, qsizetype header, qsizetype from) {
  const auto record = [](quint16 function, std::initializer_list<quint16> words) {
    QByteArray out(6 + 2 * qsizetype(words.size()), '\0');
    qToLittleEndian<quint32>(quint32(3 + words.size()), out.data());
    qToLittleEndian<quint16>(function, out.data() + 4);
    for (int i = 0; quint16 word : words) qToLittleEndian<quint16>(word, out.data() + 6 + 2 * i++);
    return out;
  };
  QList<WmfDcState> saved;
  WmfDcState state;
  QByteArray out;
  qsizetype copied = 0;
  for (qsizetype at = from;;) {
    const quint32 words = u32(bytes, at);
    const quint16 function = u16(bytes, at + 4);
    const quint16 first = words > 3 ? u16(bytes, at + 6) : 0;
    const quint32 colour = words > 4 ? u32(bytes, at + 6) : 0;
    at += qsizetype(words) * 2;
    if (function == kMetaEof && words == 3) break;
    switch (function) {
      case 0x0102:
        state.backgroundMode = first;
        break;
      case 0x012E:
        state.textAlign = first;
        break;
      case 0x0106:
        state.fillMode = first;
        break;
      case 0x0104:
        state.rop2 = first;
        break;
      case 0x0201:
        state.background = colour;
        break;
      case 0x0209:
        state.text = colour;
        break;
      case 0x0127: {  // RESTOREDC: relative to the last saved, or counted from the first
        const qint16 which = qint16(first);
        const qsizetype keep = which < 0 ? saved.size() + which : which - 1;
        if (keep >= 0 && keep < saved.size()) {
          state = saved[keep];
          saved.resize(keep);
        }
        break;
      }
      case 0x001E:  // SAVEDC
        saved.append(state);
        if (state == WmfDcState()) break;
        out.append(bytes.constData() + copied, at - copied);
        copied = at;
        out += record(0x0102, {state.backgroundMode}) + record(0x012E, {state.textAlign}) +
               record(0x0106, {state.fillMode}) + record(0x0104, {state.rop2}) +
               record(0x0201, {quint16(state.background), quint16(state.background >> 16)}) +
               record(0x0209, {quint16(state.text), quint16(state.text >> 16)});
        break;
    }
  }
  if (copied == 0) return;
  bytes = out.append(bytes.constData() + copied, bytes.size() - copied);
  qToLittleEndian<quint32>(quint32((bytes.size() - header) / 2), bytes.data() + header + 6);
}

MetafileLayout checkWmf(QByteArray& bytes) {
  MetafileLayout layout;
  layout.kind = MetafileLayout::Kind::Wmf;
  const auto fail = [&](const QString& reason) {
    return refused(layout, damaged(layout.kind, reason));
  };
  const bool placeable = bytes.size() >= 4 && u32(bytes, 0) == kPlaceableKey;
  const qsizetype header = placeable ? kPlaceableBytes : 0;
  if (bytes.size() < header + kWmfHeaderBytes) return fail(tr("文件头不完整"));
  const quint16 type = u16(bytes, header), headerWords = u16(bytes, header + 2);
  if ((type != 1 && type != 2) || headerWords != kWmfHeaderBytes / 2) return fail(tr("文件头无效"));

  // Every record: its length in 16-bit words (at least its own 3), then its
  // function. libwmf stops at a 3-word record of function 0, and so do we.
  WmfWindow window;
  bool originSeen = false, mapModeSeen = false;
  quint32 largest = 3;
  qsizetype at = header + kWmfHeaderBytes;
  for (;;) {
    if (bytes.size() - at < 6) return fail(tr("缺少结束记录"));
    const quint32 words = u32(bytes, at);
    const quint16 function = u16(bytes, at + 4);
    if (words < 3) return fail(tr("记录长度无效"));
    if (words > quint64(bytes.size() - at) / 2) return fail(tr("记录超出文件末尾"));
    if (++layout.records > kMaxMetafileRecords)
      return refused(layout, tooManyRecords(layout.records));
    largest = std::max(largest, words);
    if (function == kMetaEof && words == 3) break;
    const qsizetype params = at + 6;
    if (function == kMetaSetMapMode && words >= 4 && !mapModeSeen) {
      window.mapMode = u16(bytes, params);
      mapModeSeen = true;
    } else if (function == kMetaSetWindowOrg && words >= 5 && !originSeen) {
      window.origin = QPoint(s16(bytes, params + 2), s16(bytes, params));
      originSeen = true;
    } else if (function == kMetaSetWindowExt && words >= 5 && !window.extent) {
      window.extent = QPoint(s16(bytes, params + 2), s16(bytes, params));
    }
    at += qsizetype(words) * 2;
  }
  // libwmf sizes its record buffer by the header's largest record, which
  // Windows itself ignores: a file that overstates it would have us allocate
  // gigabytes, one that understates it would be refused for no harm.
  qToLittleEndian<quint32>(largest, bytes.data() + header + 12);
  keepStateOverSaveDc(bytes, header, header + kWmfHeaderBytes);

  QString error;
  std::optional<QSize> pixels;
  // The box's right and bottom edges are exclusive; either pair may be the wrong way round.
  const int left = placeable ? std::min(s16(bytes, 6), s16(bytes, 10)) : 0;
  const int top = placeable ? std::min(s16(bytes, 8), s16(bytes, 12)) : 0;
  const int boxWidth = placeable ? std::abs(s16(bytes, 10) - s16(bytes, 6)) : 0;
  const int boxHeight = placeable ? std::abs(s16(bytes, 12) - s16(bytes, 8)) : 0;
  const int inch = placeable ? u16(bytes, 14) : 0;
  const bool byBox = inch > 0 && boxWidth > 0 && boxHeight > 0;
  // libwmf would play a placeable file by a box or a unit that means nothing: such a file
  // is played as the plain one behind its placeable header, sized as a plain one is.
  if (placeable && !byBox) bytes.remove(0, kPlaceableBytes);
  // The picture is the placeable box, else the window; libwmf draws it at this scale.
  const auto scale = wmfUnitsPerLogical(window, byBox ? inch : 0);
  const QRect logical = byBox ? QRect(left, top, boxWidth, boxHeight)
                        : window.extent
                            ? QRect(window.origin, QSize(window.extent->x(), window.extent->y()))
                            : QRect();
  if (byBox) {
    pixels = pixelSize(boxWidth * kPixelsPerInch / inch, boxHeight * kPixelsPerInch / inch, &error);
  } else if (window.extent && window.extent->x() != 0 && window.extent->y() != 0) {
    // A plain file's window in a physical mode has a size; in the others it is in pixels.
    const double perPixel =
        unitsPerInch(window.mapMode) > 0 ? unitsPerInch(window.mapMode) / kPixelsPerInch : 1;
    pixels = pixelSize(std::abs(window.extent->x()) / perPixel,
                       std::abs(window.extent->y()) / perPixel, &error);
  } else {
    return layout;  // the size is what is drawn, known once libwmf has scanned it
  }
  if (scale)
    layout.drawingWindow = QRectF((logical.left() - window.origin.x()) * scale->x(),
                                  (logical.top() - window.origin.y()) * scale->y(),
                                  logical.width() * scale->x(), logical.height() * scale->y())
                               .normalized();
  if (!pixels) return refused(layout, error);
  layout.pixels = *pixels;
  return layout;
}

MetafileLayout checkEmf(QByteArray& bytes) {
  MetafileLayout layout;
  layout.kind = MetafileLayout::Kind::Emf;
  const auto fail = [&](const QString& reason) {
    return refused(layout, damaged(layout.kind, reason));
  };
  if (bytes.size() < kEmfHeaderBytes) return fail(tr("文件头不完整"));
  const quint32 headerBytes = u32(bytes, 4), fileBytes = u32(bytes, 48),
                claimedRecords = u32(bytes, 52);
  const quint32 descriptionChars = u32(bytes, 60), descriptionAt = u32(bytes, 64);
  if (u32(bytes, 0) != kEmrHeader || u32(bytes, 40) != kEmfSignature ||
      headerBytes < kEmfHeaderBytes || headerBytes % 4 != 0 || headerBytes > fileBytes)
    return fail(tr("文件头无效"));
  if (claimedRecords > kMaxMetafileRecords) return refused(layout, tooManyRecords(claimedRecords));
  if (fileBytes > quint64(bytes.size())) return fail(tr("文件比文件头所说的短"));
  if (descriptionChars != 0 && (descriptionAt < kEmfHeaderBytes || descriptionAt > headerBytes ||
                                descriptionChars > (headerBytes - descriptionAt) / 2))
    return fail(tr("文件头无效"));

  // Every record: its type, then its length in bytes, a multiple of 4 that
  // counts these 8 bytes; the last is the end record.
  qsizetype at = 0;
  for (;;) {
    if (qsizetype(fileBytes) - at < 8) return fail(tr("缺少结束记录"));
    const quint32 type = u32(bytes, at), size = u32(bytes, at + 4);
    if (size < 8 || size % 4 != 0) return fail(tr("记录长度无效"));
    if (size > quint64(fileBytes - at)) return fail(tr("记录超出文件末尾"));
    if (++layout.records > kMaxMetafileRecords)
      return refused(layout, tooManyRecords(layout.records));
    at += size;
    if (type == kEmrEof) break;
  }
  bytes.truncate(at);  // what follows the end record is not the drawing's

  // libemf2svg draws in the reference device's pixels, shifted so that the
  // bounds start at 0; the frame is in hundredths of a millimetre.
  const QRect bounds(QPoint(s32(bytes, 8), s32(bytes, 12)), QPoint(s32(bytes, 16), s32(bytes, 20)));
  const QRect frame(QPoint(s32(bytes, 24), s32(bytes, 28)), QPoint(s32(bytes, 32), s32(bytes, 36)));
  const double frameWidth = double(frame.right()) - frame.left(),
               frameHeight = double(frame.bottom()) - frame.top();
  const double boundsWidth = double(bounds.right()) - bounds.left(),
               boundsHeight = double(bounds.bottom()) - bounds.top();
  QString error;
  std::optional<QSize> pixels;
  if (frameWidth > 0 && frameHeight > 0) {
    const qint32 deviceX = s32(bytes, 72), deviceY = s32(bytes, 76);
    const qint32 millimetresX = s32(bytes, 80), millimetresY = s32(bytes, 84);
    const bool device = deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0;
    const double perHimetricX =
        device ? deviceX / (millimetresX * 100.0) : kPixelsPerInch / kHimetricPerInch;
    const double perHimetricY =
        device ? deviceY / (millimetresY * 100.0) : kPixelsPerInch / kHimetricPerInch;
    pixels = pixelSize(frameWidth * kPixelsPerInch / kHimetricPerInch,
                       frameHeight * kPixelsPerInch / kHimetricPerInch, &error);
    layout.drawingWindow = QRectF(frame.left() * perHimetricX - bounds.left(),
                                  frame.top() * perHimetricY - bounds.top(),
                                  frameWidth * perHimetricX, frameHeight * perHimetricY);
  } else if (boundsWidth > 0 && boundsHeight > 0) {
    pixels = pixelSize(boundsWidth, boundsHeight, &error);
    layout.drawingWindow = QRectF(0, 0, boundsWidth, boundsHeight);
  } else {
    return fail(tr("没有可用的尺寸"));
  }
  if (!pixels) return refused(layout, error);
  layout.pixels = *pixels;
  return layout;
}

// Both libraries print numbers with printf, which follows LC_NUMERIC; a
// decimal comma would break the SVG. This switches the calling thread to the
// C locale while it lives.
class CNumbers {
 public:
  CNumbers() : c_(newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr))) {
    if (c_ != locale_t(nullptr)) previous_ = uselocale(c_);
  }
  ~CNumbers() {
    if (c_ == locale_t(nullptr)) return;
    uselocale(previous_);
    freelocale(c_);
  }
  CNumbers(const CNumbers&) = delete;
  CNumbers& operator=(const CNumbers&) = delete;

 private:
  locale_t c_;
  locale_t previous_ = locale_t(nullptr);
};

// libemf2svg ----------------------------------------------------------------

std::optional<QByteArray> emfToSvg(QByteArray& bytes, const MetafileLayout& layout,
                                   QString* error) {
  char nameSpace[1] = {0};
  // No EMF+: the platform's pictures play the plain records, which every
  // EMF+ file carries as well.
  generatorOptions options{nameSpace, false, false, true, 0, 0};
  char* svg = nullptr;
  size_t length = 0;
  QByteArray mended = mendedForLibemf2svg(bytes);
  const int converted = emf2svg(mended.data(), size_t(mended.size()), &svg, &length, &options);
  std::optional<QByteArray> result;
  if (converted != 1 || svg == nullptr)
    *error = damaged(layout.kind, tr("无法画出其中的记录"));
  else if (length > size_t(kMaxSvgBytes))
    *error = tr("图元文件太复杂，无法打开。");
  else
    result = QByteArray(svg, qsizetype(length));
  std::free(svg);
  return result;
}

// Qt SVG ---------------------------------------------------------------------

// Qt SVG and the painter warn on the console about what an odd or damaged
// drawing holds (elements they do not know, a font size of 0, a pen too
// wide); the user hears of a damaged file through the error instead. Quiet
// while it lives.
class QuietQt {
 public:
  QuietQt()
      : previous_(
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {}
  ~QuietQt() { qInstallMessageHandler(previous_); }
  QuietQt(const QuietQt&) = delete;
  QuietQt& operator=(const QuietQt&) = delete;

 private:
  QtMessageHandler previous_;
};

// The picture drawn from the SVG, or a null one with `error` set.
QImage drawSvg(const QByteArray& svg, const QRectF& window, const MetafileLayout& layout,
               QString* error) {
  QSvgRenderer renderer;
  const QSize pixels = layout.pixels;
  const QRectF allowed = metafileReach(window, pixels);
  if (!renderer.load(svg) || !renderer.isValid()) {
    *error = damaged(layout.kind, tr("无法画出其中的记录"));
    return QImage();
  }
  // The bounds of the whole drawing, strokes included: no element has an empty name.
  const QRectF drawn = renderer.boundsOnElement(QString()).normalized();
  if (!drawn.isNull() && !(drawn.left() >= allowed.left() && drawn.right() <= allowed.right() &&
                           drawn.top() >= allowed.top() && drawn.bottom() <= allowed.bottom())) {
    *error = damaged(layout.kind, tr("其中的图形远远超出图片"));
    return QImage();
  }
  renderer.setViewBox(window);
  renderer.setAspectRatioMode(Qt::IgnoreAspectRatio);
  // Transparent where nothing is drawn: the picture box shows its background there.
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) {
    *error = tr("内存不足，无法打开这张图片。");
    return image;
  }
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  painter.end();
  return image;
}

}  // namespace

// libemf2svg turns a text written as glyph indices (ETO_GLYPH_INDEX, as
// Windows writes shaped text) back into letters through the font's file,
// which it finds with fontconfig, and then shuts fontconfig down with
// FcFini() -- under Qt, whose fonts keep using it: fontconfig aborts the
// program on an assertion, or Qt reads freed memory later. Nothing else in
// the programs calls FcFini(); this definition stands in for fontconfig's
// everywhere in the process, so that fontconfig lives as long as the process.
extern "C" Q_DECL_EXPORT void FcFini() {}

bool isMetafileHead(const QByteArray& head) {
  if (head.size() >= 4 && u32(head, 0) == kPlaceableKey) return true;
  if (head.size() >= 6 && (u16(head, 0) == 1 || u16(head, 0) == 2) &&
      u16(head, 2) == kWmfHeaderBytes / 2 && (u16(head, 4) == 0x0100 || u16(head, 4) == 0x0300))
    return true;
  return head.size() >= 44 && u32(head, 0) == kEmrHeader && u32(head, 40) == kEmfSignature;
}

MetafileLayout checkMetafile(QByteArray& bytes) {
  return bytes.size() >= 44 && u32(bytes, 0) == kEmrHeader && u32(bytes, 40) == kEmfSignature
             ? checkEmf(bytes)
             : checkWmf(bytes);
}

LoadedPicture loadMetafile(QIODevice& device) {
  LoadedPicture result;
  if (device.size() - device.pos() > kMaxMetafileBytes) {
    result.error = tr("图元文件太大（超过 %1 MB），无法打开。").arg(kMaxMetafileBytes >> 20);
    return result;
  }
  QByteArray bytes = device.readAll();
  MetafileLayout layout = checkMetafile(bytes);
  if (!layout.error.isEmpty()) {
    result.error = layout.error;
    return result;
  }
  const CNumbers cNumbers;
  const QuietQt quiet;
  if (layout.kind == MetafileLayout::Kind::Wmf) {
    result.image = paintWmf(bytes, layout, &result.error);
    return result;
  }
  // libemf2svg draws in the reference device's pixels; the layout's window is in them.
  const std::optional<QByteArray> svg = emfToSvg(bytes, layout, &result.error);
  if (svg) result.image = drawSvg(*svg, layout.drawingWindow, layout, &result.error);
  return result;
}
