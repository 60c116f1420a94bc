// Glyphant's printing on an optimised build: a 2000-point design printed as
// a poster at its true size on A4 (10 mm margins, 10 mm overlap) to a PDF
// file, as "打 印" does it once the preview is accepted, once drawn again
// from the canvas's drawings and once from its pixels (as a canvas that
// cannot be drawn again is printed). For each: the sheets and the PDF's
// size, the median time of the whole print, the peak resident memory during
// the print beyond what the process held before it (the canvas included),
// where poppler's pdftoppm is found, how many dots wide the letter's edge is
// at 600 dots per inch (the widest run of dots between the flat colours
// along one row across the letter), and the time the print preview takes to
// paint its sheets.
// Usage: bench_print [TEXT [WIDTH HEIGHT [PDF]]]   (default: 大 on 2800 x 3900;
// the PDF is kept only where one is named)
// Run headless (QT_QPA_PLATFORM=offscreen) or under a real X server; for the
// peak of the whole process run it under /usr/bin/time -v.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <vector>

#include "common/colour.h"
#include "common/colour_swatch.h"
#include "common/face_button.h"
#include "common/picture_box.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/print_job.h"
#include "glyphant/print_preview.h"
#include "glyphant/sheets_view.h"
#include "measure.h"

namespace {

// Peak resident memory in KiB since the last reset, from Linux's /proc.
long peakKiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return -1;
}

// Starts the peak over from the present resident size.
void resetPeak() {
  QFile clear("/proc/self/clear_refs");
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

// The widest run of dots, along the row of `canvasPoint` at 600 dots per
// inch, that is none of `flat` colours (within 24 a channel), in the 600 dots
// either side of it; -1 without pdftoppm.
int edgeDots(const QString& pdf, const poster::Layout& layout, QPoint canvasPoint,
             const QList<QRgb>& flat, const QString& folder) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) return -1;
  constexpr double kDotsPerMm = 600 / 25.4;
  for (std::size_t i = 0; i < layout.sheets.size(); ++i) {
    const poster::Sheet& sheet = layout.sheets[i];
    if (!sheet.source.contains(canvasPoint)) continue;
    const double mmPerPixel = sheet.place.width() / sheet.source.width();
    const QPointF mm =
        sheet.place.topLeft() +
        (QPointF(canvasPoint) - sheet.source.topLeft() + QPointF(0.5, 0.5)) * mmPerPixel;
    const QPoint dot = (mm * kDotsPerMm).toPoint();
    const QString page = QString::number(i + 1), out = folder + QStringLiteral("/row");
    QProcess::execute(
        QStringLiteral("pdftoppm"),
        {"-r", "600", "-f", page, "-l", page, "-x", QString::number(dot.x() - 600), "-y",
         QString::number(dot.y()), "-W", "1200", "-H", "1", "-png", "-singlefile", pdf, out});
    const QImage row(out + QStringLiteral(".png"));
    int widest = 0;
    for (int x = 0, run = 0; x < row.width(); ++x) {
      const QRgb c = row.pixel(x, 0);
      bool isFlat = false;
      for (const QRgb f : flat)
        isFlat |= std::abs(qRed(c) - qRed(f)) <= 24 && std::abs(qGreen(c) - qGreen(f)) <= 24 &&
                  std::abs(qBlue(c) - qBlue(f)) <= 24;
      run = isFlat ? 0 : run + 1;
      widest = std::max(widest, run);
    }
    return widest;
  }
  return -1;
}

// The bounds of the pixels of `image` that are `colour`.
QRect boundsOf(const QImage& image, QRgb colour) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == colour) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const QString text = args.value(1, QStringLiteral("大"));
  const int width = args.value(2, "2800").toInt(), height = args.value(3, "3900").toInt();

  Form1 form;
  form.show();
  (void)QTest::qWaitForWindowExposed(&form);
  form.Text2->setText(QString::number(width));
  form.Text1->setText(QString::number(height));
  QTest::mouseClick(form.Command5, Qt::LeftButton);
  form.txtMessage->setText(text);
  form.cbofontsize->setEditText(QStringLiteral("2000"));
  QTest::mouseClick(form.Command9, Qt::LeftButton);  // shadowed, on the background colour
  QCoreApplication::processEvents();
  const QImage canvas = form.pic1->Image();

  QTemporaryDir dir;
  const QString pdf = args.value(4, dir.filePath(QStringLiteral("poster.pdf")));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
  PrintSettings settings;
  settings.mode = PrintSettings::Mode::Poster;
  const poster::Layout layout = print_job::layoutFor(canvas.size(), settings, printer.pageLayout());

  // A row across the letter's first upright stroke: the middle row of the
  // letter, at its first text-coloured pixel.
  const QRgb textColour = colour::toQColor(form.Label10->BackColor()).rgb();
  const QRect letter = boundsOf(canvas, textColour);
  QPoint edge(-1, letter.center().y());
  for (int x = letter.left(); x <= letter.right() && edge.x() < 0; ++x)
    if (canvas.pixel(x, edge.y()) == textColour) edge.setX(x);
  const QList<QRgb> flat{textColour, colour::toQColor(form.Label22->BackColor()).rgb(),
                         colour::toQColor(form.Label26->BackColor()).rgb()};

  std::printf("design:  \"%s\" at 2000 points on %d x %d pixels (%.1f MiB canvas)\n",
              qPrintable(text), canvas.width(), canvas.height(), canvas.sizeInBytes() / 1048576.0);
  std::printf("poster:  %d sheets of A4 (%d rows x %d columns)\n", int(layout.sheets.size()),
              layout.rows, layout.columns);
  for (const bool drawn : {true, false}) {
    // Without its drawings the canvas is printed from its pixels.
    const PrintSource source{canvas, drawn ? form.Drawings : CanvasRecord()};
    std::vector<double> seconds;
    long before = 0, peak = 0;
    for (int run = 0; run < 5; ++run) {
      before = bench::residentKiB();
      resetPeak();
      QElapsedTimer timer;
      timer.start();
      const print_job::Result result =
          print_job::print(printer, source, layout, [](int, int) { return true; });
      seconds.push_back(timer.nsecsElapsed() / 1e9);
      peak = std::max(peak, peakKiB() - before);
      if (result.outcome != print_job::Outcome::Printed) {
        std::fprintf(stderr, "print failed: %s\n", qPrintable(result.error));
        return 1;
      }
    }
    std::printf("%s\n", drawn ? "drawn again from the drawings:" : "from the canvas's pixels:");
    std::printf("  pdf:     %.2f MiB\n", QFileInfo(pdf).size() / 1048576.0);
    std::printf("  print:   %.2f s (median of %zu)\n", bench::median(seconds), seconds.size());
    std::printf("  memory:  %.1f MiB peak beyond the %.1f MiB resident before the print\n",
                peak / 1024.0, before / 1024.0);
    std::printf("  edge:    %d dots wide at 600 dots per inch\n",
                edgeDots(pdf, layout, edge, flat, dir.path()));
    // The preview's sheets painted once, as the window shows them.
    PrintPreview preview(source, printer);
    preview.poster->setChecked(true);
    preview.view->resize(900, 600);
    QElapsedTimer painting;
    painting.start();
    (void)preview.view->grab();
    std::printf("  preview: %lld ms to paint its sheets\n", painting.elapsed());
  }
  return 0;
}
