#include "common/wmf_painter.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>
}

#include "common/little_endian.h"

namespace {

QString tr(const char* text) { return QCoreApplication::translate("MetafileLoader", text); }

QString damaged(const QString& reason) {
  return tr("%1 图元文件已损坏：%2。").arg(QStringLiteral("WMF"), reason);
}

using little_endian::s32;
using little_endian::u16;
using little_endian::u32;

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

// The code page of a font's Windows character set.
const char* codePage(int charset) {
  static const QHash<int, const char*> codePages = {
      {128, "Shift_JIS"},    {129, "windows-949"},  {134, "GBK"},          {136, "Big5"},
      {161, "windows-1253"}, {162, "windows-1254"}, {177, "windows-1255"}, {178, "windows-1256"},
      {186, "windows-1257"}, {204, "windows-1251"}, {222, "windows-874"},  {238, "windows-1250"}};
  return codePages.value(charset, "windows-1252");
}

QColor colour(const wmfRGB* rgb) { return QColor(rgb->r, rgb->g, rgb->b); }
QPointF point(const wmfD_Coord& p) { return QPointF(p.x, p.y); }

// What the device draws on, and what it found on the way; the API's user
// data points here.
struct Canvas {
  QPainter* painter = nullptr;
  double pixelsPerUnit = 1;      // the smaller scale of the device units onto pixels
  double textPixelsPerUnit = 1;  // the vertical one
  bool badBitmap = false;
  // libwmf hands over a text with character positions one byte at a time, so
  // a double-byte character comes in two calls: the decoder keeps the first
  // byte, and the character is drawn where that byte was to go.
  std::unique_ptr<QStringDecoder> decoder;
  int decoderCharset = -1;
  std::optional<QPointF> pendingAt;
};

Canvas& canvas(wmfAPI* api) { return *static_cast<Canvas*>(api->user_data); }

// A part of libwmf's bitmap as a Qt picture; libwmf counts its rows from the bottom up.
QImage imageOf(wmfAPI* api, wmfBMP bmp, int x, int y, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  for (int row = 0; row < height; ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    for (int column = 0; column < width; ++column) {
      wmfRGB rgb;
      wmf_ipa_bmp_color(api, &bmp, &rgb, unsigned(x + column), unsigned(y + height - 1 - row));
      line[column] = qRgb(rgb.r, rgb.g, rgb.b);
    }
  }
  return image;
}

// The brush of the device context; background-mode gaps of a hatch come from `gaps`.
QBrush brushOf(wmfAPI* api, wmfDC* dc, QBrush* gaps) {
  const wmfBrush* brush = WMF_DC_BRUSH(dc);
  *gaps = Qt::NoBrush;
  if (brush == nullptr || WMF_BRUSH_STYLE(brush) == BS_NULL) return Qt::NoBrush;
  const QColor ink = colour(WMF_BRUSH_COLOR(brush));
  if (WMF_BRUSH_STYLE(brush) == BS_HATCHED) {
    static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                             Qt::FDiagPattern, Qt::BDiagPattern,
                                             Qt::CrossPattern, Qt::DiagCrossPattern};
    if (WMF_DC_OPAQUE(dc)) *gaps = colour(WMF_DC_BACKGROUND(dc));
    return QBrush(ink, hatches[std::min<int>(WMF_BRUSH_HATCH(brush), 5)]);
  }
  const wmfBMP& pattern = brush->bmp;
  if (WMF_BRUSH_STYLE(brush) == BS_DIBPATTERN && pattern.data != nullptr) {
    // A pattern's pixels are the picture's, whatever the scale of the drawing.
    QBrush tiles(imageOf(api, pattern, 0, 0, pattern.width, pattern.height));
    const QTransform& scale = canvas(api).painter->transform();
    tiles.setTransform(QTransform::fromScale(1 / scale.m11(), 1 / scale.m22()));
    return tiles;
  }
  return ink;  // solid, and what we do not know as solid in its colour
}

// The pen of the device context; background-mode gaps of a styled pen come from `gaps`.
QPen penOf(const Canvas& canvas, wmfDC* dc, QPen* gaps) {
  const wmfPen* pen = WMF_DC_PEN(dc);
  *gaps = Qt::NoPen;
  if (pen == nullptr || WMF_PEN_STYLE(pen) == PS_NULL) return Qt::NoPen;
  QPen result(colour(WMF_PEN_COLOR(pen)));
  // Windows draws no line thinner than a pixel: a cosmetic pen is one pixel wide.
  const double width = (std::abs(WMF_PEN_WIDTH(pen)) + std::abs(WMF_PEN_HEIGHT(pen))) / 2;
  result.setWidthF(width * canvas.pixelsPerUnit < 1 ? 0 : width);
  switch (WMF_PEN_ENDCAP(pen)) {
    case PS_ENDCAP_SQUARE:
      result.setCapStyle(Qt::SquareCap);
      break;
    case PS_ENDCAP_FLAT:
      result.setCapStyle(Qt::FlatCap);
      break;
    default:
      result.setCapStyle(Qt::RoundCap);
  }
  switch (WMF_PEN_JOIN(pen)) {
    case PS_JOIN_BEVEL:
      result.setJoinStyle(Qt::BevelJoin);
      break;
    case PS_JOIN_MITER:
      result.setJoinStyle(Qt::MiterJoin);
      break;
    default:
      result.setJoinStyle(Qt::RoundJoin);
  }
  switch (WMF_PEN_STYLE(pen)) {
    case PS_DASH:
      result.setStyle(Qt::DashLine);
      break;
    case PS_DOT:
    case PS_ALTERNATE:
      result.setStyle(Qt::DotLine);
      break;
    case PS_DASHDOT:
      result.setStyle(Qt::DashDotLine);
      break;
    case PS_DASHDOTDOT:
      result.setStyle(Qt::DashDotDotLine);
      break;
    default:
      return result;
  }
  if (WMF_DC_OPAQUE(dc)) {
    *gaps = result;
    gaps->setStyle(Qt::SolidLine);
    gaps->setColor(colour(WMF_DC_BACKGROUND(dc)));
  }
  return result;
}

// Fills the shape with the brush (unless `open`) and outlines it with the
// pen, as Windows does. The background mode concerns only the gaps of hatches
// and styled pens, never a solid fill.
void draw(wmfAPI* api, wmfDC* dc, QPainterPath path, bool open = false) {
  Canvas& c = canvas(api);
  path.setFillRule(WMF_DC_POLYFILL(dc) == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  QBrush gapsBrush;
  QPen gapsPen;
  const QBrush brush = open ? QBrush() : brushOf(api, dc, &gapsBrush);
  const QPen pen = penOf(c, dc, &gapsPen);
  if (gapsBrush.style() != Qt::NoBrush) c.painter->fillPath(path, gapsBrush);
  if (brush.style() != Qt::NoBrush) c.painter->fillPath(path, brush);
  if (gapsPen.style() != Qt::NoPen) c.painter->strokePath(path, gapsPen);
  if (pen.style() != Qt::NoPen) c.painter->strokePath(path, pen);
}

QPainterPath polygon(const wmfD_Coord* points, int count, bool close) {
  QPainterPath path;
  if (count <= 0) return path;
  path.moveTo(point(points[0]));
  for (int i = 1; i < count; ++i) path.lineTo(point(points[i]));
  if (close) path.closeSubpath();
  return path;
}

void drawLine(wmfAPI* api, wmfDrawLine_t* line) {
  QPainterPath path(point(line->from));
  path.lineTo(point(line->to));
  draw(api, line->dc, path, true);
}
void polyLine(wmfAPI* api, wmfPolyLine_t* line) {
  draw(api, line->dc, polygon(line->pt, line->count, false), true);
}
void drawPolygon(wmfAPI* api, wmfPolyLine_t* line) {
  draw(api, line->dc, polygon(line->pt, line->count, true));
}
void drawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* poly) {
  QPainterPath path;
  for (int i = 0; i < poly->npoly; ++i) path.addPath(polygon(poly->pt[i], poly->count[i], true));
  draw(api, poly->dc, path);
}
void drawRectangle(wmfAPI* api, wmfDrawRectangle_t* rect) {
  QPainterPath path;
  const QRectF box = QRectF(point(rect->TL), point(rect->BR)).normalized();
  if (rect->width > 0 && rect->height > 0)
    path.addRoundedRect(box, rect->width / 2, rect->height / 2);
  else
    path.addRect(box);
  draw(api, rect->dc, path);
}
void drawEllipse(wmfAPI* api, wmfDrawArc_t* arc) {
  QPainterPath path;
  path.addEllipse(QRectF(point(arc->TL), point(arc->BR)).normalized());
  draw(api, arc->dc, path);
}

// An arc from `start` to `end` round the ellipse, counterclockwise in the
// metafile's own coordinates: clockwise on the picture when its window turns
// one axis over.
enum class ArcKind { Open, Chord, Pie };
void drawArc(wmfAPI* api, wmfDrawArc_t* arc, ArcKind kind) {
  const QRectF box = QRectF(point(arc->TL), point(arc->BR)).normalized();
  if (box.width() <= 0 || box.height() <= 0) return;
  const QPointF centre = box.center();
  const auto angle = [&](const wmfD_Coord& p) {
    return std::atan2(-(p.y - centre.y()) / box.height(), (p.x - centre.x()) / box.width()) * 180 /
           M_PI;
  };
  const double from = angle(arc->start);
  double sweep = std::fmod(angle(arc->end) - from + 720, 360);
  if (sweep == 0) sweep = 360;
  if (arc->dc->pixel_width * arc->dc->pixel_height < 0) sweep -= 360;
  QPainterPath path;
  path.arcMoveTo(box, from);
  if (kind == ArcKind::Pie) {
    const QPointF start = path.currentPosition();
    path = QPainterPath(centre);
    path.lineTo(start);
  }
  path.arcTo(box, from, sweep);
  if (kind != ArcKind::Open) path.closeSubpath();
  draw(api, arc->dc, path, kind == ArcKind::Open);
}
void drawOpenArc(wmfAPI* api, wmfDrawArc_t* arc) { drawArc(api, arc, ArcKind::Open); }
void drawChord(wmfAPI* api, wmfDrawArc_t* arc) { drawArc(api, arc, ArcKind::Chord); }
void drawPie(wmfAPI* api, wmfDrawArc_t* arc) { drawArc(api, arc, ArcKind::Pie); }

void drawPixel(wmfAPI* api, wmfDrawPixel_t* pixel) {
  canvas(api).painter->fillRect(
      QRectF(point(pixel->pt), QSizeF(pixel->pixel_width, pixel->pixel_height)).normalized(),
      colour(&pixel->color));
}

// Rectangles filled with a pattern or a colour (PATBLT); other raster operations draw nothing.
void ropDraw(wmfAPI* api, wmfROP_Draw_t* rop) {
  const QRectF box = QRectF(point(rop->TL), point(rop->BR)).normalized();
  QBrush gaps;
  const QBrush brush = rop->ROP == PATCOPY     ? brushOf(api, rop->dc, &gaps)
                       : rop->ROP == BLACKNESS ? QBrush(Qt::black)
                       : rop->ROP == WHITENESS ? QBrush(Qt::white)
                                               : QBrush();
  if (brush.style() != Qt::NoBrush) canvas(api).painter->fillRect(box, brush);
}

void regionPaint(wmfAPI* api, wmfPolyRectangle_t* rects) {
  QPainterPath path;
  for (unsigned i = 0; i < rects->count; ++i)
    path.addRect(QRectF(point(rects->TL[i]), point(rects->BR[i])).normalized());
  QBrush gaps;
  canvas(api).painter->fillPath(path, brushOf(api, rects->dc, &gaps));
}

void regionFrame(wmfAPI* api, wmfPolyRectangle_t* rects) {
  QPainterPath path;
  for (unsigned i = 0; i < rects->count; ++i)
    path.addRect(QRectF(point(rects->TL[i]), point(rects->BR[i])).normalized());
  QBrush gaps;
  canvas(api).painter->strokePath(
      path, QPen(brushOf(api, rects->dc, &gaps), (rects->width + rects->height) / 2));
}

// The clip region libwmf keeps: no rectangles means none.
void regionClip(wmfAPI* api, wmfPolyRectangle_t* rects) {
  QPainter* painter = canvas(api).painter;
  if (rects->count == 0) {
    painter->setClipping(false);
    return;
  }
  QPainterPath path;
  for (unsigned i = 0; i < rects->count; ++i)
    path.addRect(QRectF(point(rects->TL[i]), point(rects->BR[i])).normalized());
  painter->setClipPath(path);
}

// libwmf decodes a bitmap by what its header says, reading and allocating
// past what the record holds: a bitmap that does not fit is never handed on.
void readBitmap(wmfAPI* api, wmfBMP_Read_t* read) {
  if (!dibFits(read->buffer, read->length, read->width, read->height)) {
    read->bmp = wmfBMP{0, 0, nullptr};
    canvas(api).badBitmap = true;
    return;
  }
  QByteArray runs = withoutRowEndBeforeBitmapEnd(read->buffer, read->length);
  unsigned char* const record = read->buffer;
  if (!runs.isEmpty()) read->buffer = reinterpret_cast<unsigned char*>(runs.data());
  wmf_ipa_bmp_read(api, read);
  read->buffer = record;
}

void freeBitmap(wmfAPI* api, wmfBMP* bmp) { wmf_ipa_bmp_free(api, bmp); }

void drawBitmap(wmfAPI* api, wmfBMP_Draw_t* draw) {
  const auto& crop = draw->crop;
  if (draw->bmp.data == nullptr || draw->dc == nullptr || crop.w == 0 || crop.h == 0 ||
      crop.x + crop.w > draw->bmp.width || crop.y + crop.h > draw->bmp.height) {
    canvas(api).badBitmap = true;
    return;
  }
  // libwmf reads the record's extent as unsigned 16-bit numbers and drops the
  // sign of the mapping (`perUnit`, device units per logical unit): a bitmap
  // mirrored by an extent of -24 units would be drawn 65512 units long.
  const auto extent = [](double size, double perUnit) {
    const double units = perUnit != 0 ? std::round(size / std::abs(perUnit)) : 0;
    return (units >= 32768 ? units - 65536 : units) * perUnit;
  };
  const QRectF place(point(draw->pt),
                     QSizeF(extent(draw->pixel_width * crop.w, draw->dc->pixel_width),
                            extent(draw->pixel_height * crop.h, draw->dc->pixel_height)));
  const QImage image = imageOf(api, draw->bmp, crop.x, crop.y, crop.w, crop.h)
                           .mirrored(place.width() < 0, place.height() < 0);
  canvas(api).painter->drawImage(place.normalized(), image);
}

// A text at its reference point, which libwmf has moved to the baseline by a
// guess: a font's height below a top, a third of it above a bottom. Here the
// font's own ascent and descent place it.
void drawText(wmfAPI* api, wmfDrawText_t* text) {
  Canvas& c = canvas(api);
  const wmfFont* font = WMF_DC_FONT(text->dc);
  if (font == nullptr || text->str == nullptr) return;
  const int charset = WMF_FONT_CHARSET(font);
  if (charset != c.decoderCharset) {
    c.decoder = std::make_unique<QStringDecoder>(codePage(charset));
    c.decoderCharset = charset;
    c.pendingAt.reset();
  }
  QPointF at = point(text->pt);
  QString letters = c.decoder->isValid() ? c.decoder->decode(QByteArrayView(text->str)) : QString();
  if (!c.decoder->isValid() || c.decoder->hasError()) letters = QString::fromLatin1(text->str);
  if (letters.isEmpty()) {  // the first byte of a double-byte character
    if (!c.pendingAt) c.pendingAt = at;
    return;
  }
  if (c.pendingAt) at = *std::exchange(c.pendingAt, std::nullopt);
  const double height = text->font_height * c.textPixelsPerUnit;  // in pixels
  if (!(height >= 1) || height > 1e5) return;                     // too small to see, or damage

  QStringDecoder nameDecoder(codePage(charset));
  QFont qfont(nameDecoder.isValid() ? nameDecoder.decode(QByteArrayView(WMF_FONT_NAME(font)))
                                    : QString::fromLatin1(WMF_FONT_NAME(font)));
  qfont.setPixelSize(std::max(1, qRound(height)));
  const int weight = WMF_FONT_WEIGHT(font);  // 0: the font's own, as a rule normal
  qfont.setWeight(QFont::Weight(weight == 0 ? 400 : std::clamp(weight, 1, 1000)));
  qfont.setItalic(WMF_FONT_ITALIC(font) != 0);
  qfont.setUnderline(WMF_TEXT_UNDERLINE(font) != 0);
  qfont.setStrikeOut(WMF_TEXT_STRIKEOUT(font) != 0);
  const QFontMetricsF metrics(qfont);
  const double unitsPerPixel = 1 / c.textPixelsPerUnit;
  const double angle = WMF_TEXT_ANGLE(font);
  const int align = WMF_DC_TEXTALIGN(text->dc);
  // libwmf's shift to the baseline, undone and done again by the font's metrics.
  const double down = (align & TA_BASELINE) == TA_BASELINE ? 0
                      : (align & TA_BOTTOM)
                          ? text->font_height / 3 - metrics.descent() * unitsPerPixel
                          : metrics.ascent() * unitsPerPixel - text->font_height;
  at += QPointF(-down * std::sin(angle), down * std::cos(angle));

  QPainter* painter = c.painter;
  painter->save();
  const QPointF onPicture = painter->transform().map(at);
  painter->resetTransform();
  painter->translate(onPicture);
  painter->rotate(-angle * 180 / M_PI);
  painter->setFont(qfont);
  if (WMF_DC_OPAQUE(text->dc))
    painter->fillRect(
        QRectF(0, -metrics.ascent(), metrics.horizontalAdvance(letters), metrics.height()),
        colour(WMF_DC_BACKGROUND(text->dc)));
  painter->setPen(colour(WMF_DC_TEXTCOLOR(text->dc)));
  painter->drawText(QPointF(0, 0), letters);
  painter->restore();
}

// The device layer: libwmf's player calls these with coordinates in its
// device units, which the painter's transform maps onto the picture.
void setUpDevice(wmfAPI* api) {
  auto* functions = static_cast<wmfFunctionReference*>(api->function_reference);
  *functions = wmfFunctionReference{};  // nothing to open, begin, end or flood
  functions->draw_pixel = drawPixel;
  functions->draw_pie = drawPie;
  functions->draw_chord = drawChord;
  functions->draw_arc = drawOpenArc;
  functions->draw_ellipse = drawEllipse;
  functions->draw_line = drawLine;
  functions->poly_line = polyLine;
  functions->draw_polygon = drawPolygon;
  functions->draw_polypolygon = drawPolyPolygon;
  functions->draw_rectangle = drawRectangle;
  functions->rop_draw = ropDraw;
  functions->bmp_draw = drawBitmap;
  functions->bmp_read = readBitmap;
  functions->bmp_free = freeBitmap;
  functions->draw_text = drawText;
  functions->region_frame = regionFrame;
  functions->region_paint = regionPaint;
  functions->region_clip = regionClip;
}

// libwmf's player while it lives.
struct Player {
  Player() = default;
  ~Player() {
    if (api != nullptr) wmf_api_destroy(api);
  }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;
  wmfAPI* api = nullptr;
};

std::optional<QSize> sizeFor(const QRectF& window, QString* error) {
  const double w = std::max(1.0, std::round(window.width())),
               h = std::max(1.0, std::round(window.height()));
  if (!(w * h * 4 <= double(kMaxPictureBytes))) {
    *error = tr("图片太大（%1 × %2 像素），内存容纳不下。").arg(w, 0, 'f', 0).arg(h, 0, 'f', 0);
    return std::nullopt;
  }
  return QSize(int(w), int(h));
}

}  // namespace

QRectF metafileReach(const QRectF& window, QSize pixels) {
  const double reach =
      std::max({double(pixels.width()), double(pixels.height()), kMinMetafileReachPixels});
  const double perPixelX = window.width() / pixels.width(),
               perPixelY = window.height() / pixels.height();
  return window.adjusted(-reach * perPixelX, -reach * perPixelY, reach * perPixelX,
                         reach * perPixelY);
}

QImage paintWmf(QByteArray& bytes, MetafileLayout& layout, QString* error) {
  Player player;
  wmfAPI_Options options{};
  options.function = setUpDevice;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf_api_create(&player.api, flags, &options) != wmf_E_None) {
    *error = tr("无法打开 WMF 图元文件：缺少 libwmf 所需的字体（fonts-urw-base35）。");
    return QImage();
  }
  wmfAPI* const api = player.api;
  Canvas canvas;
  api->user_data = &canvas;
  wmfD_Rect drawn;
  if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())) !=
          wmf_E_None ||
      wmf_scan(api, 0, &drawn) != wmf_E_None) {
    *error = damaged(tr("无法读出其中的记录"));
    return QImage();
  }
  const QRectF extent = QRectF(point(drawn.TL), point(drawn.BR)).normalized();
  if (layout.drawingWindow.isEmpty()) layout.drawingWindow = extent;
  if (layout.pixels.isEmpty()) {
    const auto pixels = sizeFor(layout.drawingWindow, error);
    if (!pixels) return QImage();
    layout.pixels = *pixels;
  }
  const QRectF window = layout.drawingWindow;
  if (!window.isValid()) {
    *error = damaged(tr("没有可用的尺寸"));
    return QImage();
  }
  const QSize pixels = layout.pixels;
  const double perPixelX = window.width() / pixels.width(),
               perPixelY = window.height() / pixels.height();
  if (!extent.isNull() && !metafileReach(window, pixels).contains(extent)) {
    *error = damaged(tr("其中的图形远远超出图片"));
    return QImage();
  }

  // Transparent where nothing is drawn: the picture box shows its background there.
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) {
    *error = tr("内存不足，无法打开这张图片。");
    return image;
  }
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  painter.scale(1 / perPixelX, 1 / perPixelY);
  painter.translate(-window.topLeft());
  canvas.painter = &painter;
  canvas.pixelsPerUnit = std::min(1 / perPixelX, 1 / perPixelY);
  canvas.textPixelsPerUnit = 1 / perPixelY;
  const wmf_error_t played = wmf_play(api, 0, &drawn);
  painter.end();
  if (canvas.badBitmap) {
    *error = damaged(tr("其中的位图不完整"));
    return QImage();
  }
  if (played != wmf_E_None) {
    *error = damaged(tr("无法画出其中的记录"));
    return QImage();
  }
  return image;
}
