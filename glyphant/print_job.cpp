#include "glyphant/print_job.h"

#include <QCoreApplication>
#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryDir>
#include <cerrno>
#include <cmath>

#include "common/whole_file.h"
#include "glyphant/pdf_smooth_images.h"
#include "glyphant/pdf_text.h"

#if GLYPHANT_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace print_job {

namespace {

// Marks are hairlines of this width (mm), drawn in the mark band: a gap
// from the picture's edge, then a tick to near the band's outer edge.
constexpr double kMarkPenMm = 0.2;
constexpr double kMarkGapMm = 1.0;
constexpr double kTickMm = poster::kMarkBandMm - kMarkGapMm - 0.5;
constexpr double kLabelPoints = 7.0;

QString text(const char* source) { return QCoreApplication::translate("print_job", source); }

// Millimetres on the paper to the device's pixels, whose origin is the top-left
// corner of the printable area as the device rounds it.
QTransform paperToDevice(const QPageLayout& page, const QPaintDevice& device) {
  const double x = device.logicalDpiX() / poster::kMillimetresPerInch;
  const double y = device.logicalDpiY() / poster::kMillimetresPerInch;
  const QPoint origin = page.paintRectPixels(device.logicalDpiX()).topLeft();
  return QTransform(x, 0, 0, y, -origin.x(), -origin.y());
}

void drawPicturePart(QPainter& painter, const QImage& picture, const poster::Sheet& sheet) {
  // Whole pixels are drawn, placed where they fall on the poster, and cut to
  // the sheet's place: each sheet shows exactly its part, and the pixels at
  // a seam line up with those on the neighbour.
  const QRect pixels = sheet.source.toAlignedRect() & picture.rect();
  const double mmPerPixelX = sheet.place.width() / sheet.source.width();
  const double mmPerPixelY = sheet.place.height() / sheet.source.height();
  const QRectF target(sheet.place.left() + (pixels.left() - sheet.source.left()) * mmPerPixelX,
                      sheet.place.top() + (pixels.top() - sheet.source.top()) * mmPerPixelY,
                      pixels.width() * mmPerPixelX, pixels.height() * mmPerPixelY);
  painter.save();
  painter.setClipRect(sheet.place);
  painter.drawImage(target, picture, QRectF(pixels));
  painter.restore();
}

void drawDrawingsPart(QPainter& painter, const CanvasRecord& drawings, const poster::Sheet& sheet) {
  // The sheet's part of the canvas drawn again at the device's resolution:
  // each canvas pixel's place lands where drawPicturePart puts that pixel,
  // and nothing reaches beyond the sheet's place.
  const double mmPerPixelX = sheet.place.width() / sheet.source.width();
  const double mmPerPixelY = sheet.place.height() / sheet.source.height();
  painter.save();
  painter.setClipRect(sheet.place);
  painter.translate(sheet.place.left() - sheet.source.left() * mmPerPixelX,
                    sheet.place.top() - sheet.source.top() * mmPerPixelY);
  painter.scale(mmPerPixelX, mmPerPixelY);
  drawings.paint(painter);
  painter.restore();
}

// A tick in the mark band, continuing the line through `from` away from the
// picture in direction `dir` (a unit step).
void tick(QPainter& painter, QPointF from, QPointF dir) {
  painter.drawLine(from + dir * kMarkGapMm, from + dir * (kMarkGapMm + kTickMm));
}

// A line across the picture that shows on any colour: black dashes on white.
// It runs from `a` to `b` along the neighbour's picture edge and lies wholly
// on the side `inward` (a unit step), which the neighbour covers: once that
// sheet's edge is laid on the line's outer edge nothing of it shows.
void alignmentLine(QPainter& painter, QPointF a, QPointF b, QPointF inward) {
  const QPointF centre = inward * kMarkPenMm;
  painter.save();
  painter.setPen(QPen(Qt::white, 2 * kMarkPenMm, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(a + centre, b + centre);
  QPen dashes(Qt::black, kMarkPenMm, Qt::CustomDashLine, Qt::FlatCap);
  dashes.setDashPattern({8, 8});  // 1.6 mm dashes
  painter.setPen(dashes);
  painter.drawLine(a + centre, b + centre);
  painter.restore();
}

void drawMarks(QPainter& painter, const poster::Layout& layout, const poster::Sheet& sheet) {
  const QRectF& p = sheet.place;
  const QPointF up(0, -1), down(0, 1), left(-1, 0), right(1, 0);
  painter.save();
  painter.setPen(QPen(Qt::black, kMarkPenMm, Qt::SolidLine, Qt::FlatCap));
  // This sheet is laid over its left and upper neighbours: cut along the
  // picture's edge there.
  if (sheet.column > 0) {
    tick(painter, p.topLeft(), up);
    tick(painter, p.bottomLeft(), down);
  }
  if (sheet.row > 0) {
    tick(painter, p.topLeft(), left);
    tick(painter, p.topRight(), right);
  }
  // The right and lower neighbours are laid over this sheet: their picture
  // starts at the line drawn here, inside the overlap.
  const auto& sheets = layout.sheets;
  const std::size_t index = std::size_t(sheet.row * layout.columns + sheet.column);
  if (sheet.column + 1 < layout.columns) {
    const poster::Sheet& next = sheets[index + 1];
    const double x =
        p.left() + (next.source.left() - sheet.source.left()) * (p.width() / sheet.source.width());
    tick(painter, QPointF(x, p.top()), up);
    tick(painter, QPointF(x, p.bottom()), down);
    alignmentLine(painter, QPointF(x, p.top()), QPointF(x, p.bottom()), right);
  }
  if (sheet.row + 1 < layout.rows) {
    const poster::Sheet& next = sheets[index + std::size_t(layout.columns)];
    const double y =
        p.top() + (next.source.top() - sheet.source.top()) * (p.height() / sheet.source.height());
    tick(painter, QPointF(p.left(), y), left);
    tick(painter, QPointF(p.right(), y), right);
    alignmentLine(painter, QPointF(p.left(), y), QPointF(p.right(), y), down);
  }
  painter.restore();
}

void drawLabel(QPainter& painter, const poster::Layout& layout, const poster::Sheet& sheet) {
  const QString label = text("第 %1 行，第 %2 列（共 %3 行 × %4 列）")
                            .arg(sheet.row + 1)
                            .arg(sheet.column + 1)
                            .arg(layout.rows)
                            .arg(layout.columns);
  // Centred under the picture, in the band, wide enough for the text even
  // under a narrow last column.
  const QRectF& p = sheet.place;
  const QRectF box(p.center().x() - 60, p.bottom() + kMarkGapMm, 120,
                   poster::kMarkBandMm - kMarkGapMm);
  // Drawn in device pixels so that the font keeps its size in points.
  const QRectF deviceBox = painter.transform().mapRect(box);
  painter.save();
  painter.setTransform(QTransform());
  QFont font = painter.font();
  font.setPointSizeF(kLabelPoints);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(deviceBox, Qt::AlignHCenter | Qt::AlignTop, label);
  painter.restore();
}

Result failed(const QString& why) { return {Outcome::Failed, why}; }

// Every sheet onto `device`, one page each; false when `carryOn` stopped it.
bool paintAll(QPainter& painter, QPagedPaintDevice& device, const PrintSource& source,
              const poster::Layout& layout, const CarryOn& carryOn) {
  const int total = int(layout.sheets.size());
  for (int i = 0; i < total; ++i) {
    if (!carryOn(i, total)) return false;
    if (i > 0) device.newPage();
    paintSheet(painter, device.pageLayout(), source, layout, layout.sheets[std::size_t(i)]);
  }
  return carryOn(total, total);
}

// The sheets as PDF into `out`, laid out as `printer` is.
Result writePdf(QIODevice& out, const QPrinter& printer, const PrintSource& source,
                const poster::Layout& layout, const CarryOn& carryOn) {
  PdfTextRepair repaired(out);
  // Pictures drawn again are smoothed as the printer enlarges them; the
  // canvas's own pixels are printed as they are.
  PdfSmoothImages smoothed(repaired);
  QPdfWriter writer(source.drawn() ? static_cast<QIODevice*>(&smoothed) : &repaired);
  writer.setPageLayout(printer.pageLayout());
  writer.setResolution(printer.resolution());
  writer.setTitle(printer.docName());
  writer.setCreator(printer.creator());
  QPainter painter;
  if (!painter.begin(&writer)) return failed(out.errorString());
  const bool finished = paintAll(painter, writer, source, layout, carryOn);
  painter.end();
  return {finished ? Outcome::Printed : Outcome::Cancelled, QString()};
}

Result printToFile(QPrinter& printer, const PrintSource& source, const poster::Layout& layout,
                   const CarryOn& carryOn) {
  const QString name = printer.outputFileName();
  if (name.isEmpty()) return failed(text("没有选择打印机，也没有选择输出文件。"));
  // Qt's writer goes on when a write fails: the file notes it and keeps the
  // older one.
  WholeFile file(name);
  if (!file.open()) return failed(text("无法写入“%1”：\n%2").arg(name, file.reason()));
  const Result result = writePdf(file, printer, source, layout, carryOn);
  if (result.outcome != Outcome::Printed) {
    file.cancelWriting();
    return result;
  }
  if (!file.commit()) return failed(text("无法写入“%1”：\n%2").arg(name, file.reason()));
  return result;
}

#if GLYPHANT_HAVE_CUPS
Result submit(const QPrinter& printer, const QString& spool) {
  // The print dialog keeps its further options as name, value pairs under
  // this key of the CUPS print engine.
  constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
  auto options =
      queueOptions(printer.pageLayout(), printer.copyCount(), printer.collateCopies(),
                   printer.duplex(), printer.printEngine()->property(kCupsOptions).toStringList());
  std::vector<cups_option_t> list;
  for (auto& [key, value] : options) list.push_back({key.data(), value.data()});
  // A queue's instance ("queue/instance") only chooses its saved options.
  const QByteArray queue = printer.printerName().section('/', 0, 0).toUtf8();
  const int job =
      cupsPrintFile(queue.constData(), QFile::encodeName(spool).constData(),
                    printer.docName().toUtf8().constData(), int(list.size()), list.data());
  if (job == 0)
    return failed(text("打印机“%1”没有接受打印任务：\n%2")
                      .arg(printer.printerName(), QString::fromUtf8(cupsLastErrorString())));
  return {Outcome::Printed, QString()};
}

Result printToQueue(QPrinter& printer, const PrintSource& source, const poster::Layout& layout,
                    const CarryOn& carryOn) {
  // The whole job is made in a spool file first and handed to the queue
  // only when complete: a cancel never prints part of a poster, nor does a
  // full disk.
  QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/glyphant-print-XXXXXX"));
  const auto cannotSpool = [](const QString& why) {
    return failed(text("无法建立打印缓存文件：\n%1").arg(why));
  };
  if (!folder.isValid())
    return cannotSpool(writeFailureCause(errno, QDir::temp().filePath(QStringLiteral("x"))));
  WholeFile spool(folder.filePath(QStringLiteral("poster.pdf")));
  if (!spool.open()) return cannotSpool(spool.reason());
  const Result made = writePdf(spool, printer, source, layout, carryOn);
  if (made.outcome != Outcome::Printed) return made;
  if (!spool.commit()) return cannotSpool(spool.reason());
  return submit(printer, spool.fileName());
}
#else
Result printToQueue(QPrinter& printer, const PrintSource& source, const poster::Layout& layout,
                    const CarryOn& carryOn) {
  QPainter painter;
  if (!painter.begin(&printer)) return failed(text("无法开始打印。"));
  const bool finished = paintAll(painter, printer, source, layout, carryOn);
  if (!finished) printer.abort();
  painter.end();
  return {finished ? Outcome::Printed : Outcome::Cancelled, QString()};
}
#endif

}  // namespace

QRectF printableMm(const QPageLayout& page) { return page.paintRect(QPageLayout::Millimeter); }

std::vector<std::pair<QByteArray, QByteArray>> queueOptions(const QPageLayout& page, int copies,
                                                            bool collate,
                                                            QPrinter::DuplexMode duplex,
                                                            const QStringList& dialogOptions) {
  std::vector<std::pair<QByteArray, QByteArray>> options;
  options.emplace_back("media", page.pageSize().key().toUtf8());
  if (copies > 1) {
    options.emplace_back("copies", QByteArray::number(copies));
    if (collate) options.emplace_back("Collate", "True");
  }
  const bool portrait = page.orientation() == QPageLayout::Portrait;
  switch (duplex) {
    case QPrinter::DuplexNone:
      options.emplace_back("sides", "one-sided");
      break;
    case QPrinter::DuplexAuto:
      options.emplace_back("sides", portrait ? "two-sided-long-edge" : "two-sided-short-edge");
      break;
    case QPrinter::DuplexLongSide:
      options.emplace_back("sides", "two-sided-long-edge");
      break;
    case QPrinter::DuplexShortSide:
      options.emplace_back("sides", "two-sided-short-edge");
      break;
  }
  if (!portrait) options.emplace_back("landscape", "");
  for (qsizetype i = 0; i + 1 < dialogOptions.size(); i += 2)
    options.emplace_back(dialogOptions[i].toUtf8(), dialogOptions[i + 1].toUtf8());
  return options;
}

poster::Layout layoutFor(QSize picture, const PrintSettings& settings, const QPageLayout& page) {
  const QRectF printable = printableMm(page);
  if (settings.mode == PrintSettings::Mode::OneSheet) return poster::oneSheet(picture, printable);
  QSizeF size;
  switch (settings.size) {
    case PrintSettings::Size::TrueSize:
      size = poster::trueSizeMm(picture);
      break;
    case PrintSettings::Size::WidthCm:
      size = poster::sizeForWidthMm(picture, settings.widthCm * 10);
      break;
    case PrintSettings::Size::SheetsAcross:
      size = poster::sizeForSheetsAcross(picture, settings.sheetsAcross, printable,
                                         settings.overlapMm);
      break;
    case PrintSettings::Size::SheetsDown:
      size = poster::sizeForSheetsDown(picture, settings.sheetsDown, printable, settings.overlapMm);
      break;
    case PrintSettings::Size::SheetsFit:
      size = poster::sizeForSheets(picture, settings.sheetsAcross, settings.sheetsDown, printable,
                                   settings.overlapMm);
      break;
    case PrintSettings::Size::Percent:
      size = poster::sizeForPercent(picture, settings.percent);
      break;
  }
  return poster::posterSheets(picture, size, printable, settings.overlapMm, settings.centred);
}

void paintSheet(QPainter& painter, const QPageLayout& page, const PrintSource& source,
                const poster::Layout& layout, const poster::Sheet& sheet) {
  painter.save();
  painter.setTransform(paperToDevice(page, *painter.device()));
  // Pictures without lossy compression.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  if (source.drawn()) {
    drawDrawingsPart(painter, source.drawings, sheet);
  } else {
    // The canvas's pixels as they are: not smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    drawPicturePart(painter, source.pixels, sheet);
  }
  if (layout.poster) {
    painter.setRenderHint(QPainter::Antialiasing);
    drawMarks(painter, layout, sheet);
    drawLabel(painter, layout, sheet);
  }
  painter.restore();
}

Result print(QPrinter& printer, const PrintSource& source, const poster::Layout& layout,
             const CarryOn& carryOn) {
  if (layout.sheets.empty() || source.pixels.isNull()) return failed(text("没有可打印的内容。"));
  if (printer.outputFormat() == QPrinter::PdfFormat)
    return printToFile(printer, source, layout, carryOn);
  if (printer.printerName().isEmpty() || !printer.isValid())
    return failed(text("没有可用的打印机。"));
  return printToQueue(printer, source, layout, carryOn);
}

}  // namespace print_job
