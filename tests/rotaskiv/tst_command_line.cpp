#include <QtTest>

#include <QtWidgets>

#include "rotaskiv/clipboard_keeper.h"
#include "rotaskiv/command_line.h"
#include "rotaskiv/pin_window.h"
#include "tests/support/image_compare.h"
#include "tests/support/wayland_session.h"
#include "tests/support/xvfb_desktop.h"

using namespace command_line;

// Rotaskiv run from a terminal on an X server of the test's own, whose left
// screen (1280 x 800, scale 1) shows a known picture: what it writes, prints
// and leaves on the clipboard once it has ended.
class TestCommandLine : public QObject {
  Q_OBJECT

  QString noDesktop_;
  QTemporaryDir dir_;
  std::unique_ptr<QLabel> cover_;
  QImage shown_;

  struct Run {
    int status;
    QByteArray out, err;
  };
  Run rotaskiv(const QString& arguments) {
    QProcess program;
    program.setWorkingDirectory(dir_.path());
    program.start(ROTASKIV_PROGRAM, QProcess::splitCommand(arguments));
    program.waitForFinished(60000);
    return {program.exitCode(), program.readAllStandardOutput(), program.readAllStandardError()};
  }
  // The clipboard keepers serving this test's display: keepers of other
  // displays on the same machine are none of its business.
  static QStringList keeperProcesses() {
    const QByteArray display = "DISPLAY=" + qgetenv("DISPLAY") + '\0';
    QStringList found;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
      QFile command("/proc/" + pid + "/cmdline"), environment("/proc/" + pid + "/environ");
      if (command.open(QIODevice::ReadOnly) && command.readAll().contains("--serve-clipboard") &&
          environment.open(QIODevice::ReadOnly) &&
          ('\0' + environment.readAll()).contains('\0' + display))
        found << pid;
    }
    return found;
  }

 public:
  explicit TestCommandLine(QString noDesktop) : noDesktop_(std::move(noDesktop)) {}

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toLocal8Bit());  // the last region
    if (!noDesktop_.isEmpty()) return;
    shown_ = patternImage(1280, 800);
    cover_ = std::make_unique<QLabel>(nullptr, Qt::FramelessWindowHint);
    cover_->setPixmap(QPixmap::fromImage(shown_));
    cover_->setGeometry(0, 0, 1280, 800);
    cover_->show();
    QVERIFY(QTest::qWaitForWindowExposed(cover_.get()));
    QTest::qWait(200);  // for the server to show it
  }

  // What a command line asks for, or the line it is refused with.
  // clang-format off
  void parses_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a region to a file") << "--region 10,-20,100,50 --output a.png --delay 0.5" << "2 10,-20 100x50 a.png 0 0.5";
    QTest::newRow("taken at once: to the clipboard by default") << "--screen 1" << "3 0,0 0x0  1 0";
    QTest::newRow("the window") << "--capture" << "1 0,0 0x0  0 0";
    QTest::newRow("two sources") << "--capture --last-region" << "--capture、--region、--screen、--last-region 和 --annotate 只能选一个。";
    QTest::newRow("a region of no width") << "--region 1,2,0,4" << "--region 需要 X,Y,W,H 四个整数，宽和高大于 0：“1,2,0,4”";
    QTest::newRow("an output without a picture") << "--annotate a.png --output b.png" << "--output、--clipboard 和 --pin 需要 --region、--screen 或 --last-region。";
    QTest::newRow("a delay below 0") << "--capture --delay -1" << "--delay 需要 0 到 86400 之间的秒数：“-1”";
    QTest::newRow("no such option") << "--regoin 1,2,3,4" << "Unknown option 'regoin'.";
  }
  // clang-format on
  void parses() {
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    const auto parsed = parse(QStringList{"rotaskiv"} + QProcess::splitCommand(arguments));
    if (const Request* r = std::get_if<Request>(&parsed)) {
      const QRect g = r->region;
      QCOMPARE(QString::asprintf("%d %d,%d %dx%d ", int(r->source), g.x(), g.y(), g.width(),
                                 g.height()) +
                   r->output + QString(" %1 %2").arg(r->clipboard).arg(r->delaySeconds),
               expected);
    } else {
      QCOMPARE(std::get<QString>(parsed), expected);
    }
  }

  // Times filled in (the tests run at UTC), and a number added rather than a file replaced.
  void outputNames_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("time") << "shot-%Y%m%d-%H%M%S.jpg" << QStringList{}
                          << "shot-20261208-130509.jpg";
    QTest::newRow("taken") << "a/b.png" << QStringList{"a/b.png", "a/b-1.png"} << "a/b-2.png";
    QTest::newRow("no extension") << "v1.2/shot" << QStringList{} << "v1.2/shot.png";
  }
  void outputNames() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, existing);
    const QDateTime now(QDate(2026, 12, 8), QTime(13, 5, 9), Qt::UTC);
    QTEST(outputFileName(pattern, now, [&](const QString& n) { return existing.contains(n); }),
          "expected");
  }

  // A part of a screen at scale 2 keeps its device pixels; the part on
  // another screen is brought to that scale.
  void desktopParts() {
    QImage wide = patternImage(200, 200), other = patternImage(100, 100).rgbSwapped();
    wide.setDevicePixelRatio(2);
    const DesktopGrab desktop{{{QRect(0, 0, 100, 100), wide}, {QRect(100, 0, 100, 100), other}},
                              {}};
    QCOMPARE(
        imageDifference(desktopPart(desktop, QRect(10, 20, 30, 40)), wide.copy(20, 40, 60, 80)),
        QString());
    const QImage across = desktopPart(desktop, QRect(80, 0, 30, 10));
    QCOMPARE(imageDifference(across.copy(0, 0, 40, 20), wide.copy(160, 0, 40, 20)), QString());
    QCOMPARE(across.pixel(50, 10), other.pixel(5, 5));
    QVERIFY(desktopPart(desktop, QRect(300, 0, 10, 10)).isNull());
  }

  // The program run as a script runs it: pictures written and printed, the
  // last region remembered, one line for a fault.
  void fromATerminal() {
    if (!noDesktop_.isEmpty()) QSKIP(qPrintable(noDesktop_));
    Run run = rotaskiv("--region 10,20,100,50 --output shot.png");
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, dir_.filePath("shot.png").toLocal8Bit() + '\n');
    QCOMPARE(imageDifference(QImage(dir_.filePath("shot.png")), shown_.copy(10, 20, 100, 50)),
             QString());
    run = rotaskiv("--last-region --output - --delay 0.1");
    QCOMPARE(run.status, 0);
    QCOMPARE(imageDifference(QImage::fromData(run.out, "PNG"), shown_.copy(10, 20, 100, 50)),
             QString());
    run = rotaskiv("--region 10,20,100,50 --output shot.png");  // kept, and a new name taken
    QCOMPARE(run.out, dir_.filePath("shot-1.png").toLocal8Bit() + '\n');
    for (const auto& [arguments, status, line] :
         {std::tuple{"--region 1,2,3", 2, "--region 需要 X,Y,W,H"},
          std::tuple{"--screen 2", 2, "没有第 2 个屏幕（共 2 个，从 0 数起）。"},
          std::tuple{"--region 5000,0,10,10", 1, "区域 5000,0,10,10 不在任何屏幕上。"}}) {
      run = rotaskiv(arguments);
      QCOMPARE(run.status, status);
      QVERIFY2(run.err.startsWith("rotaskiv: " + QByteArray(line)) && run.err.count('\n') == 1,
               run.err.constData());
    }
  }

  // The clipboard keeps the picture after the program has ended, until
  // another program takes it over; then nothing of it is left running.
  void clipboardOutlivesTheProgram() {
    if (!noDesktop_.isEmpty()) QSKIP(qPrintable(noDesktop_));
    QCOMPARE(rotaskiv("--region 30,40,64,32 --clipboard").status, 0);
    QTRY_COMPARE(
        imageDifference(QGuiApplication::clipboard()->image(), shown_.copy(30, 40, 64, 32)),
        QString());
    const QStringList keepers = keeperProcesses();
    QCOMPARE(keepers.size(), 1);
    // Another program takes the clipboard (one that has just started: this
    // test's own X time may be older than the keeper's ownership).
    QFile picture(dir_.filePath("other.png"));
    QVERIFY(patternImage(4, 4).save(&picture, "PNG"));
    QProcess other;
    other.start(ROTASKIV_PROGRAM, {"--serve-clipboard", picture.fileName()});
    QTRY_COMPARE(QGuiApplication::clipboard()->image().size(), QSize(4, 4));
    QTRY_VERIFY(!keeperProcesses().contains(keepers[0]));
    other.kill();
    other.waitForFinished();
  }

  // The same on a Wayland desktop, whose screens only the portal reads: the
  // capture window over a known picture fills the screen, and the program
  // run beside it writes and copies parts of it.
  void onWayland() {
    WaylandSession desktop;
    if (!desktop.error.isEmpty()) QSKIP(qPrintable(desktop.error));
    QProcess reach;
    desktop.start(reach, "test", {"-x", ROTASKIV_PROGRAM});
    if (!reach.waitForFinished() || reach.exitCode() != 0)
      QSKIP("the desktop's user cannot run the test build");
    const QImage pattern = patternImage(1280, 800);
    QVERIFY(pattern.save(desktop.filePath("pattern.png")));
    QProcess shown;
    desktop.start(shown, ROTASKIV_PROGRAM, {"--annotate", desktop.filePath("pattern.png")});
    const auto take = [&](const QString& program, const QStringList& arguments) {
      QProcess run;
      desktop.start(run, program, arguments);
      run.waitForFinished(30000);
      return QImage::fromData(run.readAllStandardOutput(), "PNG");
    };
    QTRY_COMPARE_WITH_TIMEOUT(
        imageDifference(take(ROTASKIV_PROGRAM, {"--screen", "0", "--output", "-"}), pattern),
        QString(), 20000);
    QProcess copy;
    desktop.start(copy, ROTASKIV_PROGRAM, {"--region", "30,40,64,32", "--clipboard"});
    QVERIFY2(copy.waitForFinished(30000) && copy.exitCode() == 0, copy.readAllStandardError());
    QCOMPARE(
        imageDifference(take("wl-paste", {"--type", "image/png"}), pattern.copy(30, 40, 64, 32)),
        QString());
    shown.kill();
    shown.waitForFinished();
  }

  // A pin is moved, zoomed about the pointer, copied and closed.
  void pin() {
    QImage picture = patternImage(120, 80);
    picture.setDevicePixelRatio(2);  // 60 x 40 on screen
    QPointer<PinWindow> pin = new PinWindow(picture);
    pin->move(100, 100);
    pin->show();
    QVERIFY(QTest::qWaitForWindowExposed(pin));
    QCOMPARE(pin->size(), QSize(60, 40));
    QTest::mousePress(pin, Qt::LeftButton, {}, {10, 10});
    QTest::mouseMove(pin, {30, 25});
    QTest::mouseRelease(pin, Qt::LeftButton, {}, {30, 25});
    QCOMPARE(pin->pos(), QPoint(120, 115));
    QWheelEvent notch({20, 0}, pin->mapToGlobal(QPointF(20, 0)), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(pin, &notch);  // two notches: 1.21 times
    QCOMPARE(pin->geometry(), QRect(116, 115, 73, 48));
    QTimer::singleShot(0, [] {  // the first entry of the menu, chosen by keyboard
      QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
      QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    });
    QContextMenuEvent menu(QContextMenuEvent::Mouse, {5, 5}, pin->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(pin, &menu);
    QCOMPARE(imageDifference(QGuiApplication::clipboard()->image(), patternImage(120, 80)),
             QString());
    QTest::mouseDClick(pin, Qt::LeftButton);
    QTRY_VERIFY(pin.isNull());
  }
};

int main(int argc, char** argv) {
  XvfbDesktop desktop;
  runOnXvfb(desktop);
  QApplication application(argc, argv);
  TestCommandLine test(desktop.error);
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "tst_command_line.moc"
