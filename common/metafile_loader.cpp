#include "common/metafile_loader.h"

#include <locale.h>
#include <QCoreApplication>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QStringDecoder>
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
#include <libwmf/api.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>
#include <libwmf/svg.h>
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
constexpr int kMmText = 1, kMmIsotropic = 7, kMmAnisotropic = 8;
// libwmf plays a placeable file in points, and maps the window of an
// (an)isotropic one onto this many units.
constexpr double kWmfPointsPerInch = 72, kWmfViewportUnits = 1024;
constexpr double kPixelsPerInch = 96, kHimetricPerInch = 2540;
// The SVG both libraries write is text of a few dozen bytes per record.
constexpr qsizetype kMaxSvgBytes = qsizetype(256) << 20;

// Little-endian fields; every caller has checked that they lie within the
// bytes. Out of line, as inlined GCC takes an empty array's shared byte for
// the data and warns about reading past it.
template <typename T>
Q_NEVER_INLINE T field(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<T>(bytes.constData() + at);
}
quint16 u16(const QByteArray& bytes, qsizetype at) { return field<quint16>(bytes, at); }
qint16 s16(const QByteArray& bytes, qsizetype at) { return field<qint16>(bytes, at); }
quint32 u32(const QByteArray& bytes, qsizetype at) { return field<quint32>(bytes, at); }
qint32 s32(const QByteArray& bytes, qsizetype at) { return field<qint32>(bytes, at); }

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

// What a WMF's records say about its coordinates before it draws.
struct WmfWindow {
  int mapMode = kMmText;
  QPoint origin;
  std::optional<QPoint> extent;
};

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
  if (byBox) {
    pixels = pixelSize(boxWidth * kPixelsPerInch / inch, boxHeight * kPixelsPerInch / inch, &error);
    const double scale = kWmfPointsPerInch / inch;
    layout.drawingWindow =
        QRectF((left - window.origin.x()) * scale, (top - window.origin.y()) * scale,
               boxWidth * scale, boxHeight * scale);
  } else if (window.extent && window.extent->x() != 0 && window.extent->y() != 0) {
    const QSize extent(std::abs(window.extent->x()), std::abs(window.extent->y()));
    pixels = pixelSize(extent.width(), extent.height(), &error);
    if (window.mapMode == kMmText)
      layout.drawingWindow = QRectF(QPointF(0, 0), extent);
    else if (window.mapMode == kMmIsotropic || window.mapMode == kMmAnisotropic)
      layout.drawingWindow = QRectF(0, 0, kWmfViewportUnits, kWmfViewportUnits);
    // In other modes the extent means nothing to libwmf: what is drawn decides.
  } else {
    return layout;  // the size is what is drawn, known once libwmf has scanned it
  }
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

// libwmf's SVG device -------------------------------------------------------

// libwmf writes a text's bytes into the SVG as they are, in the font's
// Windows code page; the SVG is UTF-8 XML.
QByteArray xmlText(const char* text, int charset) {
  static const QHash<int, const char*> codePages = {
      {128, "Shift_JIS"},    {129, "windows-949"},  {134, "GBK"},          {136, "Big5"},
      {161, "windows-1253"}, {162, "windows-1254"}, {177, "windows-1255"}, {178, "windows-1256"},
      {186, "windows-1257"}, {204, "windows-1251"}, {222, "windows-874"},  {238, "windows-1250"}};
  QStringDecoder decoder(codePages.value(charset, "windows-1252"));
  QString decoded = decoder.isValid() ? decoder.decode(QByteArrayView(text)) : QString();
  if (!decoder.isValid() || decoder.hasError()) decoded = QString::fromLatin1(text);
  return decoded.toHtmlEscaped().toUtf8();
}

// A bitmap in a WMF record: a header Windows writes, a size within our
// limit (libwmf takes the record's size over the header's when it has one),
// and the palette and pixels within the `length` bytes of the record.
constexpr qint64 kMaxBitmapPixels = qint64(1) << 24;
bool dibFits(const unsigned char* dib, long length, int recordWidth, int recordHeight) {
  if (dib == nullptr || length < 12) return false;
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(dib), qsizetype(length));
  const quint32 headerBytes = u32(bytes, 0);
  const bool core = headerBytes == 12;
  if (!core && (headerBytes < 40 || headerBytes > 124 || length < 40)) return false;
  const qint64 width = recordWidth != 0 ? recordWidth : core ? u16(bytes, 4) : s32(bytes, 4);
  const qint64 height = recordHeight != 0 ? recordHeight
                        : core            ? u16(bytes, 6)
                                          : std::abs(qint64(s32(bytes, 8)));
  const int planes = u16(bytes, core ? 8 : 12), bits = u16(bytes, core ? 10 : 14);
  const quint32 compression = core ? 0 : u32(bytes, 16), colours = core ? 0 : u32(bytes, 32);
  if (width <= 0 || height <= 0 || width * height > kMaxBitmapPixels || planes != 1) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  // Plain pixels, 8-bit run lengths, or 16- and 32-bit pixels with colour masks.
  const bool runs = compression == 1 && bits == 8;
  if (compression != 0 && !runs && !(compression == 3 && bits >= 16)) return false;
  qint64 entries =
      bits <= 8 ? (colours != 0 ? std::min<qint64>(colours, 1 << bits) : 1 << bits) : colours;
  if (compression == 3 && headerBytes == 40) entries += 3;  // the masks follow the header
  const qint64 pixelsAt = headerBytes + entries * (core ? 3 : 4);
  const qint64 pixelBytes = runs ? 2 : (width * bits + 31) / 32 * 4 * height;
  return pixelsAt + pixelBytes <= length;
}

// libwmf draws nothing of an 8-bit run-length bitmap whose last row ends with
// an end-of-row mark right before the end-of-bitmap mark, which is how Windows
// writes them. That mark ends nothing the bitmap's end does not: the copy of a
// fitting bitmap made here leaves it out (and keeps the record's length).
// Empty for a bitmap not in runs, which libwmf reads as it is.
QByteArray withoutRowEndBeforeBitmapEnd(const unsigned char* dib, long length) {
  const auto* raw = reinterpret_cast<const char*>(dib);
  const QByteArray head = QByteArray::fromRawData(raw, std::min<qsizetype>(length, 20));
  if (u32(head, 0) == 12 || u32(head, 16) != 1) return {};
  QByteArray bytes(raw, qsizetype(length));
  const quint32 colours = u32(bytes, 32);
  qsizetype at = u32(bytes, 0) + (colours != 0 ? std::min<quint32>(colours, 256) : 256) * 4;
  for (qsizetype rowEnd = -1; at + 1 < bytes.size();) {
    const int count = quint8(bytes[at]), code = quint8(bytes[at + 1]);
    if (count == 0 && code == 1) {
      if (rowEnd == at - 2) bytes.remove(rowEnd, 2).append(2, '\0');
      break;
    }
    rowEnd = count == 0 && code == 0 ? at : -1;
    // A run, an end of row, a jump (two more bytes), or pixels as they are, padded to a word.
    at += count != 0 || code == 0 ? 2 : code == 2 ? 4 : 2 + code + (code & 1);
  }
  return bytes;
}

// The functions of libwmf's SVG device we put ourselves in front of, and
// what they found; the API's user data points here.
struct WmfHooks {
  void (*drawText)(wmfAPI*, wmfDrawText_t*) = nullptr;
  void (*readBitmap)(wmfAPI*, wmfBMP_Read_t*) = nullptr;
  bool badBitmap = false;
  QList<QByteArray> texts;  // what the markers in the SVG stand for
};

WmfHooks& hooks(wmfAPI* api) { return *static_cast<WmfHooks*>(api->user_data); }

// libwmf prints a text's bytes as they are, in the font's code page, with a
// printf that loses its arguments once a text outgrows its buffer (a few
// hundred bytes). It gets a short marker instead, which the text, decoded
// and escaped, replaces afterwards.
constexpr char kTextStart = '\x02', kTextEnd = '\x03';  // never in libwmf's own output

void drawTextMarker(wmfAPI* api, wmfDrawText_t* text) {
  char* const raw = text->str;
  const wmfFont* font = text->dc != nullptr ? WMF_DC_FONT(text->dc) : nullptr;
  QList<QByteArray>& texts = hooks(api).texts;
  texts.append(xmlText(raw, font != nullptr ? WMF_FONT_CHARSET(font) : 0));
  QByteArray marker = kTextStart + QByteArray::number(texts.size() - 1) + kTextEnd;
  text->str = marker.data();
  hooks(api).drawText(api, text);
  text->str = raw;
}

QByteArray withTexts(const QByteArray& svg, const QList<QByteArray>& texts) {
  QByteArray result;
  result.reserve(svg.size());
  qsizetype at = 0;
  for (qsizetype start; (start = svg.indexOf(kTextStart, at)) >= 0;) {
    const qsizetype end = svg.indexOf(kTextEnd, start);
    const qsizetype index = svg.mid(start + 1, end - start - 1).toLongLong();
    result.append(svg.constData() + at, start - at).append(texts.value(index));
    at = end + 1;
  }
  return result.append(svg.constData() + at, svg.size() - at);
}

// libwmf decodes a bitmap by what its header says, reading and allocating
// past what the record holds: a bitmap that does not fit is never handed on.
void readCheckedBitmap(wmfAPI* api, wmfBMP_Read_t* read) {
  if (dibFits(read->buffer, read->length, read->width, read->height)) {
    QByteArray runs = withoutRowEndBeforeBitmapEnd(read->buffer, read->length);
    unsigned char* const record = read->buffer;
    if (!runs.isEmpty()) read->buffer = reinterpret_cast<unsigned char*>(runs.data());
    hooks(api).readBitmap(api, read);
    read->buffer = record;
    return;
  }
  read->bmp = wmfBMP{0, 0, nullptr};
  hooks(api).badBitmap = true;
}

// libwmf's SVG device places a bitmap twice over (by its position and again
// by a transform), which puts it outside the picture; this one places it once.
void drawBitmap(wmfAPI* api, wmfBMP_Draw_t* draw) {
  const auto& crop = draw->crop;
  if (draw->bmp.data == nullptr || draw->dc == nullptr || crop.w == 0 || crop.h == 0 ||
      crop.x + crop.w > draw->bmp.width || crop.y + crop.h > draw->bmp.height) {
    hooks(api).badBitmap = true;
    return;
  }
  const wmf_svg_t* svg = WMF_SVG_GetData(api);
  // The device layer maps its box onto the picture's pixels.
  const QRectF box(QPointF(svg->bbox.TL.x, svg->bbox.TL.y),
                   QPointF(svg->bbox.BR.x, svg->bbox.BR.y));
  const double scaleX = svg->width / box.width(), scaleY = svg->height / box.height();
  // libwmf reads the record's extent as unsigned 16-bit numbers and drops the
  // sign of the mapping (`perUnit`, device units per logical unit): a bitmap
  // mirrored by an extent of -24 units would be drawn 65512 units long.
  const auto extent = [](double size, double perUnit) {
    const double units = perUnit != 0 ? std::round(size / std::abs(perUnit)) : 0;
    return (units >= 32768 ? units - 65536 : units) * perUnit;
  };
  const QRectF place = QRectF((draw->pt.x - box.left()) * scaleX, (draw->pt.y - box.top()) * scaleY,
                              extent(draw->pixel_width * crop.w, draw->dc->pixel_width) * scaleX,
                              extent(draw->pixel_height * crop.h, draw->dc->pixel_height) * scaleY)
                           .normalized();
  QByteArray element =
      QStringLiteral(
          "<image x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
          "preserveAspectRatio=\"none\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
          "xlink:href=\"data:image/png;base64,")
          .arg(place.x())
          .arg(place.y())
          .arg(place.width())
          .arg(place.height())
          .toUtf8();
  // Straight into the stream: libwmf's printf loses its arguments when a
  // text outgrows its buffer.
  svg->out->sputs(element.data(), svg->out->context);
  wmf_ipa_bmp_b64(api, draw, svg->out);
  svg->out->sputs(const_cast<char*>("\"/>\n"), svg->out->context);
}

// The SVG collects in a QByteArray: libwmf's own memory stream grows 256
// bytes at a time, which copies a large drawing over and over.
struct SvgOutput {
  QByteArray svg;
  bool overflowed = false;
};
int appendSvg(char* text, void* context) {
  auto* output = static_cast<SvgOutput*>(context);
  const qsizetype length = qsizetype(std::strlen(text));
  if (output->svg.size() + length > kMaxSvgBytes) {
    output->overflowed = true;
    return EOF;
  }
  output->svg.append(text, length);
  return 0;
}
int restartSvg(void* context) {
  static_cast<SvgOutput*>(context)->svg.clear();
  return 0;
}

class WmfPlayer {
 public:
  WmfPlayer() = default;
  ~WmfPlayer() {
    if (api_ != nullptr) wmf_api_destroy(api_);
  }
  WmfPlayer(const WmfPlayer&) = delete;
  WmfPlayer& operator=(const WmfPlayer&) = delete;

  // The SVG of `bytes`, drawn so that the layout's window fills its pixels;
  // fills in the layout's size when the file left it to what is drawn.
  std::optional<QByteArray> toSvg(QByteArray& bytes, MetafileLayout& layout, QString* error) {
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api_, flags, &options) != wmf_E_None) {
      *error = tr("无法打开 WMF 图元文件：缺少 libwmf 所需的字体（fonts-urw-base35）。");
      return std::nullopt;
    }
    auto* functions = static_cast<wmfFunctionReference*>(api_->function_reference);
    hooks_.drawText = functions->draw_text;
    hooks_.readBitmap = functions->bmp_read;
    api_->user_data = &hooks_;
    functions->draw_text = drawTextMarker;
    functions->bmp_read = readCheckedBitmap;
    functions->bmp_draw = drawBitmap;
    wmfD_Rect drawn;
    if (wmf_mem_open(api_, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())) !=
            wmf_E_None ||
        wmf_scan(api_, 0, &drawn) != wmf_E_None) {
      *error = damaged(layout.kind, tr("无法读出其中的记录"));
      return std::nullopt;
    }
    if (layout.drawingWindow.isEmpty())
      layout.drawingWindow =
          QRectF(drawn.TL.x, drawn.TL.y, drawn.BR.x - drawn.TL.x, drawn.BR.y - drawn.TL.y);
    if (layout.pixels.isEmpty()) {
      const auto pixels =
          pixelSize(layout.drawingWindow.width(), layout.drawingWindow.height(), error);
      if (!pixels) return std::nullopt;
      layout.pixels = *pixels;
    }
    if (!layout.drawingWindow.isValid()) {
      *error = damaged(layout.kind, tr("没有可用的尺寸"));
      return std::nullopt;
    }

    wmf_svg_t* svg = WMF_SVG_GetData(api_);
    stream_ = wmfStream{&output_, appendSvg, restartSvg};
    svg->out = &stream_;
    svg->Description = description_;
    svg->bbox =
        wmfD_Rect{{float(layout.drawingWindow.left()), float(layout.drawingWindow.top())},
                  {float(layout.drawingWindow.right()), float(layout.drawingWindow.bottom())}};
    svg->width = unsigned(layout.pixels.width());
    svg->height = unsigned(layout.pixels.height());
    svg->flags |= WMF_SVG_INLINE_IMAGES;  // otherwise it writes PNG files beside the input
    const wmf_error_t played = wmf_play(api_, 0, &drawn);
    if (output_.overflowed) {
      *error = tr("图元文件太复杂，无法打开。");
      return std::nullopt;
    }
    if (hooks_.badBitmap) {
      *error = damaged(layout.kind, tr("其中的位图不完整"));
      return std::nullopt;
    }
    if (played != wmf_E_None) {
      *error = damaged(layout.kind, tr("无法画出其中的记录"));
      return std::nullopt;
    }
    return withTexts(output_.svg, hooks_.texts);
  }

 private:
  wmfAPI* api_ = nullptr;
  SvgOutput output_;
  wmfStream stream_{};
  WmfHooks hooks_;
  char description_[1] = {0};
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
  const int converted = emf2svg(bytes.data(), size_t(bytes.size()), &svg, &length, &options);
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

// Qt's rasteriser walks every edge of a shape over all the rows it spans,
// once for each band of rows of the picture it fills: a shape reaching
// millions of pixels past the picture takes minutes to draw. A real drawing
// reaches no further past its picture than the picture's own size, or 32768
// pixels where that is more (text running on); the rest is damage.
constexpr double kMinReachPixels = 32768;

// The picture drawn from the SVG, or a null one with `error` set.
QImage drawSvg(const QByteArray& svg, const QRectF& window, const MetafileLayout& layout,
               QString* error) {
  const QuietQt quiet;
  QSvgRenderer renderer;
  const QSize pixels = layout.pixels;
  const double reach = std::max({double(pixels.width()), double(pixels.height()), kMinReachPixels});
  const double perPixelX = window.width() / pixels.width(),
               perPixelY = window.height() / pixels.height();
  const QRectF allowed =
      window.adjusted(-reach * perPixelX, -reach * perPixelY, reach * perPixelX, reach * perPixelY);
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
  std::optional<QByteArray> svg;
  if (layout.kind == MetafileLayout::Kind::Emf) {
    svg = emfToSvg(bytes, layout, &result.error);
  } else {
    WmfPlayer player;
    svg = player.toSvg(bytes, layout, &result.error);
  }
  if (!svg) return result;
  // libwmf maps the window onto the picture itself; libemf2svg leaves it to us.
  const QRectF window = layout.kind == MetafileLayout::Kind::Emf
                            ? layout.drawingWindow
                            : QRectF(QPointF(0, 0), QSizeF(layout.pixels));
  result.image = drawSvg(*svg, window, layout, &result.error);
  return result;
}
