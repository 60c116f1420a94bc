#include <QTest>
#include <climits>
#include <cmath>

#include "common/numbers.h"

using namespace numbers;
using Int16 = std::optional<std::int16_t>;

class TstNumbers : public QObject {
  Q_OBJECT

 private slots:
  void roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    for (int whole = -4; whole <= 3; ++whole)  // a half goes to the even neighbour
      QTest::addRow("%d.5", whole) << whole + 0.5 << qint64(whole % 2 == 0 ? whole : whole + 1);
    QTest::newRow("just above 2.5") << 2.5000000000000004 << qint64(3);
    QTest::newRow("2^31 - 0.5") << 2147483647.5 << qint64(2147483648);
    QTest::newRow("2^63, the first past the largest") << 0x1p63 << qint64(LLONG_MAX);
    QTest::newRow("nan") << std::nan("") << qint64(0);
  }
  void roundHalfEven() {
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(qint64(numbers::roundHalfEven(value)), expected);
    QCOMPARE(roundHalfEven32(value), int(std::clamp<qint64>(expected, INT_MIN, INT_MAX)));
  }

  // Numbers as shown, and as typed into a size field: one sign at most, what follows ignored.
  void numberTexts() {
    QCOMPARE(shortestFloatText(120.4f) + ' ' + shortestFloatText(320.f), "120.4 320");
    QCOMPARE(QList({leadingNumber(" +2.5pt"), leadingNumber("-4"), leadingNumber("--1"),
                    leadingNumber("+")}),
             QList({2.5, -4.0, 0.0, 0.0}));
  }

  void fieldInteger16_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Int16>("expected");
    QTest::newRow("blanks around") << " -32768 " << Int16(-32768);
    QTest::newRow("highest") << "+32767" << Int16(32767);
    QTest::newRow("one too high") << "32768" << Int16();
    QTest::newRow("trailing letter") << "12a" << Int16();
  }
  void fieldInteger16() {
    QFETCH(QString, text);
    QTEST(numbers::fieldInteger16(text), "expected");
  }
};

QTEST_MAIN(TstNumbers)

#include "tst_numbers.moc"
