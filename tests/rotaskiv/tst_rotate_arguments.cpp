#include <QtTest>

#include "rotaskiv/rotate_arguments.h"

namespace {

class TestRotateArguments : public QObject {
  Q_OBJECT

 private slots:
  void arguments_data();
  void arguments();
};

// Each row moves inputs away from the start-up scene (sliders at reset, the
// 753 x 605 display, the 320 x 240 sample, white masked): "angle=360" sets the
// slider, "width=755" the display.
void TestRotateArguments::arguments_data() {
  QTest::addColumn<QString>("inputs");
  QTest::addColumn<QString>("arguments");
  QTest::newRow("start-up") << ""
                            << "6.2832 376,302 0,0 320x240 1 ffffff 1 0 1 1";
  QTest::newRow("angle 90") << "angle=90"
                            << "4.7082 376,302 0,0 320x240 1 ffffff 1 0 1 1";
  QTest::newRow("angle 359") << "angle=359"
                             << "0.0007 376,302 0,0 320x240 1 ffffff 1 0 1 1";
  QTest::newRow("angle 360: below zero") << "angle=360"
                                         << "-0.0168 376,302 0,0 320x240 1 ffffff 1 0 1 1";
  QTest::newRow("halves to even") << "width=755 height=1"
                                  << "6.2832 378,0 0,0 320x240 1 ffffff 1 0 1 1";
  QTest::newRow("smallest zoom is 0.1") << "zoom=20"
                                        << "6.2832 376,302 0,0 320x240 0.1 ffffff 1 0 1 1";
  QTest::newRow("factors") << "zoom=123 transparency=37 hue=120 saturation=200 threshold=199"
                           << "6.2832 376,302 0,0 320x240 0.615 ffffff 0.37 0.333333 2 1.99";
}

void TestRotateArguments::arguments() {
  QFETCH(QString, inputs);
  QFETCH(QString, arguments);
  DrawInputs in;
  in.mask = 0x00FFFFFF;
  in.displayWidth = 753;
  in.displayHeight = 605;
  in.sourceWidth = 320;
  in.sourceHeight = 240;
  const QMap<QString, int DrawInputs::*> sliders{{"angle", &DrawInputs::angle},
                                                 {"zoom", &DrawInputs::zoom},
                                                 {"transparency", &DrawInputs::transparency},
                                                 {"hue", &DrawInputs::hue},
                                                 {"saturation", &DrawInputs::saturation},
                                                 {"threshold", &DrawInputs::threshold}};
  for (const QString& input : inputs.split(' ', Qt::SkipEmptyParts)) {
    const QString name = input.section('=', 0, 0);
    const int value = input.section('=', 1).toInt();
    if (sliders.contains(name)) in.*sliders[name] = value;
    if (name == "width") in.displayWidth = float(value);
    if (name == "height") in.displayHeight = float(value);
  }
  const RotateArguments a = computeRotateArguments(in);
  QCOMPARE(
      QString::asprintf("%g %d,%d %d,%d %dx%d %g %x %g %g %g %g", a.angle, a.cx, a.cy, a.sx, a.sy,
                        a.sw, a.sh, a.zoom, a.mask, a.alpha, a.hue, a.saturation, a.threshold),
      arguments);
}

}  // namespace

QTEST_MAIN(TestRotateArguments)

#include "tst_rotate_arguments.moc"
