#include <QtTest>

#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <memory>

#include "rotaskiv/portal_screenshot.h"
#include "rotaskiv/screen_source.h"
#include "tests/support/image_compare.h"

Q_DECLARE_METATYPE(GrabRoute)

namespace {

const QString kErrorLead = QStringLiteral("无法截取屏幕：");

class FixedSource : public ScreenSource {
 public:
  explicit FixedSource(QImage image) : image_(std::move(image)) {}
  ScreenGrab grab() override { return {image_, QString()}; }

 private:
  QImage image_;
};

QImage filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

class TestScreenSource : public QObject {
  Q_OBJECT

 private slots:
  void qtGrabCoversThePrimaryScreenInDevicePixels();
  void installedSourceIsUsedUntilRemoved();
  void routes_data();
  void routes();
  void pixmapGrabs_data();
  void pixmapGrabs();
  void primaryScreenPart_data();
  void primaryScreenPart();
};

void TestScreenSource::qtGrabCoversThePrimaryScreenInDevicePixels() {
  if (QGuiApplication::platformName() != QLatin1String("offscreen"))
    QSKIP("reads the real screen only on the offscreen platform");
  QScreen* screen = QGuiApplication::primaryScreen();
  QVERIFY(screen);
  QWidget cover;
  cover.setAutoFillBackground(true);
  QPalette palette = cover.palette();
  palette.setColor(QPalette::Window, QColor(0x20, 0x90, 0x40));
  cover.setPalette(palette);
  cover.setGeometry(screen->geometry());
  cover.show();
  QVERIFY(QTest::qWaitForWindowExposed(&cover));

  const ScreenGrab grab = screenSource().grab();
  QVERIFY2(grab.ok(), qPrintable(grab.error));
  QCOMPARE(grab.image.size(), (QSizeF(screen->size()) * screen->devicePixelRatio()).toSize());
  QCOMPARE(grab.image.devicePixelRatio(), screen->devicePixelRatio());
  QCOMPARE(grab.image.format(), QImage::Format_RGB32);
  QCOMPARE(grab.image.pixelColor(grab.image.width() / 2, grab.image.height() / 2),
           QColor(0x20, 0x90, 0x40));
}

void TestScreenSource::installedSourceIsUsedUntilRemoved() {
  const QImage fixed = filled(QSize(3, 2), Qt::magenta);
  FixedSource source(fixed);
  installScreenSource(&source);
  const ScreenGrab installed = screenSource().grab();
  installScreenSource(nullptr);
  QCOMPARE(installed.image, fixed);

  QScreen* screen = QGuiApplication::primaryScreen();
  QVERIFY(screen);
  const ScreenGrab platform = screenSource().grab();
  QVERIFY2(platform.ok(), qPrintable(platform.error));
  QCOMPARE(platform.image.size(), (QSizeF(screen->size()) * screen->devicePixelRatio()).toSize());
}

void TestScreenSource::routes_data() {
  QTest::addColumn<QString>("platform");
  QTest::addColumn<bool>("waylandSession");
  QTest::addColumn<GrabRoute>("route");
  QTest::newRow("Wayland") << "wayland" << true << GrabRoute::Portal;
  QTest::newRow("Wayland over EGL") << "wayland-egl" << true << GrabRoute::Portal;
  QTest::newRow("Wayland, session unknown") << "wayland" << false << GrabRoute::Portal;
  QTest::newRow("X11") << "xcb" << false << GrabRoute::QtGrab;
  QTest::newRow("X11 client in a Wayland session") << "xcb" << true << GrabRoute::QtGrabThenPortal;
  QTest::newRow("offscreen never asks the portal") << "offscreen" << true << GrabRoute::QtGrab;
  QTest::newRow("Windows") << "windows" << false << GrabRoute::QtGrab;
  QTest::newRow("macOS") << "cocoa" << false << GrabRoute::QtGrab;
}

void TestScreenSource::routes() {
  QFETCH(QString, platform);
  QFETCH(bool, waylandSession);
  QFETCH(GrabRoute, route);
  QCOMPARE(grabRoute(platform, waylandSession), route);
}

void TestScreenSource::pixmapGrabs_data() {
  QTest::addColumn<QPixmap>("pixmap");
  QTest::addColumn<bool>("blackMeansUnreadable");
  QTest::addColumn<bool>("ok");

  const QImage black = filled(QSize(40, 30), Qt::black);
  QImage oneLitPixel = black;
  oneLitPixel.setPixel(39, 29, qRgb(0, 0, 1));
  QImage translucent(QSize(20, 10), QImage::Format_ARGB32);
  translucent.fill(qRgba(10, 200, 30, 255));
  translucent.setPixel(0, 0, qRgba(0, 0, 0, 0));
  QPixmap hiDpi = QPixmap::fromImage(patternImage(64, 48));
  hiDpi.setDevicePixelRatio(2);

  QTest::newRow("nothing grabbed") << QPixmap() << false << false;
  QTest::newRow("black screen that was read") << QPixmap::fromImage(black) << false << true;
  QTest::newRow("black stand-in for an unreadable screen")
      << QPixmap::fromImage(black) << true << false;
  QTest::newRow("one lit pixel is a picture") << QPixmap::fromImage(oneLitPixel) << true << true;
  QTest::newRow("device pixels kept") << hiDpi << true << true;
  QTest::newRow("alpha dropped") << QPixmap::fromImage(translucent) << false << true;
}

void TestScreenSource::pixmapGrabs() {
  QFETCH(QPixmap, pixmap);
  QFETCH(bool, blackMeansUnreadable);
  QFETCH(bool, ok);
  const ScreenGrab grab = screenGrabFromPixmap(pixmap, blackMeansUnreadable);
  QCOMPARE(grab.ok(), ok);
  if (!ok) {
    QVERIFY(grab.image.isNull());
    QVERIFY2(grab.error.startsWith(kErrorLead), qPrintable(grab.error));
    return;
  }
  QCOMPARE(grab.image.format(), QImage::Format_RGB32);
  QCOMPARE(grab.image.devicePixelRatio(), pixmap.devicePixelRatio());
  const QImage expected = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
  const QString difference = imageDifference(grab.image, expected);
  QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestScreenSource::primaryScreenPart_data() {
  QTest::addColumn<QSize>("pictureSize");
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QRect>("desktop");
  QTest::addColumn<qreal>("dpr");
  QTest::addColumn<QRect>("primaryInPicture");
  QTest::addColumn<qreal>("expectedDpr");

  QTest::newRow("the one output at the screen's scale")
      << QSize(200, 100) << QRect(0, 0, 100, 50) << QRect(0, 0, 100, 50) << 2.0
      << QRect(0, 0, 200, 100) << 2.0;
  QTest::newRow("fractional scale keeps the screen's ratio")
      << QSize(2560, 1440) << QRect(0, 0, 1707, 960) << QRect(0, 0, 1707, 960) << 1.5
      << QRect(0, 0, 2560, 1440) << 1.5;
  QTest::newRow("only the primary of two outputs")
      << QSize(200, 100) << QRect(100, 0, 200, 100) << QRect(0, 0, 300, 100) << 1.0
      << QRect(0, 0, 200, 100) << 1.0;
  QTest::newRow("two outputs, primary on the right")
      << QSize(300, 100) << QRect(100, 0, 200, 100) << QRect(0, 0, 300, 100) << 1.0
      << QRect(100, 0, 200, 100) << 1.0;
  QTest::newRow("two outputs at scale 2, primary on the left")
      << QSize(600, 200) << QRect(0, 0, 100, 100) << QRect(0, 0, 300, 100) << 2.0
      << QRect(0, 0, 200, 200) << 2.0;
  QTest::newRow("an output left of the origin")
      << QSize(300, 100) << QRect(0, 0, 200, 100) << QRect(-100, 0, 300, 100) << 1.0
      << QRect(100, 0, 200, 100) << 1.0;
  QTest::newRow("stacked outputs, primary below")
      << QSize(100, 150) << QRect(0, 50, 100, 100) << QRect(0, 0, 100, 150) << 1.0
      << QRect(0, 50, 100, 100) << 1.0;
  QTest::newRow("every output at a larger scale than ours")
      << QSize(600, 200) << QRect(100, 0, 200, 100) << QRect(0, 0, 300, 100) << 1.0
      << QRect(200, 0, 400, 200) << 2.0;
  QTest::newRow("the one output at a scale of its own")
      << QSize(300, 150) << QRect(0, 0, 100, 50) << QRect(0, 0, 100, 50) << 1.0
      << QRect(0, 0, 300, 150) << 3.0;
}

void TestScreenSource::primaryScreenPart() {
  QFETCH(QSize, pictureSize);
  QFETCH(QRect, screen);
  QFETCH(QRect, desktop);
  QFETCH(qreal, dpr);
  QFETCH(QRect, primaryInPicture);
  QFETCH(qreal, expectedDpr);

  QImage picture = filled(pictureSize, Qt::blue);
  {
    QPainter painter(&picture);
    painter.fillRect(primaryInPicture, Qt::red);
  }
  const QImage part = ::primaryScreenPart(picture, screen, desktop, dpr);
  QCOMPARE(part.size(), primaryInPicture.size());
  QCOMPARE(part.devicePixelRatio(), expectedDpr);
  const QRect all = part.rect();
  for (const QPoint corner : {all.topLeft(), all.topRight(), all.bottomLeft(), all.bottomRight()})
    QCOMPARE(part.pixelColor(corner), QColor(Qt::red));
}

}  // namespace

QTEST_MAIN(TestScreenSource)
#include "tst_screen_source.moc"
