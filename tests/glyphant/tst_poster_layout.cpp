#include <QPageLayout>
#include <QTest>

#include "glyphant/poster_layout.h"
#include "glyphant/print_job.h"

// The picture, the size asked for ("true", "one sheet", "width:MM" or
// "across:N", any of them "centred"), the printable area, the overlap; the rows, columns and
// problem expected.
using Sheets = std::tuple<QSize, QString, QRectF, double, int, int, poster::Problem>;

// The expected counts are worked out by hand in each row's comment: a sheet
// carries its printable area less a 6 mm mark band on every side, and
// neighbours share the overlap, so n sheets span n * window - (n - 1) * overlap.
class TstPosterLayout : public QObject {
  Q_OBJECT

  static QRectF printable(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation,
                          double margin) {
    return QPageLayout(QPageSize(paper), orientation, QMarginsF(margin, margin, margin, margin),
                       QPageLayout::Millimeter)
        .paintRect(QPageLayout::Millimeter);
  }

 private slots:
  // clang-format off
  void sheets_data() {
    QTest::addColumn<Sheets>("sheets");
    const QRectF a4 = printable(QPageSize::A4, QPageLayout::Portrait, 10);  // window 178 x 265
    const QRectF a4Across = printable(QPageSize::A4, QPageLayout::Landscape, 10);   // 265 x 178
    const QRectF letter = printable(QPageSize::Letter, QPageLayout::Portrait, 10);  // 183.9 x 247.4
    const auto ok = poster::Problem::None;
    // 989 px = 261.7 mm: (261.7 - 10) / 168 = 1.5 -> 2 across; 166.7 mm fits one row.
    QTest::newRow("start canvas, true size, A4") << Sheets{QSize(989, 630), "true", a4, 10.0, 1, 2, ok};
    // 2000 points of type on 2700 x 2800 px = 714.4 x 740.8 mm: 704.4 / 168 = 4.2 -> 5
    // across, 730.8 / 255 = 2.9 -> 3 down.
    QTest::newRow("2000-point character, A4") << Sheets{QSize(2700, 2800), "true", a4, 10.0, 3, 5, ok};
    QTest::newRow("2000-point character, A4, centred") << Sheets{QSize(2700, 2800), "true centred", a4, 10.0, 3, 5, ok};
    // 704.4 / 173.9 = 4.05 -> 5 across, 730.8 / 237.4 = 3.08 -> 4 down.
    QTest::newRow("2000-point character, Letter") << Sheets{QSize(2700, 2800), "true", letter, 10.0, 4, 5, ok};
    // 261.7 x 166.7 mm fits the landscape window of 265 x 178.
    QTest::newRow("start canvas, landscape") << Sheets{QSize(989, 630), "true", a4Across, 10.0, 1, 1, ok};
    // 3 * 178 - 2 * 10 = 514 mm exactly, 257 mm high.
    QTest::newRow("exactly three across") << Sheets{QSize(1000, 500), "width:514", a4, 10.0, 1, 3, ok};
    // 0.01 mm more needs a fourth column, which carries 10.01 mm.
    QTest::newRow("a hair over three") << Sheets{QSize(1000, 500), "width:514.01", a4, 10.0, 1, 4, ok};
    // 356 = 2 * 178 across and down, without overlap.
    QTest::newRow("no overlap") << Sheets{QSize(1000, 1000), "width:356", a4, 0.0, 2, 2, ok};
    // (356 - 150) / (178 - 150) = 7.4 -> 8 across, (356 - 150) / (265 - 150) = 1.8 -> 2 down.
    QTest::newRow("wide overlap") << Sheets{QSize(1000, 1000), "width:356", a4, 150.0, 2, 8, ok};
    QTest::newRow("smaller than a sheet") << Sheets{QSize(100, 100), "true", a4, 10.0, 1, 1, ok};
    QTest::newRow("one sheet") << Sheets{QSize(989, 630), "one sheet", a4, 10.0, 1, 1, ok};
    QTest::newRow("one sheet, tall picture") << Sheets{QSize(300, 2000), "one sheet", a4Across, 10.0, 1, 1, ok};

    QTest::newRow("overlap a whole window") << Sheets{QSize(1000, 500), "width:600", a4, 178.0, 0, 0, poster::Problem::OverlapTooLarge};
    // 25 * 178 = 4450 mm across, 5200 mm down: 25 x 20 sheets, the most allowed.
    QTest::newRow("the most sheets") << Sheets{QSize(445, 520), "width:4450", a4, 0.0, 20, 25, ok};
    QTest::newRow("a kilometre wide") << Sheets{QSize(1000, 500), "width:1000000", a4, 10.0, 0, 0, poster::Problem::TooManySheets};
    QTest::newRow("empty canvas") << Sheets{QSize(0, 0), "true", a4, 10.0, 0, 0, poster::Problem::EmptyPicture};
    QTest::newRow("a poster of no width") << Sheets{QSize(1000, 500), "width:0", a4, 10.0, 0, 0, poster::Problem::EmptyPicture};
    QTest::newRow("margins leave a window of no width") << Sheets{QSize(100, 100), "true", printable(QPageSize::A4, QPageLayout::Portrait, 99), 10.0, 0, 0, poster::Problem::NoRoom};
  }
  // clang-format on

  // Counts for known sizes; every pixel on at least one sheet; neighbours
  // sharing exactly the overlap; no sheet without a part of its own.
  void sheets() {
    QFETCH(Sheets, sheets);
    const auto& [picture, size, printable, overlap, rows, columns, problem] = sheets;

    const double value = size.section(':', 1).toDouble();
    QSizeF physical = poster::trueSizeMm(picture);
    if (size.startsWith("width")) physical = poster::sizeForWidthMm(picture, value);
    if (size.startsWith("across"))
      physical = poster::sizeForSheetsAcross(picture, int(value), printable, overlap);
    const poster::Layout layout =
        size == "one sheet"
            ? poster::oneSheet(picture, printable)
            : poster::posterSheets(picture, physical, printable, overlap, size.endsWith("centred"));
    QCOMPARE(layout.problem, problem);
    QCOMPARE(QList({layout.rows, layout.columns, int(layout.sheets.size())}),
             QList({rows, columns, rows * columns}));
    if (problem != poster::Problem::None) return;

    // One scale for the whole picture: the poster's physical size, or the
    // largest that fits one sheet.
    const double mmPerPixel = size == "one sheet" ? std::min(printable.width() / picture.width(),
                                                             printable.height() / picture.height())
                                                  : physical.width() / picture.width();
    const double band = layout.poster ? poster::kMarkBandMm : 0;  // a poster's marks go round it
    const QRectF area = printable.adjusted(band, band, -band, -band);
    const auto near = [](double a, double b) { return std::abs(a - b) < 1e-6; };
    for (const poster::Sheet& sheet : layout.sheets) {
      const poster::Sheet& origin = layout.sheets[std::size_t(sheet.row * columns)];
      const poster::Sheet& top = layout.sheets[std::size_t(sheet.column)];
      // A grid: a row shares its heights, a column its widths.
      QVERIFY(near(sheet.source.top(), origin.source.top()));
      QVERIFY(near(sheet.source.left(), top.source.left()));
      QVERIFY(near(sheet.source.width(), top.source.width()));
      QVERIFY(!sheet.source.isEmpty() && QRectF(QPointF(), QSizeF(picture)).contains(sheet.source));
      QVERIFY2(sheet.place.adjusted(1e-9, 1e-9, -1e-9, -1e-9).intersected(area) ==
                   sheet.place.adjusted(1e-9, 1e-9, -1e-9, -1e-9),
               "a sheet's picture stays inside its printable area, out of the mark band");
      QVERIFY(near(sheet.place.width(), sheet.source.width() * mmPerPixel));
      QVERIFY(near(sheet.place.height(), sheet.source.height() * mmPerPixel));
    }
    if (size == "one sheet") {
      const QRectF& place = layout.sheets[0].place;
      QVERIFY(near(QLineF(place.center(), printable.center()).length(), 0));  // centred
      QVERIFY(near(place.width(), printable.width()) || near(place.height(), printable.height()));
    }
    // Along each axis the sheets run from the first pixel to the last, each
    // sharing exactly the overlap with the one before (so no pixel is on no
    // sheet) and reaching past it.
    const auto checkAxis = [&](int count, int stride, int pixels, bool across) {
      const auto source = [&](int i) { return layout.sheets[std::size_t(i * stride)].source; };
      const auto start = [&](int i) { return across ? source(i).left() : source(i).top(); };
      const auto end = [&](int i) { return across ? source(i).right() : source(i).bottom(); };
      QVERIFY(start(0) == 0.0 && near(end(count - 1), pixels));  // from edge to edge
      for (int i = 1; i < count; ++i) {
        QVERIFY(near((end(i - 1) - start(i)) * mmPerPixel, overlap));
        QVERIFY2((end(i) - end(i - 1)) * mmPerPixel > 1e-3, "a sheet adds nothing new");
      }
    };
    checkAxis(columns, 1, picture.width(), true);
    checkAxis(rows, columns, picture.height(), false);
  }

  // The sizes a poster can be given, on A4 as Qt's PDF output lays it out
  // (10-point margins: windows of 190.94 x 277.94 mm, neighbours sharing 10
  // mm; Qt gives them to a hundredth of a millimetre), for a 2800 x 2700
  // pixel canvas (740.8 x 714.4 mm at its true size).
  // n sheets span n * window - (n - 1) * 10 mm; what they leave blank is that
  // less the poster, at the end or, centred, half at each end.
  void posterSizes_data() {
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("expected");  // columns x rows, size, blank left right top bottom
    // clang-format off
    // (740.8 - 10) / 180.94 = 4.04: a fifth column of 17.1 mm, 173.9 mm of it blank.
    QTest::newRow("true size") << "true" << "5 x 3, 740.8 x 714.4 mm, blank 0.0 173.9 0.0 99.4";
    QTest::newRow("true size, centred") << "true centred" << "5 x 3, 740.8 x 714.4 mm, blank 86.9 86.9 49.7 49.7";
    // 4 * 190.94 - 30 = 733.8 mm wide.
    QTest::newRow("four across") << "across:4" << "4 x 3, 733.8 x 707.6 mm, blank 0.0 0.0 0.0 106.3";
    // 2 * 277.94 - 10 = 545.9 mm high, 566.1 wide: (556.1 / 180.94) -> 4 across.
    QTest::newRow("two down") << "down:2" << "4 x 2, 566.1 x 545.9 mm, blank 0.0 167.7 0.0 0.0";
    // Fitted into 4 x 3 the width fills its four sheets; into 4 x 2 the height its two.
    QTest::newRow("fit 4 x 3") << "fit:4x3 centred" << "4 x 3, 733.8 x 707.6 mm, blank 0.0 0.0 53.1 53.1";
    QTest::newRow("fit 4 x 2") << "fit:4x2 centred" << "4 x 2, 566.1 x 545.9 mm, blank 83.8 83.8 0.0 0.0";
    // 2 across: 371.9 mm wide and 358.6 high, which two rows hold.
    QTest::newRow("fit 2 x 3") << "fit:2x3" << "2 x 2, 371.9 x 358.6 mm, blank 0.0 0.0 0.0 187.3";
    QTest::newRow("half size") << "percent:50" << "2 x 2, 370.4 x 357.2 mm, blank 0.0 1.5 0.0 188.7";
    QTest::newRow("20 cm wide") << "width:20" << "2 x 1, 200.0 x 192.9 mm, blank 0.0 171.9 0.0 85.1";
    // clang-format on
  }
  void posterSizes() {
    QFETCH(QString, size);
    QFETCH(QString, expected);
    const QString value = size.section(' ', 0, 0).section(':', 1);
    PrintSettings chosen{PrintSettings::Mode::Poster};
    chosen.centred = size.endsWith("centred");
    const QMap<QString, PrintSettings::Size> kinds{
        {"true", PrintSettings::Size::TrueSize},       {"width", PrintSettings::Size::WidthCm},
        {"across", PrintSettings::Size::SheetsAcross}, {"down", PrintSettings::Size::SheetsDown},
        {"fit", PrintSettings::Size::SheetsFit},       {"percent", PrintSettings::Size::Percent}};
    chosen.size = kinds.value(size.section(QRegularExpression("[: ]"), 0, 0));
    chosen.widthCm = chosen.percent = value.toDouble();
    chosen.sheetsAcross = size.startsWith("fit") ? value.section('x', 0, 0).toInt() : value.toInt();
    chosen.sheetsDown = size.startsWith("fit") ? value.section('x', 1).toInt() : value.toInt();
    const QPageLayout page(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                           QMarginsF(10, 10, 10, 10), QPageLayout::Point);
    const QSize picture(2800, 2700);
    const poster::Layout layout = print_job::layoutFor(picture, chosen, page);
    QCOMPARE(int(layout.sheets.size()), layout.rows * layout.columns);
    const QRectF window = print_job::printableMm(page).adjusted(6, 6, -6, -6);
    const poster::Sheet &first = layout.sheets.front(), &last = layout.sheets.back();
    const double mmPerPixel = first.place.width() / first.source.width();
    const auto mm = [](double length) {  // + 0.0 makes -0.0 read 0.0
      return QString::number(std::round(length * 10) / 10 + 0.0, 'f', 1);
    };
    QCOMPARE(
        QString("%1 x %2, %3 x %4 mm, blank %5 %6 %7 %8")
            .arg(layout.columns)
            .arg(layout.rows)
            .arg(mm(picture.width() * mmPerPixel), mm(picture.height() * mmPerPixel),
                 mm(first.place.left() - window.left()), mm(window.right() - last.place.right()),
                 mm(first.place.top() - window.top()), mm(window.bottom() - last.place.bottom())),
        expected);
  }
};

QTEST_APPLESS_MAIN(TstPosterLayout)
#include "tst_poster_layout.moc"
