#include <QtTest>

#include <QPainter>
#include <QScreen>

#include "rotaskiv/screen_source.h"
#include "tests/support/image_compare.h"

namespace {

QImage filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

class TestScreenSource : public QObject {
  Q_OBJECT

 private slots:
  void grabsTheRealScreen();
  void installedSourceIsUsedUntilRemoved();
  void routes();
  void pixmapGrabs_data();
  void pixmapGrabs();
  void primaryScreenPart_data();
  void primaryScreenPart();
};

// Reads a real display: runs where there is one (QT_QPA_PLATFORM=xcb or wayland).
void TestScreenSource::grabsTheRealScreen() {
  if (QGuiApplication::platformName() == "offscreen")
    QSKIP("no display: set QT_QPA_PLATFORM=xcb (or wayland) to read a real screen");
  QScreen* screen = QGuiApplication::primaryScreen();
  QWidget cover(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  cover.setStyleSheet("background: #209040");
  cover.setGeometry(screen->geometry());
  cover.show();
  QVERIFY(QTest::qWaitForWindowExposed(&cover));
  QTest::qWait(200);  // for the window system to put it on screen
  const ScreenGrab grab = screenSource().grab();
  QVERIFY2(grab.ok(), qPrintable(grab.error));
  QCOMPARE(grab.image.size(), screen->size() * screen->devicePixelRatio());
  QCOMPARE(grab.image.devicePixelRatio(), screen->devicePixelRatio());
  QCOMPARE(grab.image.pixelColor(grab.image.width() / 2, grab.image.height() / 2),
           QColor(0x209040));
}

void TestScreenSource::installedSourceIsUsedUntilRemoved() {
  struct Fixed : ScreenSource {
    ScreenGrab grab() override { return {filled(QSize(3, 2), Qt::magenta), QString()}; }
  } fixed;
  installScreenSource(&fixed);
  QCOMPARE(screenSource().grab().image, filled(QSize(3, 2), Qt::magenta));
  installScreenSource(nullptr);
  QVERIFY(&screenSource() != &fixed);
}

void TestScreenSource::routes() {
  QCOMPARE(grabRoute("wayland-egl", false), GrabRoute::Portal);
  QCOMPARE(grabRoute("xcb", false), GrabRoute::QtGrab);
  QCOMPARE(grabRoute("xcb", true), GrabRoute::QtGrabThenPortal);  // an X11 client under Wayland
  QCOMPARE(grabRoute("offscreen", true), GrabRoute::QtGrab);      // never a portal dialog
}

void TestScreenSource::pixmapGrabs_data() {
  QTest::addColumn<QPixmap>("pixmap");
  QTest::addColumn<bool>("blackMeansUnreadable");
  QTest::addColumn<bool>("ok");
  QImage oneLitPixel = filled(QSize(40, 30), Qt::black);
  QPixmap hiDpi = QPixmap::fromImage(patternImage(64, 48));
  hiDpi.setDevicePixelRatio(2);
  QTest::newRow("nothing grabbed") << QPixmap() << false << false;
  QTest::newRow("black screen that was read") << QPixmap::fromImage(oneLitPixel) << false << true;
  QTest::newRow("black stand-in") << QPixmap::fromImage(oneLitPixel) << true << false;
  oneLitPixel.setPixel(39, 29, qRgb(0, 0, 1));
  QTest::newRow("one lit pixel") << QPixmap::fromImage(oneLitPixel) << true << true;
  QTest::newRow("device pixels kept") << hiDpi << true << true;
}

void TestScreenSource::pixmapGrabs() {
  QFETCH(QPixmap, pixmap);
  QFETCH(bool, blackMeansUnreadable);
  QFETCH(bool, ok);
  const ScreenGrab grab = screenGrabFromPixmap(pixmap, blackMeansUnreadable);
  QCOMPARE(grab.ok(), ok);
  QVERIFY2(ok || grab.error.startsWith("无法截取屏幕："), qPrintable(grab.error));
  QCOMPARE(imageDifference(grab.image, ok ? pixmap.toImage() : QImage()), QString());
  QCOMPARE(grab.image.devicePixelRatio(), pixmap.devicePixelRatio());
}

void TestScreenSource::primaryScreenPart_data() {
  QTest::addColumn<QSize>("picture");
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QRect>("desktop");
  QTest::addColumn<qreal>("dpr");
  QTest::addColumn<QRect>("primary");  // in the picture
  QTest::addColumn<qreal>("partDpr");
  const QRect one(0, 0, 100, 50), right(100, 0, 200, 100), both(0, 0, 300, 100);
  QTest::newRow("one output, our scale")
      << QSize(200, 100) << one << one << 2.0 << QRect(0, 0, 200, 100) << 2.0;
  QTest::newRow("one output, its own scale")
      << QSize(300, 150) << one << one << 1.0 << QRect(0, 0, 300, 150) << 3.0;
  QTest::newRow("only the primary of two")
      << QSize(200, 100) << right << both << 1.0 << QRect(0, 0, 200, 100) << 1.0;
  QTest::newRow("both, primary on the right")
      << QSize(300, 100) << right << both << 1.0 << QRect(100, 0, 200, 100) << 1.0;
  QTest::newRow("both, at twice our scale")
      << QSize(600, 200) << right << both << 1.0 << QRect(200, 0, 400, 200) << 2.0;
  QTest::newRow("an output left of the origin")
      << QSize(300, 100) << QRect(0, 0, 200, 100) << QRect(-100, 0, 300, 100) << 1.0
      << QRect(100, 0, 200, 100) << 1.0;
}

void TestScreenSource::primaryScreenPart() {
  QFETCH(QSize, picture);
  QFETCH(QRect, screen);
  QFETCH(QRect, desktop);
  QFETCH(qreal, dpr);
  QFETCH(QRect, primary);
  QFETCH(qreal, partDpr);
  QImage shot = filled(picture, Qt::blue);
  QPainter(&shot).fillRect(primary, Qt::red);
  const QImage part = ::primaryScreenPart(shot, screen, desktop, dpr);
  QCOMPARE(part.devicePixelRatio(), partDpr);
  QCOMPARE(imageDifference(part, filled(primary.size(), Qt::red)), QString());
}

}  // namespace

QTEST_MAIN(TestScreenSource)
#include "tst_screen_source.moc"
