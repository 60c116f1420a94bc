#include <QPalette>
#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/colour.h"
#include "common/numbers.h"
#include "tests/support/test_helpers.h"

class TstColourNumbers : public QObject {
  Q_OBJECT

 private slots:
  void channels_data() {
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<ColourRef>("ref");
    QTest::addColumn<QString>("text");
    QTest::newRow("red") << 255 << 0 << 0 << ColourRef(0x0000FF) << "RGB(255,0,0)";
    QTest::newRow("green") << 0 << 255 << 0 << ColourRef(0x00FF00) << "RGB(0,255,0)";
    QTest::newRow("blue") << 0 << 0 << 255 << ColourRef(0xFF0000) << "RGB(0,0,255)";
    QTest::newRow("mixed") << 0x12 << 0x34 << 0x56 << ColourRef(0x563412) << "RGB(18,52,86)";
  }

  void channels() {
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(ColourRef, ref);
    QCOMPARE(colour::rgb(r, g, b), ref);
    QCOMPARE(colour::red(ref), r);
    QCOMPARE(colour::green(ref), g);
    QCOMPARE(colour::blue(ref), b);
    QCOMPARE(colour::toPixel(ref), qRgb(r, g, b));
    QCOMPARE(colour::fromPixel(qRgba(r, g, b, 0)), ref);  // alpha plays no part
    QCOMPARE(colour::toQColor(ref), QColor(r, g, b));
    QCOMPARE(colour::fromQColor(QColor(r, g, b).toHsv()), ref);
    QVERIFY(!colour::isSystemColour(ref));
    QTEST(colour::rgbText(ref), "text");
  }

  void systemColours() {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Base, QColor(4, 5, 6));
    palette.setColor(QPalette::Window, QColor(7, 8, 9));
    QCOMPARE(colour::toQColor(colour::kButtonFace, palette), QColor(1, 2, 3));
    QCOMPARE(colour::toQColor(colour::kWindowBackground, palette), QColor(4, 5, 6));
    QCOMPARE(colour::toQColor(0x80000042u, palette), QColor(7, 8, 9));  // unknown number
    QCOMPARE(colour::toQColor(colour::kButtonFace),
             QGuiApplication::palette().color(QPalette::Button));
    QVERIFY(colour::isSystemColour(colour::kButtonFace));
    QVERIFY(!colour::isSystemColour(colour::kInvalid));
  }

  void roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<int>("expected32");
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr int kMax32 = std::numeric_limits<int>::max(),
                  kMin32 = std::numeric_limits<int>::min();
    QTest::newRow("376.5") << 376.5 << qint64(376) << 376;
    QTest::newRow("302.5") << 302.5 << qint64(302) << 302;
    QTest::newRow("2.5") << 2.5 << qint64(2) << 2;
    QTest::newRow("3.5") << 3.5 << qint64(4) << 4;
    QTest::newRow("-0.5") << -0.5 << qint64(0) << 0;
    QTest::newRow("-2.5") << -2.5 << qint64(-2) << -2;
    QTest::newRow("-3.5") << -3.5 << qint64(-4) << -4;
    QTest::newRow("just below 0.5") << 0.49999999999999994 << qint64(0) << 0;
    QTest::newRow("just above 2.5") << 2.5000000000000004 << qint64(3) << 3;
    QTest::newRow("2^31 - 0.5") << 2147483647.5 << qint64(2147483648) << kMax32;
    QTest::newRow("-2^31 - 0.5") << -2147483648.5 << qint64(-2147483648) << kMin32;
    QTest::newRow("2^52 - 0.5") << 4503599627370495.5 << qint64(4503599627370496) << kMax32;
    QTest::newRow("below 2^63") << 0x1.fffffffffffffp62 << qint64(0x7FFFFFFFFFFFFC00) << kMax32;
    QTest::newRow("2^63") << 0x1p63 << kMax << kMax32;
    QTest::newRow("-2^63") << -0x1p63 << std::numeric_limits<qint64>::min() << kMin32;
    QTest::newRow("nan") << std::nan("") << qint64(0) << 0;
  }

  void roundHalfEven() {
    QFETCH(double, value);
    QTEST(qint64(numbers::roundHalfEven(value)), "expected");
    QTEST(numbers::roundHalfEven32(value), "expected32");
  }

  void shortestFloatText_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");  // empty: only short and reads back
    QTest::newRow("120.4") << 120.4f << "120.4";
    QTest::newRow("320") << 320.0f << "320";
    QTest::newRow("0.1") << 0.1f << "0.1";
    QTest::newRow("-2.75") << -2.75f << "-2.75";
    QTest::newRow("1e-7") << 1e-7f << QString();
    QTest::newRow("-0.3") << -0.3f << QString();
    QTest::newRow("max") << std::numeric_limits<float>::max() << QString();
    QTest::newRow("denormal") << std::numeric_limits<float>::denorm_min() << QString();
  }

  void shortestFloatText() {
    QFETCH(float, value);
    QFETCH(QString, expected);
    const QString text = numbers::shortestFloatText(value);
    if (!expected.isEmpty()) QCOMPARE(text, expected);
    QCOMPARE(std::strtof(text.toLatin1().constData(), nullptr), value);
    // Shortest: one significant digit fewer no longer reads back as the value.
    QString digits = text.section(QLatin1Char('e'), 0, 0).remove(QRegularExpression("[^0-9]"));
    digits.remove(QRegularExpression("^0+|0+$"));
    if (digits.size() > 1)
      QVERIFY(std::strtof(QByteArray::number(value, 'g', int(digits.size()) - 1), nullptr) !=
              value);
  }

  void fieldInteger16_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<std::int16_t>>("expected");
    const std::optional<std::int16_t> none;
    QTest::newRow("blanks around") << " 12 " << std::optional<std::int16_t>(12);
    QTest::newRow("plus sign") << "+7" << std::optional<std::int16_t>(7);
    QTest::newRow("lowest") << "-32768" << std::optional<std::int16_t>(-32768);
    QTest::newRow("highest") << "32767" << std::optional<std::int16_t>(32767);
    QTest::newRow("one too high") << "32768" << none;
    QTest::newRow("one too low") << "-32769" << none;
    QTest::newRow("trailing letter") << "12a" << none;
    QTest::newRow("fraction") << "12.0" << none;
    QTest::newRow("empty") << "" << none;
  }

  void fieldInteger16() {
    QFETCH(QString, text);
    QTEST(numbers::fieldInteger16(text), "expected");
  }

  void leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("12abc") << "12abc" << 12.0;
    QTest::newRow("abc") << "abc" << 0.0;
    QTest::newRow(" 3.5") << " 3.5" << 3.5;
    QTest::newRow("-2x") << "-2x" << -2.0;
    QTest::newRow("+4") << "+4" << 4.0;
    QTest::newRow(".5") << ".5" << 0.5;
    QTest::newRow("1.25.3") << "1.25.3" << 1.25;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("two signs") << "--5" << 0.0;
    QTest::newRow("plus minus") << "+-5" << 0.0;
    QTest::newRow("inf") << "inf" << 0.0;
  }

  void leadingNumber() {
    QFETCH(QString, text);
    QTEST(numbers::leadingNumber(text), "expected");
  }
};

QTEST_MAIN(TstColourNumbers)

#include "tst_colour_numbers.moc"
