// Glyphant's printing on an optimised build: a 2000-point design printed as
// a poster at its true size on A4 (10 mm margins, 10 mm overlap) to a PDF
// file, as "打 印" does it once the preview is accepted. Prints the sheets,
// the median time of the whole print, and the peak resident memory during
// the print beyond what the process held before it (the canvas included).
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
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <vector>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/print_job.h"
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
  const PrintSource source{canvas, form.Drawings};

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
  std::printf("design:  \"%s\" at 2000 points on %d x %d pixels (%.1f MiB canvas)\n",
              qPrintable(text), canvas.width(), canvas.height(), canvas.sizeInBytes() / 1048576.0);
  std::printf("poster:  %d sheets of A4 (%d rows x %d columns), %.1f MiB PDF\n",
              int(layout.sheets.size()), layout.rows, layout.columns,
              QFileInfo(pdf).size() / 1048576.0);
  std::printf("print:   %.2f s (median of %zu)\n", bench::median(seconds), seconds.size());
  std::printf("memory:  %.1f MiB peak beyond the %.1f MiB resident before the print\n",
              peak / 1024.0, before / 1024.0);
  return 0;
}
