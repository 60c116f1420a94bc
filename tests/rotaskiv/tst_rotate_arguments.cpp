#include <QtTest>

#include "rotaskiv/rotate_arguments.h"

class TestRotateArguments : public QObject {
  Q_OBJECT

 private slots:
  // Inputs: the angle, zoom, transparency, hue, saturation and threshold
  // sliders, the display's width and height (the source is 320 x 240, white
  // masked). Arguments: angle, centre, source corner and size, zoom, mask,
  // transparency, hue, saturation, threshold.
  // clang-format off
  void arguments_data() {
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("arguments");
    QTest::newRow("start-up") << "0 200 100 0 100 100 753 605" << "6.2832 376,302 0,0 320x240 1 ffffff 1 0 1 1";
    QTest::newRow("angle 90") << "90 200 100 0 100 100 753 605" << "4.7082 376,302 0,0 320x240 1 ffffff 1 0 1 1";
    QTest::newRow("angle 359") << "359 200 100 0 100 100 753 605" << "0.0007 376,302 0,0 320x240 1 ffffff 1 0 1 1";
    QTest::newRow("angle 360") << "360 200 100 0 100 100 753 605" << "-0.0168 376,302 0,0 320x240 1 ffffff 1 0 1 1";
    QTest::newRow("halves to even") << "0 200 100 0 100 100 755 1" << "6.2832 378,0 0,0 320x240 1 ffffff 1 0 1 1";
    QTest::newRow("least zoom") << "0 20 100 0 100 100 753 605" << "6.2832 376,302 0,0 320x240 0.1 ffffff 1 0 1 1";
    QTest::newRow("factors") << "0 123 37 120 200 199 753 605" << "6.2832 376,302 0,0 320x240 0.615 ffffff 0.37 0.333333 2 1.99";
  }
  // clang-format on

  void arguments() {
    QFETCH(QString, inputs);
    QFETCH(QString, arguments);
    const QStringList n = inputs.split(' ');
    DrawInputs in{0x00FFFFFF,   n[0].toInt(), n[6].toFloat(), n[7].toFloat(), 320,         240,
                  n[1].toInt(), n[2].toInt(), n[3].toInt(),   n[4].toInt(),   n[5].toInt()};
    const RotateArguments a = computeRotateArguments(in);
    QCOMPARE(
        QString::asprintf("%g %d,%d %d,%d %dx%d %g %x %g %g %g %g", a.angle, a.cx, a.cy, a.sx, a.sy,
                          a.sw, a.sh, a.zoom, a.mask, a.alpha, a.hue, a.saturation, a.threshold),
        arguments);
  }
};

QTEST_MAIN(TestRotateArguments)

#include "tst_rotate_arguments.moc"
