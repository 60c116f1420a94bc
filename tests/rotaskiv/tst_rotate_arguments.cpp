#include <QtTest>

#include "rotaskiv/rotate_arguments.h"

class TestRotateArguments : public QObject {
  Q_OBJECT

 private slots:
  // Inputs: the angle, zoom, transparency, hue, saturation and threshold
  // sliders, the display's width and height (the source is 320 x 240, white
  // masked). Arguments: angle, centre, zoom, transparency, hue, saturation,
  // threshold; the source corner (0, 0), its size and the mask always pass as they are.
  // clang-format off
  void arguments_data() {
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("arguments");
    QTest::newRow("start-up") << "0 200 100 0 100 100 753 605" << "6.2832 376,302 1 1 0 1 1";
    QTest::newRow("angle 90") << "90 200 100 0 100 100 753 605" << "4.7082 376,302 1 1 0 1 1";
    QTest::newRow("angle 359") << "359 200 100 0 100 100 753 605" << "0.0007 376,302 1 1 0 1 1";
    QTest::newRow("angle 360") << "360 200 100 0 100 100 753 605" << "-0.0168 376,302 1 1 0 1 1";
    QTest::newRow("halves to even") << "0 200 100 0 100 100 755 1" << "6.2832 378,0 1 1 0 1 1";
    QTest::newRow("least zoom") << "0 20 100 0 100 100 753 605" << "6.2832 376,302 0.1 1 0 1 1";
    QTest::newRow("factors") << "0 123 37 120 200 199 753 605" << "6.2832 376,302 0.615 0.37 0.333333 2 1.99";
  }
  // clang-format on

  void arguments() {
    QFETCH(QString, inputs);
    QFETCH(QString, arguments);
    const QStringList n = inputs.split(' ');
    const DrawInputs in{0x00FFFFFF,   n[0].toInt(), n[6].toFloat(), n[7].toFloat(),
                        320,          240,          n[1].toInt(),   n[2].toInt(),
                        n[3].toInt(), n[4].toInt(), n[5].toInt()};
    const RotateArguments a = computeRotateArguments(in);
    QCOMPARE(QString::asprintf("%d,%d %dx%d %x", a.sx, a.sy, a.sw, a.sh, a.mask),
             QString("0,0 320x240 ffffff"));
    QCOMPARE(QString::asprintf("%g %d,%d %g %g %g %g %g", a.angle, a.cx, a.cy, a.zoom, a.alpha,
                               a.hue, a.saturation, a.threshold),
             arguments);
  }
};

QTEST_MAIN(TestRotateArguments)

#include "tst_rotate_arguments.moc"
