#include <QPageLayout>
#include <QTest>

#include "glyphant/poster_layout.h"

// The picture, the size asked for ("true", "one sheet", "width:MM", "percent:P",
// "across:N", "down:N" or "fit:NxM", any of them "centred"), the printable
// area, the overlap; the rows, columns and problem expected, and where given
// the poster's size and what its sheets leave blank left, right, above and below.
using Sheets = std::tuple<QSize, QString, QRectF, double, int, int, poster::Problem, QString>;

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
    QTest::newRow("start canvas, true size, A4") << Sheets{QSize(989, 630), "true", a4, 10.0, 1, 2, ok, ""};
    // 2000 points of type on 2700 x 2800 px = 714.4 x 740.8 mm: 704.4 / 168 = 4.2 -> 5
    // across, 730.8 / 255 = 2.9 -> 3 down.
    QTest::newRow("2000-point character, A4") << Sheets{QSize(2700, 2800), "true", a4, 10.0, 3, 5, ok, ""};
    // 704.4 / 173.9 = 4.05 -> 5 across, 730.8 / 237.4 = 3.08 -> 4 down.
    QTest::newRow("2000-point character, Letter") << Sheets{QSize(2700, 2800), "true", letter, 10.0, 4, 5, ok, ""};
    // 261.7 x 166.7 mm fits the landscape window of 265 x 178.
    QTest::newRow("start canvas, landscape") << Sheets{QSize(989, 630), "true", a4Across, 10.0, 1, 1, ok, ""};
    // 3 * 178 - 2 * 10 = 514 mm exactly, 257 mm high.
    QTest::newRow("exactly three across") << Sheets{QSize(1000, 500), "width:514", a4, 10.0, 1, 3, ok, ""};
    // 0.01 mm more needs a fourth column, which carries 10.01 mm.
    QTest::newRow("a hair over three") << Sheets{QSize(1000, 500), "width:514.01", a4, 10.0, 1, 4, ok, ""};
    // 356 = 2 * 178 across and down, without overlap.
    QTest::newRow("no overlap") << Sheets{QSize(1000, 1000), "width:356", a4, 0.0, 2, 2, ok, ""};
    // (356 - 150) / (178 - 150) = 7.4 -> 8 across, (356 - 150) / (265 - 150) = 1.8 -> 2 down.
    QTest::newRow("wide overlap") << Sheets{QSize(1000, 1000), "width:356", a4, 150.0, 2, 8, ok, ""};
    // A 2800 x 2700 px canvas is 740.8 x 714.4 mm: 730.8 / 168 = 4.35 -> 5 across, 704.4 / 255
    // = 2.76 -> 3 down; 5 * 178 - 40 = 850 mm and 3 * 265 - 20 = 775 mm hold it, leaving
    // 109.2 and 60.6 mm.
    QTest::newRow("2800 px, true size") << Sheets{QSize(2800, 2700), "true", a4, 10.0, 3, 5, ok, "740.8 x 714.4 mm, 0.0 109.2 0.0 60.6"};
    QTest::newRow("2800 px, centred") << Sheets{QSize(2800, 2700), "true centred", a4, 10.0, 3, 5, ok, "740.8 x 714.4 mm, 54.6 54.6 30.3 30.3"};
    // 4 * 178 - 30 = 682 mm across; 2 * 265 - 10 = 520 mm down, 539.3 wide: 529.3 / 168 -> 4.
    QTest::newRow("2800 px, four across") << Sheets{QSize(2800, 2700), "across:4", a4, 10.0, 3, 4, ok, "682.0 x 657.6 mm, 0.0 0.0 0.0 117.4"};
    QTest::newRow("2800 px, two down") << Sheets{QSize(2800, 2700), "down:2", a4, 10.0, 2, 4, ok, "539.3 x 520.0 mm, 0.0 142.7 0.0 0.0"};
    // Fitted into 4 x 3 the width fills four sheets; into 4 x 2 the height fills two.
    QTest::newRow("2800 px, fit 4 x 3") << Sheets{QSize(2800, 2700), "fit:4x3 centred", a4, 10.0, 3, 4, ok, "682.0 x 657.6 mm, 0.0 0.0 58.7 58.7"};
    QTest::newRow("2800 px, fit 4 x 2") << Sheets{QSize(2800, 2700), "fit:4x2 centred", a4, 10.0, 2, 4, ok, "539.3 x 520.0 mm, 71.4 71.4 0.0 0.0"};
    // 370.4 x 357.2 mm: 360.4 / 168 -> 3 across, 347.2 / 255 -> 2 down.
    QTest::newRow("2800 px, half size") << Sheets{QSize(2800, 2700), "percent:50", a4, 10.0, 2, 3, ok, "370.4 x 357.2 mm, 0.0 143.6 0.0 162.8"};
    QTest::newRow("smaller than a sheet") << Sheets{QSize(100, 100), "true", a4, 10.0, 1, 1, ok, ""};
    QTest::newRow("one sheet") << Sheets{QSize(989, 630), "one sheet", a4, 10.0, 1, 1, ok, ""};
    QTest::newRow("one sheet, tall picture") << Sheets{QSize(300, 2000), "one sheet", a4Across, 10.0, 1, 1, ok, ""};

    QTest::newRow("overlap a whole window") << Sheets{QSize(1000, 500), "width:600", a4, 178.0, 0, 0, poster::Problem::OverlapTooLarge, ""};
    // 25 * 178 = 4450 mm across, 5200 mm down: 25 x 20 sheets, the most allowed.
    QTest::newRow("the most sheets") << Sheets{QSize(445, 520), "width:4450", a4, 0.0, 20, 25, ok, ""};
    QTest::newRow("a kilometre wide") << Sheets{QSize(1000, 500), "width:1000000", a4, 10.0, 0, 0, poster::Problem::TooManySheets, ""};
    QTest::newRow("empty canvas") << Sheets{QSize(0, 0), "true", a4, 10.0, 0, 0, poster::Problem::EmptyPicture, ""};
    QTest::newRow("a poster of no width") << Sheets{QSize(1000, 500), "width:0", a4, 10.0, 0, 0, poster::Problem::EmptyPicture, ""};
    QTest::newRow("margins leave a window of no width") << Sheets{QSize(100, 100), "true", printable(QPageSize::A4, QPageLayout::Portrait, 99), 10.0, 0, 0, poster::Problem::NoRoom, ""};
  }
  // clang-format on

  // Counts for known sizes; every pixel on at least one sheet; neighbours
  // sharing exactly the overlap; no sheet without a part of its own.
  void sheets() {
    QFETCH(Sheets, sheets);
    const auto& [picture, size, printable, overlap, rows, columns, problem, sizeAndBlanks] = sheets;

    const QStringList values = size.section(':', 1).section(' ', 0, 0).split('x');
    const double value = values[0].toDouble();
    const int down = values.value(1).toInt();
    QSizeF physical = poster::trueSizeMm(picture);
    if (size.startsWith("width")) physical = poster::sizeForWidthMm(picture, value);
    if (size.startsWith("percent")) physical = poster::sizeForPercent(picture, value);
    if (size.startsWith("across"))
      physical = poster::sizeForSheetsAcross(picture, int(value), printable, overlap);
    if (size.startsWith("down"))
      physical = poster::sizeForSheetsDown(picture, int(value), printable, overlap);
    if (size.startsWith("fit"))
      physical = poster::sizeForSheets(picture, int(value), down, printable, overlap);
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
    // What the sheets leave blank is at the end, or centred half at each end.
    const QRectF &first = layout.sheets.front().place, &last = layout.sheets.back().place;
    if (!sizeAndBlanks.isEmpty())
      QCOMPARE(QString::asprintf("%.1f x %.1f mm, %.1f %.1f %.1f %.1f", physical.width(),
                                 physical.height(), first.left() - area.left() + 0.0,
                                 area.right() - last.right() + 0.0, first.top() - area.top() + 0.0,
                                 area.bottom() - last.bottom() + 0.0),
               sizeAndBlanks);
  }
};

QTEST_APPLESS_MAIN(TstPosterLayout)
#include "tst_poster_layout.moc"
