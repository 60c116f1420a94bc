#include <QtTest>

#include <QtWidgets>

#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/portal_screenshot.h"
#include "rotaskiv/screen_source.h"
#include "rotaskiv/x11_screen_grab.h"
#include "tests/support/image_compare.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/xvfb_desktop.h"

// A screen; a drag on it, in its window pixels; what is copied, in its device pixels.
using Scale = std::tuple<int, QRect, QRect>;

// A platform, whether it runs in a Wayland session, whether Qt's grab works;
// the grabs asked for, in order, then the answer.
using Route = std::tuple<QString, bool, bool, QString>;

// A portal's picture of `block` x `block` device pixels to a screen pixel; the
// screens ("x,y,w,h@ratio" each, the primary first); where each part lies in
// the picture and at what ratio it comes back.
using Portal = std::tuple<QSize, int, QString, QString>;

class TestScreenSource : public QObject {
  Q_OBJECT

  QString noDesktop_;

 public:
  explicit TestScreenSource(QString noDesktop) : noDesktop_(std::move(noDesktop)) {}

 private slots:
  // Reads the X server's screens, each at its own scale: every device pixel
  // as it was shown, and a selection on either copies that screen's device
  // pixels, as the size label says.
  // clang-format off
  void perScreenScales_data() {
    QTest::addColumn<Scale>("row");
    QTest::newRow("scale 1") << Scale(0, QRect(100, 100, 700, 481), QRect(100, 100, 700, 481));
    QTest::newRow("scale 2") << Scale(1, QRect(50, 40, 200, 120), QRect(100, 80, 400, 240));
  }
  // clang-format on

  void perScreenScales() {
    QFETCH(Scale, row);
    const auto& [on, drag, device] = row;
    if (!noDesktop_.isEmpty()) QSKIP(qPrintable(noDesktop_));
    const QList<QScreen*> screens = QGuiApplication::screens();
    QVERIFY2(screens.size() == 2 && screens[1]->devicePixelRatio() == 2.0, "the desktop's screens");
    // Each screen covered with a known picture in its device pixels, the
    // second's unlike the first's anywhere.
    std::vector<QImage> pictures;
    std::vector<std::unique_ptr<QLabel>> covers;
    for (QScreen* screen : screens) {
      const QSize size = screen->size() * screen->devicePixelRatio();
      QImage picture = patternImage(size.width(), size.height());
      if (!covers.empty()) picture = picture.rgbSwapped();
      picture.setDevicePixelRatio(screen->devicePixelRatio());
      covers.push_back(std::make_unique<QLabel>(nullptr, Qt::FramelessWindowHint));
      covers.back()->setPixmap(QPixmap::fromImage(picture));
      covers.back()->setScreen(screen);
      covers.back()->setGeometry(screen->geometry());
      covers.back()->show();
      pictures.push_back(picture);
    }
    for (const auto& cover : covers) QVERIFY(QTest::qWaitForWindowExposed(cover.get()));
    QTest::qWait(200);  // for the server to show them

    const DesktopGrab grab = screenSource().grab();
    QVERIFY2(grab.ok() && grab.screens.size() == 2, qPrintable(grab.error));
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(grab.screens[i].geometry, screens[i]->geometry());
      QCOMPARE(grab.screens[i].image.devicePixelRatio(), screens[i]->devicePixelRatio());
      QCOMPARE(imageDifference(grab.screens[i].image, pictures[i]), QString());
      // Read through shared memory, in the X server's pixels (Qt keeps each
      // screen's top-left there).
      const QRect native(screens[i]->geometry().topLeft(), pictures[i].size());
      QCOMPARE(imageDifference(x11SharedMemoryGrab(native), pictures[i]), QString());
    }
    // Beyond the root window there is nothing to read that way.
    QVERIFY(x11SharedMemoryGrab(QRect(2300, 0, 10, 10)).isNull());

    ScriptedDialogs dialogs;
    QWidget owner;
    QPointer<CaptureForm> form = new CaptureForm(&owner);
    form->Show();
    QWidget* surface = form->surfaces().at(on);
    QVERIFY(QTest::qWaitForWindowExposed(surface));
    // The portal is told which X11 window asks, so that its dialog stands over it.
    QVERIFY(QTest::qWaitForWindowActive(surface));
    QCOMPARE(PortalScreenshot::defaultParentWindow(),
             "x11:" + QString::number(QGuiApplication::focusWindow()->winId(), 16));
    QTest::mousePress(surface, Qt::LeftButton, {}, drag.topLeft());
    QTest::mouseMove(surface, drag.center());
    QTest::mouseMove(surface, drag.bottomRight() + QPoint(1, 1));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, drag.bottomRight() + QPoint(1, 1));
    QCOMPARE(form->LblPos->text(), QString("%1x%2").arg(device.width()).arg(device.height()));
    QTest::mouseClick(form->Picture1->Image2[buttonIndex(ToolbarButton::CopyAndExit)],
                      Qt::LeftButton);
    QTRY_VERIFY(form.isNull());
    QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), pictures[on].copy(device)),
             QString());
    QVERIFY(dialogs.messages().isEmpty());
  }

  // Before a selection is dragged the window under the pointer is outlined,
  // and a click selects its frame, on either screen at that screen's scale.
  void clickSelectsAWindow_data() {
    QTest::addColumn<int>("on");
    QTest::addColumn<QRect>("window");  // on the desktop
    QTest::newRow("scale 1") << 0 << QRect(200, 150, 300, 200);
    QTest::newRow("scale 2") << 1 << QRect(1320, 30, 100, 60);
  }
  void clickSelectsAWindow() {
    QFETCH(int, on);
    QFETCH(QRect, window);
    if (!noDesktop_.isEmpty()) QSKIP(qPrintable(noDesktop_));
    QWidget shown(nullptr, Qt::FramelessWindowHint);
    shown.setScreen(QGuiApplication::screens().at(on));
    shown.setGeometry(window);
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));
    QTest::qWait(200);  // for the server to map it
    ScriptedDialogs dialogs;
    QWidget owner;
    QPointer<CaptureForm> form = new CaptureForm(&owner);
    form->Show();
    QWidget* surface = form->surfaces().at(on);
    const QRect local = window.translated(-surface->geometry().topLeft());
    QTest::mouseMove(surface, local.center());  // on X11 the pointer moves; the server tells
    QWidget* outline = nullptr;
    QTRY_VERIFY((outline = surface->findChild<QWidget*>("windowOutline")) && outline->isVisible());
    QCOMPARE(outline->geometry(), local);
    QTest::mouseClick(surface, Qt::LeftButton, {}, local.center());
    QCOMPARE(form->Shape1->geometry(), local);
    const qreal ratio = surface->devicePixelRatio();
    QCOMPARE(form->LblPos->text(),
             QString("%1x%2").arg(window.width() * ratio).arg(window.height() * ratio));
    QVERIFY(!outline->isVisible());
    form->close();
  }

  // Which grab answers along each way of reading the screen: a failed X11
  // grab falls back to the portal only where an X11 client is in a Wayland
  // session, and only there is an all-black picture a failure.
  // clang-format off
  void grabRoutes_data() {
    QTest::addColumn<Route>("row");
    QTest::newRow("X11") << Route{"xcb", false, true, "qt qt"};
    QTest::newRow("X11, failing") << Route{"xcb", false, false, "qt no-qt"};
    QTest::newRow("X11 in Wayland") << Route{"xcb", true, true, "qt(black) qt"};
    QTest::newRow("X11 in Wayland, failing") << Route{"xcb", true, false, "qt(black) portal portal"};
    QTest::newRow("Wayland") << Route{"wayland", true, true, "portal portal"};
    QTest::newRow("Wayland over EGL") << Route{"wayland-egl", false, true, "portal portal"};
    QTest::newRow("offscreen in Wayland") << Route{"offscreen", true, false, "qt no-qt"};
  }
  // clang-format on

  void grabRoutes() {
    QFETCH(Route, row);
    const auto& [platform, waylandSession, qtGrabWorks, expected] = row;
    QStringList asked;
    // Told apart by their sizes: Qt's picture is 1 x 1, the portal's 2 x 2.
    const auto qt = [&](bool blackMeansUnreadable) {
      asked << (blackMeansUnreadable ? "qt(black)" : "qt");
      return qtGrabWorks ? DesktopGrab{{{QRect(0, 0, 1, 1), patternImage(1, 1)}}, {}}
                         : DesktopGrab{{}, "no-qt"};
    };
    const auto portal = [&] {
      asked << "portal";
      return DesktopGrab{{{QRect(0, 0, 2, 2), patternImage(2, 2)}}, {}};
    };
    const DesktopGrab grab = grabAlong(grabRoute(platform, waylandSession), qt, portal);
    asked << (!grab.ok() ? grab.error : grab.screens[0].image.width() == 1 ? "qt" : "portal");
    QCOMPARE(asked.join(' '), expected);
  }

  void blackIsAnUnreadableScreen() {
    QPixmap black(40, 30);
    black.fill(Qt::black);
    // Black is what a Wayland session hands an X11 client instead of the screen.
    QVERIFY2(screenGrabFromPixmap(black, true).error.startsWith("无法截取屏幕："), "black taken");
    // A picture black but for some pixels is the screen (the pattern's first pixel is black).
    QVERIFY(screenGrabFromPixmap(QPixmap::fromImage(patternImage(40, 30)), true).ok());
    QVERIFY(!screenGrabFromPixmap(QPixmap(), false).ok());
  }

  // Portals shoot every output in one picture, at our scale or another, or
  // only one of them. A screen shot at a higher scale than its own is brought
  // back to its own pixels: the shots here are drawn enlarged, `block` x
  // `block` device pixels to one of the screen's, so that gives back exactly
  // one pixel of each block.
  // clang-format off
  void cutPortalPicture_data() {
    QTest::addColumn<Portal>("row");
    QTest::newRow("one output, at three times its scale") << Portal{QSize(300, 150), 3, "0,0,100,50@1", "0,0,300,150@1"};
    QTest::newRow("two, primary on the right") << Portal{QSize(300, 100), 1, "100,0,200,100@1 0,0,100,100@1", "100,0,200,100@1 0,0,100,100@1"};
    QTest::newRow("two scales, at the larger") << Portal{QSize(600, 200), 2, "0,0,100,100@1 100,0,200,100@2", "0,0,200,200@1 200,0,400,200@2"};
    QTest::newRow("two scales, at twice the larger") << Portal{QSize(1200, 400), 4, "0,0,100,100@1 100,0,200,100@2", "0,0,400,400@1 400,0,800,400@2"};
    QTest::newRow("two scales, at the smaller") << Portal{QSize(300, 100), 1, "0,0,100,100@1 100,0,200,100@2", "0,0,100,100@1 100,0,200,100@1"};
    QTest::newRow("only the primary's output") << Portal{QSize(200, 100), 1, "100,0,200,100@1 0,0,100,100@1", "0,0,200,100@1"};
  }
  // clang-format on

  void cutPortalPicture() {
    QFETCH(Portal, row);
    const auto& [picture, block, screens, parts] = row;
    const auto read = [](const QString& text) {
      std::vector<ScreenLayout> list;
      for (const QString& item : text.split(' ')) {
        const QStringList n = item.split(QRegularExpression("[,@]"));
        list.push_back({{n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()}, n[4].toDouble()});
      }
      return list;
    };
    const std::vector<ScreenLayout> layout = read(screens), part = read(parts);
    const QImage shot = patternImage(picture.width() / block, picture.height() / block)
                            .scaled(picture, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const std::vector<FrozenScreen> cut = ::cutPortalPicture(shot, layout);
    QCOMPARE(cut.size(), part.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
      QCOMPARE(cut[i].geometry, layout[i].geometry);
      QCOMPARE(cut[i].image.devicePixelRatio(), part[i].devicePixelRatio);
      // One pixel of each block where the part was brought back to its screen's scale.
      const QSize size = (QSizeF(layout[i].geometry.size()) * part[i].devicePixelRatio).toSize();
      QCOMPARE(imageDifference(cut[i].image,
                               shot.copy(part[i].geometry)
                                   .scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)),
               QString());
    }
  }
};

int main(int argc, char** argv) {
  XvfbDesktop desktop;
  runOnXvfb(desktop);
  QApplication application(argc, argv);
  TestScreenSource test(desktop.error);
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "tst_screen_source.moc"
