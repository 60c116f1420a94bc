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
  // Reads a real display: runs where there is one (QT_QPA_PLATFORM=xcb or
  // wayland). Every screen is covered in a colour of its own.
  void grabsTheRealScreens() {
    if (QGuiApplication::platformName() == "offscreen")
      QSKIP("no display: set QT_QPA_PLATFORM=xcb (or wayland) to read a real screen");
    const QList<QScreen*> screens = QGuiApplication::primaryScreen()->virtualSiblings();
    std::vector<std::unique_ptr<QWidget>> covers;
    for (QScreen* screen : screens) {
      covers.push_back(std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint));
      covers.back()->setStyleSheet(QString("background: #2090%1").arg(covers.size() * 16, 2, 16));
      covers.back()->setGeometry(screen->geometry());
      covers.back()->show();
      QVERIFY(QTest::qWaitForWindowExposed(covers.back().get()));
    }
    QTest::qWait(200);  // for the window system to put them on screen
    const DesktopGrab grab = screenSource().grab();
    QVERIFY2(grab.ok(), qPrintable(grab.error));
    QCOMPARE(grab.screens.size(), std::size_t(screens.size()));
    for (const FrozenScreen& frozen : grab.screens) {
      const auto i =
          std::find_if(screens.begin(), screens.end(),
                       [&](QScreen* screen) { return screen->geometry() == frozen.geometry; }) -
          screens.begin();
      QVERIFY2(i < screens.size(), "a screen that is not on the desktop");
      QCOMPARE(frozen.image.size(), screens[i]->size() * screens[i]->devicePixelRatio());
      QCOMPARE(frozen.image.pixelColor(frozen.image.rect().center()),
               QColor(0x209000 + (i + 1) * 16));
    }
    QCOMPARE(grab.screens[0].geometry, QGuiApplication::primaryScreen()->geometry());
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
