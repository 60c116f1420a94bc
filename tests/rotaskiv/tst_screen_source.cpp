#include <QtTest>

#include <QPainter>
#include <QScreen>

#include "rotaskiv/screen_source.h"
#include "tests/support/image_compare.h"

QImage filled(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

class TestScreenSource : public QObject {
  Q_OBJECT

 private slots:
  // Reads a real display: runs where there is one (QT_QPA_PLATFORM=xcb or wayland).
  void grabsTheRealScreen() {
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
    QCOMPARE(grab.image.pixelColor(grab.image.rect().center()), QColor(0x209040));
  }

  void blackIsAnUnreadableScreen() {
    QPixmap black = QPixmap::fromImage(filled(QSize(40, 30), Qt::black));
    black.setDevicePixelRatio(2);
    // Black is what a Wayland session hands an X11 client instead of the screen.
    QVERIFY2(screenGrabFromPixmap(black, true).error.startsWith("无法截取屏幕："), "black taken");
    QCOMPARE(screenGrabFromPixmap(black, false).image.devicePixelRatio(), 2.0);
    QVERIFY(!screenGrabFromPixmap(QPixmap(), false).ok());
  }

  // Portals shoot the one output or all of them, at our scale or another.
  // clang-format off
  void primaryScreenPart_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("desktop");  // all screens
    QTest::addColumn<QRect>("primary");  // in the picture
    QTest::addColumn<qreal>("partDpr");
    const QRect one(0, 0, 100, 50), right(100, 0, 200, 100), both(0, 0, 300, 100);
    QTest::newRow("one output, its own scale") << QSize(300, 150) << one << one << QRect(0, 0, 300, 150)
        << 3.0;
    QTest::newRow("two, primary on the right") << QSize(300, 100) << right << both << right << 1.0;
    QTest::newRow("two, at twice our scale") << QSize(600, 200) << right << both << QRect(200, 0, 400, 200)
        << 2.0;
  }
  // clang-format on

  void primaryScreenPart() {
    QFETCH(QSize, picture);
    QFETCH(QRect, screen);
    QFETCH(QRect, desktop);
    QFETCH(QRect, primary);
    QFETCH(qreal, partDpr);
    QImage shot = filled(picture, Qt::blue);
    QPainter(&shot).fillRect(primary, Qt::red);
    const QImage part = ::primaryScreenPart(shot, screen, desktop, 1.0);
    QCOMPARE(part.devicePixelRatio(), partDpr);
    QCOMPARE(imageDifference(part, filled(primary.size(), Qt::red)), QString());
  }
};

QTEST_MAIN(TestScreenSource)
#include "tst_screen_source.moc"
