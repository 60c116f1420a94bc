#include <QtTest>

#include "rotaskiv/rotate_arguments.h"

namespace {

class TestRotateArguments : public QObject {
  Q_OBJECT

 private slots:
  void angleFromSlider_data();
  void angleFromSlider();
  void centreRoundsHalfToEven_data();
  void centreRoundsHalfToEven();
  void factors_data();
  void factors();
  void resetValuesGiveTheLoadedPicture();
};

void TestRotateArguments::angleFromSlider_data() {
  QTest::addColumn<int>("slider");
  QTest::addColumn<float>("angle");
  QTest::newRow("0 is 6.2832, not 0") << 0 << 6.2832f;
  QTest::newRow("90") << 90 << 4.7082f;
  QTest::newRow("180") << 180 << 3.1332f;
  QTest::newRow("270") << 270 << 1.5582f;
  QTest::newRow("359") << 359 << 0.0007f;
  QTest::newRow("360 is below zero") << 360 << -0.0168f;
}

void TestRotateArguments::angleFromSlider() {
  QFETCH(int, slider);
  QFETCH(float, angle);
  DrawInputs in;
  in.angle = slider;
  // Exactly the single-precision value nearest the four-decimal result.
  QCOMPARE(computeRotateArguments(in).angle, angle);
}

void TestRotateArguments::centreRoundsHalfToEven_data() {
  QTest::addColumn<float>("width");
  QTest::addColumn<float>("height");
  QTest::addColumn<int>("cx");
  QTest::addColumn<int>("cy");
  QTest::newRow("the display, 753 x 605") << 753.f << 605.f << 376 << 302;
  QTest::newRow("halves round up to even") << 755.f << 607.f << 378 << 304;
  QTest::newRow("even sizes") << 800.f << 600.f << 400 << 300;
  QTest::newRow("1 x 3") << 1.f << 3.f << 0 << 2;
}

void TestRotateArguments::centreRoundsHalfToEven() {
  QFETCH(float, width);
  QFETCH(float, height);
  QFETCH(int, cx);
  QFETCH(int, cy);
  DrawInputs in;
  in.displayWidth = width;
  in.displayHeight = height;
  const RotateArguments out = computeRotateArguments(in);
  QCOMPARE(out.cx, cx);
  QCOMPARE(out.cy, cy);
}

void TestRotateArguments::factors_data() {
  QTest::addColumn<int>("zoom");
  QTest::addColumn<int>("transparency");
  QTest::addColumn<int>("hue");
  QTest::addColumn<int>("saturation");
  QTest::addColumn<int>("threshold");
  QTest::addColumn<float>("zoomFactor");
  QTest::addColumn<float>("alpha");
  QTest::addColumn<float>("hueFactor");
  QTest::addColumn<float>("saturationFactor");
  QTest::addColumn<float>("thresholdFactor");
  QTest::newRow("smallest zoom is 0.1, never 0")
      << 20 << 0 << 0 << 0 << 0 << 0.1f << 0.f << 0.f << 0.f << 0.f;
  QTest::newRow("largest values") << 400 << 100 << 360 << 200 << 200 << 2.f << 1.f << 1.f << 2.f
                                  << 2.f;
  QTest::newRow("thirds and odd steps")
      << 123 << 37 << 120 << 33 << 199 << float(123 / 200.0) << float(37 / 100.0)
      << float(120 / 360.0) << float(33 / 100.0) << float(199 / 100.0);
}

void TestRotateArguments::factors() {
  QFETCH(int, zoom);
  QFETCH(int, transparency);
  QFETCH(int, hue);
  QFETCH(int, saturation);
  QFETCH(int, threshold);
  DrawInputs in;
  in.zoom = zoom;
  in.transparency = transparency;
  in.hue = hue;
  in.saturation = saturation;
  in.threshold = threshold;
  const RotateArguments out = computeRotateArguments(in);
  QFETCH(float, zoomFactor);
  QCOMPARE(out.zoom, zoomFactor);
  QFETCH(float, alpha);
  QFETCH(float, hueFactor);
  QFETCH(float, saturationFactor);
  QFETCH(float, thresholdFactor);
  QCOMPARE(out.alpha, alpha);
  QCOMPARE(out.hue, hueFactor);
  QCOMPARE(out.saturation, saturationFactor);
  QCOMPARE(out.threshold, thresholdFactor);
}

void TestRotateArguments::resetValuesGiveTheLoadedPicture() {
  DrawInputs in;
  in.mask = 0x00FFFFFF;
  in.displayWidth = 753;
  in.displayHeight = 605;
  in.sourceWidth = 320;
  in.sourceHeight = 240;
  RotateArguments expected;
  expected.angle = 6.2832f;
  expected.cx = 376;
  expected.cy = 302;
  expected.sw = 320;
  expected.sh = 240;
  expected.zoom = 1.0f;
  expected.mask = 0x00FFFFFF;
  expected.alpha = 1.0f;
  expected.hue = 0.0f;
  expected.saturation = 1.0f;
  expected.threshold = 1.0f;
  QVERIFY(computeRotateArguments(in) == expected);
}

}  // namespace

QTEST_MAIN(TestRotateArguments)

#include "tst_rotate_arguments.moc"
