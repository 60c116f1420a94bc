#include "glyphant/print_memory.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>

namespace print_memory {

namespace {

// Named here rather than taken from the application, so that every program
// that prints for Glyphant (and its tests) reads the same file.
QSettings store() { return QSettings(QStringLiteral("picture-tools"), QStringLiteral("Glyphant")); }

// A paper by its key ("A4", "Letter"), as the settings file names it.
QPageSize paperFromKey(const QString& key) {
  for (int id = 0; id <= int(QPageSize::LastPageSize); ++id)
    if (id != QPageSize::Custom && QPageSize::key(QPageSize::PageSizeId(id)) == key)
      return QPageSize(QPageSize::PageSizeId(id));
  return QPageSize();
}

}  // namespace

void restorePrinter(QPrinter& printer) {
  QSettings settings = store();
  settings.beginGroup(QStringLiteral("print"));
  const QString queue = settings.value(QStringLiteral("printer")).toString();
  if (!queue.isEmpty() && !QPrinterInfo::printerInfo(queue).isNull()) printer.setPrinterName(queue);
  const QPageSize paper = paperFromKey(settings.value(QStringLiteral("paper")).toString());
  if (paper.isValid()) printer.setPageSize(paper);
  const QString orientation = settings.value(QStringLiteral("orientation")).toString();
  if (!orientation.isEmpty())
    printer.setPageOrientation(orientation == QLatin1String("landscape") ? QPageLayout::Landscape
                                                                         : QPageLayout::Portrait);
  // Left, top, right, bottom in millimetres; a printer that needs wider ones keeps its own.
  const QStringList sides = settings.value(QStringLiteral("marginsMm")).toString().split(' ');
  if (sides.size() == 4)
    printer.setPageMargins(QMarginsF(sides[0].toDouble(), sides[1].toDouble(), sides[2].toDouble(),
                                     sides[3].toDouble()),
                           QPageLayout::Millimeter);
}

PrintSettings restoreChoices(const PrintSettings& fallback) {
  QSettings settings = store();
  settings.beginGroup(QStringLiteral("print"));
  PrintSettings chosen = fallback;
  const auto number = [&](const char* key, double value) {
    return settings.value(QLatin1String(key), value).toDouble();
  };
  if (settings.value(QStringLiteral("mode")).toString() == QLatin1String("poster"))
    chosen.mode = PrintSettings::Mode::Poster;
  const int size = settings.value(QStringLiteral("size"), int(fallback.size)).toInt();
  if (size >= 0 && size <= int(PrintSettings::Size::Last)) chosen.size = PrintSettings::Size(size);
  chosen.widthCm = number("widthCm", fallback.widthCm);
  chosen.sheetsAcross = int(number("sheetsAcross", fallback.sheetsAcross));
  chosen.sheetsDown = int(number("sheetsDown", fallback.sheetsDown));
  chosen.percent = number("percent", fallback.percent);
  chosen.overlapMm = number("overlapMm", fallback.overlapMm);
  chosen.centred = settings.value(QStringLiteral("centred"), fallback.centred).toBool();
  return chosen;
}

void remember(const QPrinter& printer, const PrintSettings& chosen) {
  QSettings settings = store();
  settings.beginGroup(QStringLiteral("print"));
  const bool queue = printer.outputFormat() == QPrinter::NativeFormat;
  settings.setValue(QStringLiteral("printer"), queue ? printer.printerName() : QString());
  const QPageLayout page = printer.pageLayout();
  settings.setValue(QStringLiteral("paper"), page.pageSize().key());
  settings.setValue(QStringLiteral("orientation"), page.orientation() == QPageLayout::Landscape
                                                       ? QStringLiteral("landscape")
                                                       : QStringLiteral("portrait"));
  const QMarginsF sides = page.margins(QPageLayout::Millimeter);
  settings.setValue(QStringLiteral("marginsMm"), QStringLiteral("%1 %2 %3 %4")
                                                     .arg(sides.left())
                                                     .arg(sides.top())
                                                     .arg(sides.right())
                                                     .arg(sides.bottom()));
  settings.setValue(QStringLiteral("mode"), chosen.mode == PrintSettings::Mode::Poster
                                                ? QStringLiteral("poster")
                                                : QStringLiteral("oneSheet"));
  settings.setValue(QStringLiteral("size"), int(chosen.size));
  settings.setValue(QStringLiteral("widthCm"), chosen.widthCm);
  settings.setValue(QStringLiteral("sheetsAcross"), chosen.sheetsAcross);
  settings.setValue(QStringLiteral("sheetsDown"), chosen.sheetsDown);
  settings.setValue(QStringLiteral("percent"), chosen.percent);
  settings.setValue(QStringLiteral("overlapMm"), chosen.overlapMm);
  settings.setValue(QStringLiteral("centred"), chosen.centred);
}

}  // namespace print_memory
