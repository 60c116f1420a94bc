#include <QTest>

#include "gridorm/table_geometry.h"

using Numbers = QList<double>;

// "x0 y0 W H C R", as typed into the six fields.
static table::Fields fieldsOf(const QString& texts) {
  const QStringList t = texts.split(' ');
  return {t[0], t[1], t[2], t[3], t[4], t[5]};
}

// `count` numbers from `first`, `step` apart.
static Numbers series(double first, double step, int count) {
  Numbers values;
  for (int i = 0; i < count; ++i) values << first + step * i;
  return values;
}

// The six fields, the editor's box "left top width height", moves (R, D, L,
// U) and the coordinate each move changes.
using Walk = std::tuple<QString, QString, QString, QString>;

class TstTableGeometry : public QObject {
  Q_OBJECT

 private slots:
  // Where the rules fall: x of each vertical, y of each horizontal.
  // clang-format off
  void rules_data() {
    QTest::addColumn<QString>("fields");
    QTest::addColumn<Numbers>("verticals");
    QTest::addColumn<Numbers>("horizontals");
    const Numbers rows = series(11, 600, 11);
    QTest::newRow("three columns") << "10 10 10000 6000 3 10" << Numbers{11, 3344, 6677, 10010} << rows;
    QTest::newRow("seven: no right border") << "10 10 10000 6000 7 10" << series(11, 1429, 7) << rows;
    QTest::newRow("negative width") << "10 10 -100 6000 5 10" << series(11, -20, 6) << rows;
    QTest::newRow("no rows, columns not a number") << "10 10 10000 6000 x 0" << Numbers{} << Numbers{};
    QTest::newRow("step rounds to 0") << "10 10 10000 6000 30000 10" << Numbers{} << rows;
    QTest::newRow("up to the 16-bit edge, and no further") << "10 10 32766 6000 2 10" << Numbers{11, 16394, 32777} << rows;
    QTest::newRow("width past 16 bits") << "10 10 40000 6000 5 10" << Numbers{} << rows;
    QTest::newRow("x0 not a number") << "x 10 10000 6000 5 10" << Numbers{} << Numbers{};
    QTest::newRow("y0 past 16 bits") << "10 40000 10000 6000 5 10" << Numbers{} << series(40001, 600, 11);
    QTest::newRow("step 2.5 rounds to 2") << "10 10 5 6000 2 10" << Numbers{11, 13, 15} << rows;
    QTest::newRow("step 3.5 rounds to 4") << "10 10 7 6000 2 10" << Numbers{11, 15} << rows;
    QTest::newRow("far beyond any canvas") << "1e300 10 10000 6000 5 10" << Numbers{} << Numbers{};
  }
  // clang-format on
  void rules() {
    QFETCH(QString, fields);
    Numbers xs, ys;
    for (const QLineF& rule : table::verticalRules(fieldsOf(fields))) xs << rule.x1();
    for (const QLineF& rule : table::horizontalRules(fieldsOf(fields))) ys << rule.y1();
    QTEST(xs, "verticals");
    QTEST(ys, "horizontals");
  }

  void ruleEnds() {
    const table::Fields opening = fieldsOf("10 10 10000 6000 5 10");
    QCOMPARE(table::horizontalRules(opening).constLast(), QLineF(10, 6011, 10010, 6011));
    // The far ends use the rounded corner: 10.5 rounds to 10.
    QCOMPARE(table::verticalRules(fieldsOf("10.5 10.5 10000 6000 5 10")).constFirst(),
             QLineF(11.5, 10.5, 11.5, 6010));
  }

  // The opening placement is the window's to show; here, what cannot be worked out.
  void firstCellWithUnusableFields() {
    const table::Placement p = table::firstCell(fieldsOf("x 10 10000 -6000 0 10"));
    QVERIFY2(!p.left && !p.width && !p.height && p.top == 70.0, "only the top is worked out");
    // A cell of 80 twips leaves room for an editor of none, which is no negative size.
    QCOMPARE(table::firstCell(fieldsOf("10 10 400 6000 5 10")).width.value_or(-1), 0.0);
  }

  // Moves R, D, L, U from the box "left top width height"; after each, the
  // coordinate that move changes.
  // clang-format off
  void walks_data() {
    QTest::addColumn<Walk>("row");
    const QString opening = "10 10 10000 6000 5 10";
    QTest::newRow("right") << Walk{opening, "70 70 1920 520", "RRRRRRR", "2070 4070 6070 8070 10070 8080 8080"};
    QTest::newRow("left") << Walk{opening, "8080 70 1920 520", "LLLLLL", "6080 4080 2080 80 -1920 10"};
    QTest::newRow("up") << Walk{opening, "70 670 1920 520", "UUU", "70 -530 10"};
    QTest::newRow("x0 500") << Walk{"500 10 10000 6000 5 10", "8080 70 1920 520", "RLLLLLL", "8080 6080 4080 2080 80 500 500"};
    QTest::newRow("editor wider than the table") << Walk{"10 10 1000 6000 5 10", "70 70 1920 520", "R", "-920"};
    QTest::newRow("no columns") << Walk{"10 10 10000 6000 0 10", "70 70 1920 520", "RL", "70 70"};
    QTest::newRow("height not a number") << Walk{"10 10 10000 x 5 10", "70 70 1920 520", "DU", "70 70"};
  }
  // clang-format on
  void walks() {
    QFETCH(Walk, row);
    const auto& [fields, box, moves, expected] = row;
    const QStringList b = box.split(' ');
    table::EditorBox editor{b[0].toFloat(), b[1].toFloat(), b[2].toFloat(), b[3].toFloat()};
    QStringList positions;
    for (QChar move : moves) {
      const int m = QString("RLDU").indexOf(move);
      editor = std::array{table::moveRight, table::moveLeft, table::moveDown, table::moveUp}[m](
          editor, fieldsOf(fields));
      positions << QString::number(m < 2 ? editor.left : editor.top);
    }
    QCOMPARE(positions.join(' '), expected);
  }

  void hatch() {
    const QList<QLineF> lines = table::hatchLines(fieldsOf("10 10 10000 6000 5 10"));
    QCOMPARE(lines.size(), 27 * 300);
    QCOMPARE(lines.constFirst(), QLineF(11, 11, 6, 6001));
    QCOMPARE(lines[299], QLineF(5991, 11, 5986, 6001));
    QCOMPARE(lines.constLast(), QLineF(5991, 5991, 5986, 11981));
    QVERIFY2(table::hatchLines(fieldsOf("10 10 10000 6000 abc 10")).isEmpty(),
             "a field that is not a number draws no hatch");
  }
};

QTEST_MAIN(TstTableGeometry)

#include "tst_table_geometry.moc"
