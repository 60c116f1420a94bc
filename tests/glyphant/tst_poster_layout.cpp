#include <QPageLayout>
#include <QTest>

#include "glyphant/poster_layout.h"

// The picture, the size asked for ("true", "one sheet", "width:MM" or
// "across:N"), the printable area, the overlap; the rows, columns and problem expected.
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
    const poster::Layout layout = size == "one sheet"
                                      ? poster::oneSheet(picture, printable)
                                      : poster::posterSheets(picture, physical, printable, overlap);
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
};

QTEST_APPLESS_MAIN(TstPosterLayout)
#include "tst_poster_layout.moc"
