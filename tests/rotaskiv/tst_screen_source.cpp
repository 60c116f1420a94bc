#include <QtTest>

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
    const DesktopGrab grab = screenSource().grab();
    QVERIFY2(grab.ok(), qPrintable(grab.error));
    QCOMPARE(grab.screens.size(), std::size_t(screen->virtualSiblings().size()));
    QCOMPARE(grab.screens[0].geometry, screen->geometry());
    const QImage& primary = grab.screens[0].image;
    QCOMPARE(primary.size(), screen->size() * screen->devicePixelRatio());
    QCOMPARE(primary.pixelColor(primary.rect().center()), QColor(0x209040));
  }

  void blackIsAnUnreadableScreen() {
    QPixmap black = QPixmap::fromImage(filled(QSize(40, 30), Qt::black));
    black.setDevicePixelRatio(2);
    // Black is what a Wayland session hands an X11 client instead of the screen.
    QVERIFY2(screenGrabFromPixmap(black, true).error.startsWith("无法截取屏幕："), "black taken");
    QCOMPARE(screenGrabFromPixmap(black, false).image.devicePixelRatio(), 2.0);
    QVERIFY(!screenGrabFromPixmap(QPixmap(), false).ok());
  }

  // Portals shoot every output in one picture, at our scale or another, or
  // only one of them.
  // clang-format off
  void cutPortalPicture_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QList<QRect>>("screens");  // the primary first
    QTest::addColumn<QList<qreal>>("ratios");   // theirs
    QTest::addColumn<QList<QRect>>("parts");    // where each screen lies in the picture
    QTest::addColumn<QList<qreal>>("partRatios");
    const QRect left(0, 0, 100, 100), right(100, 0, 200, 100);
    QTest::newRow("one output, its own scale") << QSize(300, 150) << QList{QRect(0, 0, 100, 50)}
        << QList<qreal>{1} << QList{QRect(0, 0, 300, 150)} << QList<qreal>{3};
    QTest::newRow("two, primary on the right") << QSize(300, 100) << QList{right, left}
        << QList<qreal>{1, 1} << QList{right, left} << QList<qreal>{1, 1};
    QTest::newRow("two, at twice our scale") << QSize(600, 200) << QList{right, left}
        << QList<qreal>{1, 1} << QList{QRect(200, 0, 400, 200), QRect(0, 0, 200, 200)}
        << QList<qreal>{2, 2};
    QTest::newRow("two scales, at the larger") << QSize(600, 200) << QList{left, right}
        << QList<qreal>{1, 2} << QList{QRect(0, 0, 200, 200), QRect(200, 0, 400, 200)}
        << QList<qreal>{2, 2};
    QTest::newRow("one above the other") << QSize(100, 150) << QList{QRect(0, 50, 100, 100), QRect(0, 0, 100, 50)}
        << QList<qreal>{1, 1} << QList{QRect(0, 50, 100, 100), QRect(0, 0, 100, 50)} << QList<qreal>{1, 1};
    QTest::newRow("only the primary's output") << QSize(200, 100) << QList{right, left}
        << QList<qreal>{1, 1} << QList{QRect(0, 0, 200, 100)} << QList<qreal>{1};
  }
  // clang-format on

  void cutPortalPicture() {
    QFETCH(QSize, picture);
    QFETCH(QList<QRect>, screens);
    QFETCH(QList<qreal>, ratios);
    QFETCH(QList<QRect>, parts);
    QFETCH(QList<qreal>, partRatios);
    const QImage shot = patternImage(picture.width(), picture.height());
    std::vector<ScreenLayout> layout;
    for (int i = 0; i < screens.size(); ++i) layout.push_back({screens[i], ratios[i]});
    const std::vector<FrozenScreen> cut = ::cutPortalPicture(shot, layout);
    QCOMPARE(int(cut.size()), parts.size());
    for (int i = 0; i < parts.size(); ++i) {
      QCOMPARE(cut[i].geometry, screens[i]);
      QCOMPARE(cut[i].image.devicePixelRatio(), partRatios[i]);
      QCOMPARE(imageDifference(cut[i].image, shot.copy(parts[i])), QString());
    }
  }
};

QTEST_MAIN(TestScreenSource)
#include "tst_screen_source.moc"
