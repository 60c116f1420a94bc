#include <QtPrintSupport>  // and with it all of QtWidgets
#include <QtTest>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "glyphant/glyphant_window.h"
#include "glyphant/print_job.h"
#include "glyphant/print_preview.h"
#include "glyphant/sheets_view.h"
#include "tests/support/disk_fault.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_helpers.h"

// A layout ("one", "true", "width", "across:N"), paper and orientation; the
// preview's summary, the pages of the PDF and their size, and the pages as the
// preview shows them ("rows x columns").
using Printout = std::tuple<QString, QPageSize::PageSizeId, QPageLayout::Orientation, QString, int,
                            QString, QString>;

// A printer's paper, orientation, copies, whether collated, sides; the queue's options.
using Queue = std::tuple<QPageSize::PageSizeId, QPageLayout::Orientation, int, bool,
                         QPrinter::DuplexMode, QString>;

// "打 印" from the window to a PDF file, as a user prints: the preview, the
// page dialog, the printer's dialog, the progress dialog. The sheets' own
// geometry is checked in tst_poster_layout; here the file that comes out.
class TstPrintJob : public WindowTest {
  Q_OBJECT

  std::unique_ptr<Form1> form_;

  // Clicks `control` and waits for the long operation it starts, if any.
  static void click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton);
    waitForPictures();
  }

  // Picks the entry `text` of `box` with the keys, as each key activates.
  static void choose(QComboBox* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < box->count() && box->currentText() != text; ++i)
      QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentText(), text);
  }

  // Presses "打 印"; in the preview the paper is set to `paper` and
  // `orientation`, then `layout` sets the layout; unless `print` is false the
  // printer's dialog then chooses the PDF file `file`. Returns the preview's
  // summary and the pages it showed ("rows x columns") before anything was printed.
  QString print(const std::function<void(PrintPreview&)>& layout, QPageSize::PageSizeId paper,
                QPageLayout::Orientation orientation, const QString& file, bool print = true) {
    QString seen;
    dialogs_->answerDialog([&](QDialog& dialog) {
      auto& preview = dynamic_cast<PrintPreview&>(dialog);
      // Its title, a tip on each choice that needs one, and at first the printer's own paper
      // (A4 for the tests' locale).
      const bool labelled =
          preview.windowTitle() == "打印预览" && !preview.oneSheet->toolTip().isEmpty() &&
          !preview.poster->toolTip().isEmpty() && !preview.overlapMm->toolTip().isEmpty() &&
          preview.paper->currentText() == QPageSize::name(QPageSize::A4);
      if (paper != QPageSize::Custom) {                // Custom: the paper the preview shows
        choose(preview.paper, QPageSize::key(paper));  // the name people know, not "ANSI A"
        choose(preview.orientation, orientation == QPageLayout::Portrait ? "纵向" : "横向");
      }
      layout(preview);
      seen = preview.summary->text() + " | " + pagesShown(preview.view) +
             (labelled ? "" : " unlabelled") +
             (preview.printButton->isEnabled() ? "" : " disabled");
      if (print)
        dialogs_->answerDialog([&](QDialog& printDialog) {
          QPrinter* printer = qobject_cast<QPrintDialog*>(&printDialog)->printer();
          printer->setOutputFormat(QPrinter::PdfFormat);
          printer->setOutputFileName(file);
          return true;
        });
      click(print ? preview.printButton : preview.cancelButton);
      return preview.result() == QDialog::Accepted;
    });
    click(form_->Command15);
    return seen;
  }

  // "rows x columns" of the white pages a view shows, counted from inside the
  // first page's top-left corner down and across.
  static QString pagesShown(QWidget* view) {
    const QImage shown = view->grab().toImage();
    const auto white = [&](QPoint at) { return shown.pixel(at) == qRgb(255, 255, 255); };
    if (inkOf(shown, qRgb(255, 255, 255)).isEmpty()) return "none";
    const QPoint first = inkOf(shown, qRgb(255, 255, 255)).topLeft() + QPoint(1, 1);
    const auto pages = [&](QPoint step) {
      int count = 1;
      for (QPoint at = first; shown.rect().contains(at + step); at += step)
        count += !white(at) && white(at + step);
      return count;
    };
    // Centred, and as large as fits with 8 pixels around them.
    const QRect sheets =
        boundsOf(shown, [&](QRgb c) { return c != view->palette().dark().color().rgb(); });
    const QMargins m(sheets.left(), sheets.top(), shown.width() - 1 - sheets.right(),
                     shown.height() - 1 - sheets.bottom());
    const bool placed = std::abs(m.left() - m.right()) <= 1 &&
                        std::abs(m.top() - m.bottom()) <= 1 && std::min(m.left(), m.top()) <= 8;
    return QString("%1x%2").arg(pages({0, 1})).arg(pages({1, 0})) + (placed ? "" : " misplaced");
  }

  // Whether each object of a PDF file starts where its xref table says.
  static bool xrefHolds(const QString& pdf) {
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    const qsizetype table = bytes.lastIndexOf("\nxref\n") + 1;
    const QList<QByteArray> lines = bytes.mid(table).split('\n');
    const qsizetype start = bytes.lastIndexOf("startxref\n") + 10;
    bool holds = bytes.mid(start).split('\n').value(0).trimmed().toLongLong() == table;
    for (int object = 1; object + 2 < lines.size() && lines[object + 2].endsWith(" n "); ++object)
      holds &= bytes.mid(lines[object + 2].left(10).toLongLong())
                   .startsWith(QByteArray::number(object) + " 0 obj");
    return holds;
  }

  // Coloured blocks of 50 pixels, each a step of 10 to 15 from the next, put on the canvas
  // with "背景图".
  QImage openBlocks() {
    QImage blocks(989, 630, QImage::Format_RGB32);
    for (int y = 0; y < blocks.height(); ++y)
      for (int x = 0; x < blocks.width(); ++x)
        blocks.setPixel(x, y,
                        qRgb(40 + x / 50 * 10, 40 + y / 50 * 15, 200 - (x / 50 + y / 50) * 5));
    dialogs_->answerOpen(path("blocks.png"));
    if (blocks.save(path("blocks.png"))) click(form_->Command13);
    return blocks;
  }

  // What one of poppler's tools prints about a PDF file.
  static QString poppler(const QString& tool, const QStringList& arguments) {
    QProcess run;
    run.start(tool, arguments);
    run.waitForFinished(30000);
    return QString::fromUtf8(run.readAllStandardOutput());
  }
  // The title and the creator, then "WxH" in points of every page, rounded, as poppler reads
  // the file.
  static QStringList titleAndPageSizes(const QString& pdf) {
    const QString read = poppler("pdfinfo", {"-f", "1", "-l", "1000", pdf});
    QStringList found{QRegularExpression("Title: +(.*)").match(read).captured(1) + " by " +
                      QRegularExpression("Creator: +(.*)").match(read).captured(1)};
    static const QRegularExpression line(R"(size:\s+([\d.]+) x ([\d.]+) pts)");
    for (const QRegularExpressionMatch& m : line.globalMatch(read))
      found << QString::asprintf("%ldx%ld", std::lround(m.captured(1).toDouble()),
                                 std::lround(m.captured(2).toDouble()));
    return found;
  }

 private slots:
  void initTestCase() {
    // The machine's own printers stay out of the test: the printer starts
    // as Qt's PDF output, whatever queues this machine has.
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath("no-cups-here.sock")));
    QVERIFY2(!QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
                 !QStandardPaths::findExecutable("pdftoppm").isEmpty(),
             "poppler-utils is missing: run scripts/install-deps.sh");
  }

  void init() {
    startWindowTest();
    // Each test starts without remembered choices: settings of its own.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("config"));
    form_ = std::make_unique<Form1>(dir_->path());
    QVERIFY(exposed(form_.get()));
  }

  void cleanup() { endWindowTest(form_); }

  // Qt's PDF output keeps 10-point (3.53 mm) margins: with the 6 mm mark
  // band, A4 leaves a window of 190.94 x 277.94 mm, landscape Letter one of
  // 260.34 x 196.84 mm; neighbours share 10 mm.
  void printsToPdf_data() {
    QTest::addColumn<Printout>("printout");
    const auto portrait = QPageLayout::Portrait;
    // clang-format off
    // 202.94 mm wide printable area: 989 x 630 px at 0.2052 mm each.
    QTest::newRow("one sheet") << Printout{"one", QPageSize::A4, portrait, "1 张，A4 纵向，图像 20.3 × 12.9 厘米", 1, "595x842", "1x1"};
    // 261.66 mm: (261.66 - 10) / 180.94 = 1.4 -> 2 across; 166.7 mm fits one row.
    QTest::newRow("start canvas as a poster") << Printout{"true", QPageSize::A4, portrait, "共 2 张（1 行 × 2 列），A4 纵向，海报 26.2 × 16.7 厘米", 2, "595x842", "1x2"};
    // A width in centimetres starts at the true width, 261.66 mm rounded.
    QTest::newRow("width in centimetres") << Printout{"width", QPageSize::A4, portrait, "共 2 张（1 行 × 2 列），A4 纵向，海报 26.2 × 16.7 厘米", 2, "595x842", "1x2"};
    // Set to 40 cm: (400 - 10) / 180.94 -> 3 across; 254.8 mm high fits one row.
    QTest::newRow("width set to 40 cm") << Printout{"width:40", QPageSize::A4, portrait, "共 3 张（1 行 × 3 列），A4 纵向，海报 40.0 × 25.5 厘米", 3, "595x842", "1x3"};
    // 261.66 mm over a window of 260.34: two across, one down.
    QTest::newRow("landscape Letter") << Printout{"true", QPageSize::Letter, QPageLayout::Landscape, "共 2 张（1 行 × 2 列），Letter 横向，海报 26.2 × 16.7 厘米", 2, "792x612", "1x2"};
    // 0 is refused as typed: two across stay, 2 * 190.94 - 10 = 371.9 mm wide, 236.9 mm high.
    QTest::newRow("no sheets across") << Printout{"across:0", QPageSize::A4, portrait, "共 2 张（1 行 × 2 列），A4 纵向，海报 37.2 × 23.7 厘米", 2, "595x842", "1x2"};
    // 3 * 190.94 - 2 * 10 = 552.8 mm wide, 352.2 mm high: (352.2 - 10) / 267.94 -> 2 down.
    // Set after the width: (400 - 90) / (190.94 - 90) = 3.07 -> 4 across.
    QTest::newRow("overlap of 90 mm") << Printout{"width:40 overlap:90", QPageSize::A4, portrait, "共 4 张（1 行 × 4 列），A4 纵向，海报 40.0 × 25.5 厘米", 4, "595x842", "1x4"};
    // Turned last: 261.66 x 166.7 mm fit the landscape window of 277.94 x 190.94.
    QTest::newRow("turned last") << Printout{"true turn", QPageSize::A4, portrait, "共 1 张（1 行 × 1 列），A4 横向，海报 26.2 × 16.7 厘米", 1, "842x595", "1x1"};
    // 100 across, 18104 mm wide, 11532 mm high: 43 rows, 4300 sheets; nothing is printed.
    QTest::newRow("too many sheets") << Printout{"across:100", QPageSize::A4, portrait, "需要超过 500 张纸，请把海报改小。", 0, "", "none disabled"};
    // 2 * 277.94 - 10 = 545.9 mm high, 856.9 mm wide: (846.9 / 180.94) -> 5 across.
    QTest::newRow("two sheets down") << Printout{"down:2", QPageSize::A4, portrait, "共 10 张（2 行 × 5 列），A4 纵向，海报 85.7 × 54.6 厘米", 10, "595x842", "2x5"};
    // Fitted into 2 x 2 the width fills two sheets, as "two across" does; one row holds it.
    QTest::newRow("fit to 2 x 2 sheets") << Printout{"fit:2x2", QPageSize::A4, portrait, "共 2 张（1 行 × 2 列），A4 纵向，海报 37.2 × 23.7 厘米", 2, "595x842", "1x2"};
    // 1.5 * 261.68 = 392.5 mm (989 pixels at 96 per inch): (382.5 / 180.94) -> 3 across.
    QTest::newRow("150 percent") << Printout{"percent:150", QPageSize::A4, portrait, "共 3 张（1 行 × 3 列），A4 纵向，海报 39.3 × 25.0 厘米", 3, "595x842", "1x3"};
    QTest::newRow("three sheets across") << Printout{"across:3", QPageSize::A4, portrait, "共 6 张（2 行 × 3 列），A4 纵向，海报 55.3 × 35.2 厘米", 6, "595x842", "2x3"};
    // clang-format on
  }

  // The preview shows the sheets and their count before anything is printed;
  // the PDF has a page of that paper for each; the canvas and the history
  // stay as they were.
  void printsToPdf() {
    QFETCH(Printout, printout);
    const auto& [layout, paper, orientation, summary, pages, pageSize, grid] = printout;
    const auto state = [&] {
      return std::tuple(form_->pic1->Image(), form_->History.stepIndex(), form_->Label27->text());
    };
    const auto before = state();

    const QString pdf = path("out.pdf");
    const QString shown = print(
        [&](PrintPreview& preview) {
          if (layout != "one") click(preview.poster);  // one sheet is the choice at first
          for (const QString& action : layout.split(' ')) {
            const QString value = action.section(':', 1);
            if (action.startsWith("width")) preview.sizeKind->setCurrentIndex(1);
            if (action.startsWith("width:")) preview.widthCm->setValue(value.toDouble());
            if (action.startsWith("overlap:")) preview.overlapMm->setValue(value.toDouble());
            if (action == "turn") choose(preview.orientation, "横向");
            const int kind =
                QStringList{"down", "fit", "percent"}.indexOf(action.section(':', 0, 0));
            if (kind >= 0) {  // the entries after "横向张数"
              preview.sizeKind->setCurrentIndex(3 + kind);
              preview.percent->setValue(value.toDouble());
              preview.sheetsAcross->setValue(value.section('x', 0, 0).toInt());
              preview.sheetsDown->setValue(value.section('x', -1).toInt());
            }
            if (action.startsWith("across:")) {
              preview.sizeKind->setCurrentIndex(2);
              QLineEdit* edit = preview.sheetsAcross->findChild<QLineEdit*>();
              edit->setFocus();
              edit->selectAll();
              // As an input method delivers it: the text of each key, whatever its script.
              for (const QChar c : value)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, c, {});
            }
          }
          // The field of the chosen size only, with its unit.
          const QMap<QString, QString> fields{{"one", "100000"},  {"width", "010000"},
                                              {"true", "000000"}, {"down", "000010"},
                                              {"fit", "001110"},  {"percent", "000001"}};
          QCOMPARE(QString::asprintf("%d%d%d%d%d%d", preview.oneSheet->isChecked(),
                                     preview.widthCm->isVisible(),
                                     preview.sheetsAcross->isVisible(), preview.times->isVisible(),
                                     preview.sheetsDown->isVisible(), preview.percent->isVisible()),
                   fields.value(layout.section(QRegularExpression("[: ]"), 0, 0), "001000"));
          // Each control in a place of its own.
          const auto controls = preview.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
          for (const QWidget* a : controls)
            for (const QWidget* b : controls)
              QVERIFY(a == b || a->isHidden() || b->isHidden() ||
                      !a->geometry().intersects(b->geometry()));
          QVERIFY(preview.widthCm->text().endsWith(" 厘米") &&
                  preview.sheetsAcross->text().endsWith(" 张") &&
                  preview.overlapMm->text().endsWith(".0 毫米") &&
                  captionBeside(preview.overlapMm, "重叠") &&
                  captionBeside(preview.margins[0], "左") &&
                  captionBeside(preview.margins[3], "下"));
        },
        paper, orientation, pdf, pages > 0);
    QCOMPARE(shown, summary + " | " + grid);
    if (pages > 0)
      QCOMPARE(titleAndPageSizes(pdf),
               QStringList("Glyphant2.0 by Glyphant2.0") + QList<QString>(pages, pageSize));
    QVERIFY2(state() == before, "the canvas, the history and its status as they were");
  }

  // A poster of coloured blocks at its true size comes back from the PDF
  // pixel for pixel, in the right place on each sheet, with the alignment
  // line on the first sheet where the second is laid over it, cut marks at
  // the second's left edge, and each sheet's label under its picture.
  void sheetPixels() {
    const QImage blocks = openBlocks();
    const QString pdf = path("out.pdf");
    print([&](PrintPreview& v) { click(v.poster); }, QPageSize::A4, QPageLayout::Portrait, pdf);
    // The first two pages at 96 pixels per inch: the true size comes back pixel for pixel.
    QProcess::execute("pdftoppm", {"-r", "96", "-png", "-f", "1", "-l", "2", pdf, path("page")});
    const QList<QImage> pages{QImage(path("page-1.png")), QImage(path("page-2.png"))};
    for (const QImage& page : pages) QCOMPARE(page.size(), QSize(794, 1123));

    // Millimetres on the paper to pixels at 96 per inch. The picture starts
    // 10 points and the 6 mm mark band in; the second sheet starts one
    // window (210 mm less both margins and bands) less the 10 mm overlap
    // into the picture.
    const auto px = [](double mm) { return mm * 96 / 25.4; };
    const double margin = 25.4 * 10 / 72;
    const double origin = px(margin + 6), second = px(210 - 2 * (margin + 6) - 10);
    // Marks are hairlines, grey where they fall between pixels.
    const auto dark = [](const QImage& page, QRect area) {
      return !boundsOf(page.copy(area), [](QRgb c) { return qGray(c) < 160; }).isEmpty();
    };
    for (int sheet = 0; sheet < 2; ++sheet) {
      const double start = sheet == 0 ? 0 : second, end = sheet == 0 ? second + px(10) : 989;
      // Block centres, away from the block edges and the alignment line.
      for (int y = 25; y < 630; y += 50)
        for (int x = 25; x < 989; x += 50) {
          if (x < start + 3 || x > end - 3 || (sheet == 0 && std::abs(x - second) < 8)) continue;
          const QPoint at(qRound(origin + x - start), qRound(origin + y));
          const QRgb got = pages[sheet].pixel(at), want = blocks.pixel(x, y);
          QVERIFY2(std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)) +
                           std::abs(qBlue(got) - qBlue(want)) <=
                       12,
                   qPrintable(QString("sheet %1, picture (%2, %3)").arg(sheet + 1).arg(x).arg(y)));
        }
      // The label, centred under the picture inside the mark band.
      const int centre = qRound(origin + (end - start) / 2), bottom = qRound(origin + 630);
      QVERIFY(dark(pages[sheet], QRect(centre - 50, bottom + 3, 100, qRound(px(5)) - 3)));
      // Nothing in the margin beside the picture's top.
      QVERIFY(!dark(pages[sheet], QRect(0, 0, qRound(origin) - 2, qRound(origin) - 2)));
    }

    // Three sheets across, two rows: ticks outside the picture's corners where the sheet is
    // laid over its left neighbour (above and below its left edge) and its upper one (beside
    // its top edge), and where the next sheet's picture starts, 10 mm before this one's right
    // and bottom edges (above and below, beside). Each is 1 when found.
    const auto threeAcross = [&](PrintPreview& v) {
      click(v.poster), v.sizeKind->setCurrentIndex(2), v.sheetsAcross->setValue(3);
    };
    const QString six = path("six.pdf");
    print(threeAcross, QPageSize::A4, QPageLayout::Portrait, six);
    QProcess::execute("pdftoppm", {"-r", "96", "-png", six, path("six")});
    QStringList found;
    for (int i = 1; i <= 6; ++i) {
      const QImage page(path(QString("six-%1.png").arg(i)));
      const QRect p = boundsOf(page, [](QRgb c) {  // coloured: not the paper, marks or label
        return std::abs(qRed(c) - qGreen(c)) + std::abs(qGreen(c) - qBlue(c)) > 20;
      });
      const int off = qRound(px(1.5)), length = qRound(px(3.5)), overlap = qRound(px(10));
      const int x = p.right() - overlap, y = p.bottom() - overlap;
      const auto tick = [&](QPoint at, QPoint step) {  // 3 pixels wide, from 1.5 to 5 mm off `at`
        const QRect band = QRect(at + step * off, at + step * (off + length)).normalized();
        return dark(page, band.adjusted(-!step.x(), -!step.y(), !step.x(), !step.y())) ? '1' : '0';
      };
      found << QString::fromStdString({tick(p.topLeft(), {0, -1}), tick(p.bottomLeft(), {0, 1}),
                                       tick(p.topLeft(), {-1, 0}), tick(p.topRight(), {1, 0}),
                                       tick({x, p.top()}, {0, -1}), tick({x, p.bottom()}, {0, 1}),
                                       tick({p.left(), y}, {-1, 0}), tick({p.right(), y}, {1, 0})});
      // The alignment lines: dashes of 1.6 mm, 1.6 mm apart, black as no block is; 20 when
      // their count is within 2.5 % of that.
      const auto dashes = [&](QPoint at, QPoint step, int length) {
        QString run;  // 1 where the line is black
        for (int n = 0; n < length; ++n, at += step) {
          const QImage across = page.copy(QRect(at - step.transposed(), at + step.transposed()));
          run += boundsOf(across, [](QRgb c) { return qGray(c) < 40; }).isEmpty() ? '0' : '1';
        }
        return QString::number(qRound(('0' + run).count("01") * px(3.2) / length * 20));
      };
      if (i == 1)  // the first sheet's lines down and across
        found << dashes({x, p.top()}, {0, 1}, p.height()) + ',' +
                     dashes({p.left(), y}, {1, 0}, p.width());
    }
    QCOMPARE(found.join(' '), "00001111 20,20 11001111 11000011 00111100 11111100 11110000");
    // The background picture goes in whole on each sheet, lossless, to be smoothed as it is
    // enlarged; the sheets lie where the file says they do.
    QCOMPARE(poppler("pdfimages", {"-list", six}).count(QRegularExpression(" image +yes ")), 6);
    QVERIFY(xrefHolds(six));
    // Each page's label names its sheet, in the characters it was written in: a search finds it.
    const QStringList pageTexts = poppler("pdftotext", {six, "-"}).split('\f');
    for (int i = 0; i < 6; ++i)
      QVERIFY(pageTexts.value(i).contains(
          QString("第 %1 行，第 %2 列（共 2 行 × 3 列）").arg(i / 3 + 1).arg(i % 3 + 1)));
  }

  // The canvas printed as a poster and put together as a user does, from its
  // sheets printed at 96 dots per inch: each sheet cut along its picture's
  // left and top edges and laid over its neighbours, the later ones on top.
  // Landscape Letter at 96 dots per inch is 1056 x 816 dots; margins of 19.4
  // mm and the 6 mm mark band make an inch (96 dots) around a window of 864 x
  // 624; neighbours share 12.7 mm (48 dots). 2 x 2 sheets, the second column
  // and row 816 and 576 dots on. `notice` is what the preview told.
  QImage printedPoster(const QString& pdf, QString* notice = nullptr) {
    print(
        [&](PrintPreview& v) {
          click(v.poster), v.overlapMm->setValue(12.7);
          for (QDoubleSpinBox* side : v.margins) side->setValue(19.4);
          if (notice) *notice = v.notice->isHidden() ? "" : v.notice->text();
        },
        QPageSize::Letter, QPageLayout::Landscape, pdf);
    const QSize canvas = form_->pic1->Image().size();
    if (QProcess::execute("pdftoppm", {"-r", "96", "-png", pdf, pdf}) != 0) return {};
    QImage poster(canvas, QImage::Format_RGB32);
    poster.fill(Qt::black);
    QPainter laid(&poster);
    for (int i = 0; i < 4; ++i) {
      const QImage sheet(pdf + QString("-%1.png").arg(i + 1));
      if (sheet.size() != QSize(1056, 816)) return {};
      const QPoint at(i % 2 * 816, i / 2 * 576);  // where its picture starts on the poster
      const QSize part = QRect(at, QSize(864, 624)).intersected(QRect({}, canvas)).size();
      laid.drawImage(at, sheet.copy(QRect(QPoint(96, 96), part)));
    }
    return poster;
  }

  // Nothing of the alignment lines shows at the seams: the poster is the
  // canvas, pixel for pixel.
  void reassembles() {
    const QImage canvas = openBlocks();
    QImage poster = printedPoster(path("poster.pdf"));
    // The sheets' pictures lie a fraction of a dot off the grid of dots, the
    // same on every sheet: the block edges are blended, and left out.
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        if ((x + 1) % 50 < 2 || (y + 1) % 50 < 2) poster.setPixel(x, y, canvas.pixel(x, y));
    QCOMPARE(imageDifference(poster, canvas, 6), QString());
  }

  // The sheets are drawn again from what made the canvas: at 96 dots per
  // inch they are the canvas, to the smoothing along edges. The background
  // picture beside pattern text (the canvas grew after it), shadowed text
  // over both, a stamp; after a step back, the canvas without the stamp.
  void drawnAgain() {
    const auto type = [](QLineEdit* field, const QString& text) { field->setText(text); };
    type(form_->Text2, "700"), type(form_->Text1, "500"), click(form_->Command5);
    openBlocks();
    type(form_->txtMessage, "大"), click(form_->Command1);
    type(form_->Text2, "989"), type(form_->Text1, "630"), click(form_->Command5);
    type(form_->txtMessage, "字"), type(form_->Text3, "560"), type(form_->Text4, "300");
    form_->cbofontsize->setEditText("200"), click(form_->Command3);
    click(form_->Check2);
    const QRect stamp(QPoint(800, 40), form_->Picture1->Picture().size());
    QCursor::setPos(form_->pic1->mapToGlobal(stamp.topLeft()));  // pressed and let go at once
    QTimer::singleShot(0, [&] { QTest::mouseRelease(form_->windowHandle(), Qt::LeftButton); });
    QTest::mousePress(form_->windowHandle(), Qt::LeftButton, {},
                      form_->pic1->mapTo(form_.get(), stamp.topLeft()));
    waitForPictures();
    for (const bool back : {false, true}) {
      if (back) click(form_->Command16);
      const QImage canvas = form_->pic1->Image();
      QString notice;
      const QString pdf = path(back ? "back.pdf" : "drawn.pdf");
      const QImage poster = printedPoster(pdf, &notice);
      QCOMPARE(notice, QString());
      QVERIFY(meanDifferenceOnWhite(poster, canvas) <= 2);
      // Where the stamp is (or was): its many edges are blended by the
      // sheets' fraction of a dot; a stamp missing or too many differs by tens.
      QVERIFY(meanDifferenceOnWhite(poster.copy(stamp), canvas.copy(stamp)) <= 8);
      // The pictures go in whole, to be smoothed as they are enlarged: the
      // background picture, the tile, the stamp.
      const QString images = poppler("pdfimages", {"-list", pdf});
      const auto smoothed = [&](const char* size) {
        return images.contains(QRegularExpression(QString(size) + " .* yes ")) &&
               !images.contains(QRegularExpression(QString(size) + " .* no "));
      };
      QVERIFY(smoothed(" 989 +630") && smoothed(" 100 +100"));
      QCOMPARE(smoothed(" 186 +124"), !back);
    }
  }

  // A letter's edge printed large is sharp: at 600 dots per inch (6.25 dots
  // a canvas pixel) it passes from the ground to the letter within 2 dots,
  // where the canvas's smoothed edge pixel would take 6.
  void sharpEdges() {
    form_->txtMessage->setText("口");
    click(form_->Command4);
    const QImage canvas = form_->pic1->Image();
    const QRect letter = inkOf(canvas, qRgb(255, 0, 0));
    const QString pdf = path("sharp.pdf");
    printedPoster(pdf);
    // One row of dots across the middle of the letter, on the first sheet.
    const int row = qRound(600 + (letter.center().y() + 0.5) * 6.25);
    QProcess::execute("pdftoppm", {"-r", "600", "-f", "1", "-l", "1", "-y", QString::number(row),
                                   "-H", "1", "-W", "6600", "-png", pdf, path("row")});
    const QImage dots(path("row-1.png"));
    QVERIFY(dots.width() == 6600);
    // Green is 160 on the ground and 0 in the red letter.
    int widest = 0, inLetter = 0;
    for (int x = qRound(600 + letter.left() * 6.25) - 8, run = 0;
         x < qRound(600 + (letter.right() + 1) * 6.25) + 8; ++x) {
      const int green = qGreen(dots.pixel(x, 0));
      run = green > 16 && green < 144 ? run + 1 : 0;
      widest = std::max(widest, run);
      inLetter += green <= 16;
    }
    QVERIFY(inLetter > 0);
    QVERIFY2(widest <= 2, qPrintable(QString("edges %1 dots wide").arg(widest)));
  }

  // What cannot be drawn again is printed from the canvas's pixels, and the
  // preview says why: here more drawings since the last clear than the
  // sheets take. Clearing the canvas makes it drawable again.
  void printsPixelsWhenItMust() {
    form_->Text2->setText("100"), form_->Text1->setText("60"), click(form_->Command5);
    form_->cbofontsize->setEditText("12");
    for (int i = 0; i <= CanvasRecord::kMaxDrawings; ++i) click(form_->Command4);
    for (const bool cleared : {false, true}) {
      if (cleared) click(form_->Command2);
      QString notice;
      const QString pdf = path(cleared ? "cleared.pdf" : "pixels.pdf");
      printedPoster(pdf, &notice);
      QCOMPARE(notice,
               cleared ? "" : "无法按原样重绘，按画布的像素打印：自上次清除以来画了超过 100 次。");
      // The canvas's pixels go in as a picture; drawn again, it has none.
      QCOMPARE(poppler("pdfimages", {"-list", pdf})
                   .count(QRegularExpression("(?m)^ *\\d+ +\\d+ +image")),
               cleared ? 0 : 1);
    }
  }

  // The choices made in the preview are there the next time it opens, also
  // after the program is started again (they are in the user's settings
  // file), whether it printed or was cancelled.
  void remembersChoices() {
    const auto shown = [](PrintPreview& v) {  // every field, list and button
      QStringList texts;
      for (const QAbstractSpinBox* box : v.findChildren<QAbstractSpinBox*>()) texts << box->text();
      for (const QComboBox* box : v.findChildren<QComboBox*>()) texts << box->currentText();
      for (const QAbstractButton* b : v.findChildren<QAbstractButton*>())
        texts << b->text() + QString::number(b->isChecked());
      return texts;
    };
    QStringList first, again;
    const auto choose = [&](PrintPreview& v) {
      click(v.poster), v.sizeKind->setCurrentIndex(1), v.widthCm->setValue(40);
      v.sheetsAcross->setValue(4), v.overlapMm->setValue(15), v.sheetsDown->setValue(3);
      v.percent->setValue(80), click(v.centred), v.margins[1]->setValue(12.5);
      first = shown(v);
    };
    print(choose, QPageSize::A5, QPageLayout::Landscape, path("out.pdf"));
    QSettings file(path("config/picture-tools/Glyphant.conf"), QSettings::IniFormat);
    QCOMPARE(file.value("print/paper").toString() + ' ' + file.value("print/mode").toString(),
             "A5 poster");
    // Cancelled this time, on the paper it shows.
    print([&](PrintPreview& v) { again = shown(v); }, QPageSize::Custom, {}, "", false);
    QVERIFY(first.contains("12.5 毫米") && first.contains("A5"));  // as chosen, held by the printer
    QCOMPARE(again, first);
  }

  // What a print queue is told, in CUPS's option names. Both sides left to the printer turn
  // along the long edge in portrait and the short one in landscape, as a book's pages do.
  void queueOptions_data() {
    QTest::addColumn<Queue>("queue");
    const auto portrait = QPageLayout::Portrait, landscape = QPageLayout::Landscape;
    // clang-format off
    QTest::newRow("one copy") << Queue{QPageSize::A4, portrait, 1, true, QPrinter::DuplexNone, "media=A4 sides=one-sided"};
    QTest::newRow("two, long side") << Queue{QPageSize::A4, portrait, 2, false, QPrinter::DuplexLongSide, "media=A4 copies=2 sides=two-sided-long-edge"};
    QTest::newRow("three collated, both sides") << Queue{QPageSize::Letter, landscape, 3, true, QPrinter::DuplexAuto, "media=Letter copies=3 Collate=True sides=two-sided-short-edge landscape="};
    QTest::newRow("both sides, portrait") << Queue{QPageSize::A4, portrait, 1, false, QPrinter::DuplexAuto, "media=A4 sides=two-sided-long-edge"};
    QTest::newRow("short side, landscape") << Queue{QPageSize::A3, landscape, 1, false, QPrinter::DuplexShortSide, "media=A3 sides=two-sided-short-edge landscape="};
    // clang-format on
  }
  void queueOptions() {
    QFETCH(Queue, queue);
    const auto& [paper, orientation, copies, collate, duplex, expected] = queue;
    // The dialog's own pairs follow; a name without its value is left out.
    QStringList options;
    for (const auto& [name, value] :
         print_job::queueOptions(QPageLayout(QPageSize(paper), orientation, {}), copies, collate,
                                 duplex, {"InputSlot", "Tray2", "ColorModel", "Gray", "cut"}))
      options << name + '=' + value;
    QCOMPARE(options.join(' '), expected + " InputSlot=Tray2 ColorModel=Gray");
  }

  // Cancelled in the progress dialog: the older file of that name stays as it
  // was and nothing else is left in its folder. A cancelled preview prints
  // nothing.
  void printsNothingHalf_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("cancelled while printing") << "cancel";
    QTest::newRow("preview cancelled") << "preview";
  }
  void printsNothingHalf() {
    QFETCH(QString, how);
    QVERIFY(written(path("out.pdf"), "old"));
    QTimer canceller;
    bool cancelled = false;
    connect(&canceller, &QTimer::timeout, this, [&] {
      auto* progress = form_->findChild<QProgressDialog*>("printProgress");
      if (progress == nullptr || !progress->isVisible() || cancelled) return;
      // The program's own caption, and the sheet being made.
      cancelled = progress->windowTitle() == "Glyphant2.0" &&
                  progress->labelText() == "正在打印第 1 张，共 2 张…";
      click(progress->findChild<QPushButton*>());
    });
    if (how == "cancel") canceller.start(0);
    print([&](PrintPreview& preview) { click(preview.poster); }, QPageSize::A4,
          QPageLayout::Portrait, path("out.pdf"), how != "preview");
    QVERIFY(cancelled == (how == "cancel") && dialogs_->messages().isEmpty());
    QFile old(path("out.pdf"));
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.pdf"});
  }

  void diskFaults_data() { DiskFault::addRows({"poster.pdf", "canvas.bmp"}); }
  // On a full or read-only disk and in a folder without permission, a poster
  // printed to PDF and the canvas saved as a bitmap keep the older file and
  // leave nothing beside it, and the user is told why.
  void diskFaults() {
    QFETCH(QStringList, fault);
    DiskFault disk(fault);
    MAKE_OR_SKIP(disk);
    const bool pdf = disk.file.endsWith(".pdf");
    if (pdf)
      print([&](PrintPreview& v) { click(v.poster); }, QPageSize::A4, QPageLayout::Portrait,
            disk.file);
    else
      dialogs_->answerSave(disk.file), click(form_->Command12);
    const MessageRequest message = dialogs_->messages().value(0);
    QCOMPARE(message.title + ' ' + message.text,
             QString(pdf ? "Glyphant2.0 无法打印：\n无法写入“%1”：\n%2"
                         : "Glyphant2.0 无法保存图像“%1”：\n%2")
                 .arg(disk.file, disk.cause()));
    QVERIFY(disk.kept());
  }
};

QTEST_MAIN(TstPrintJob)
#include "tst_print_job.moc"
