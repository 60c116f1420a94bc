#include <QtTest>

#include <QtDBus>

#include "rotaskiv/portal_screenshot.h"
#include "tests/support/image_compare.h"
#include "tests/support/test_helpers.h"

const QString kService = "org.freedesktop.portal.Desktop";
const QString kObjectPath = "/org/freedesktop/portal/desktop";

// Stands in for xdg-desktop-portal's Screenshot interface, answering the way
// it was told to, and keeps what the caller sent. It is its own request
// object too, so Close on the request reaches it.
class FakePortal : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

 public:
  enum class Answer {
    Picture,             // a PNG, a little after the reply
    PictureBeforeReply,  // a PNG, announced before the call's reply goes out
    PictureOnOwnPath,    // a PNG, on a request path of its own choosing (as before portal 0.9)
    Cancelled,           // the user said no
    Silence,             // never answers
  };
  Q_ENUM(Answer)

  FakePortal(QString folder, Answer answer) : folder_(std::move(folder)), answer_(answer) {}
  ~FakePortal() override {
    bus_.unregisterService(kService);
    bus_.unregisterObject(kObjectPath);
    bus_.unregisterObject(handle);
  }
  bool publish() {
    return bus_.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots) &&
           bus_.registerService(kService);
  }

  int calls = 0;
  QString parentWindow;
  QVariantMap options;
  // The request path the portal answered with, and the file named in the answer.
  QString handle, pictureFile;
  QImage picture;       // what that file holds
  bool closed = false;  // Close was called on the request

 public slots:
  QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options) {
    ++calls;
    this->parentWindow = parentWindow;
    this->options = options;
    // The documented path comes from the caller's unique name and its token.
    const QString request =
        message().service().mid(1).replace('.', '_') + "/" + options["handle_token"].toString();
    handle = kObjectPath + "/request/" + (answer_ == Answer::PictureOnOwnPath ? "fake" : request);
    bus_.registerObject(handle, "org.freedesktop.portal.Request", this,
                        QDBusConnection::ExportAllSlots);
    if (answer_ == Answer::PictureBeforeReply) answer();
    // Late enough for a client that would subscribe only after the reply.
    if (answer_ != Answer::Silence && answer_ != Answer::PictureBeforeReply)
      QTimer::singleShot(150, this, &FakePortal::answer);
    return QDBusObjectPath(handle);
  }
  void Close() { closed = true; }

 private:
  void answer() {
    QVariantMap results;
    if (answer_ != Answer::Cancelled) {
      pictureFile = QDir(folder_).filePath("Screenshot from the fake portal.png");
      // Odd sizes and distinct pixels, so a crop or a swap of rows shows.
      (picture = patternImage(67, 45)).save(pictureFile, "PNG");
      results.insert("uri", QUrl::fromLocalFile(pictureFile).toString());
    }
    auto signal = QDBusMessage::createSignal(handle, "org.freedesktop.portal.Request", "Response");
    bus_.send(signal << uint(answer_ == Answer::Cancelled ? 1 : 0) << results);
  }

  QDBusConnection bus_{"portal"};
  QString folder_;
  Answer answer_;
};

// The portal client against fake portals on a session bus of the test's own:
// dbus-daemon with a configuration that activates no services, so nothing
// real can answer on it.
// How the fake portal answers; "portal", "no portal" or "no bus"; a part of the
// error expected (empty: a picture).
using Asked = std::tuple<FakePortal::Answer, QString, QString>;

class TestPortalScreenshot : public QObject {
  Q_OBJECT

  QTemporaryDir folder_;
  QProcess daemon_;

 private slots:
  void initTestCase() {
    const QString config = folder_.filePath("bus.conf");
    QVERIFY(written(config, "<busconfig><type>session</type><listen>unix:dir=" +
                                QFile::encodeName(folder_.path()) +
                                "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                                "send_destination=\"*\" eavesdrop=\"true\"/><allow "
                                "eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>"));
    daemon_.start("dbus-daemon", {"--config-file=" + config, "--print-address", "--nofork"});
    while (daemon_.waitForReadyRead(10000) && !daemon_.canReadLine()) continue;
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address.isEmpty()) QSKIP("dbus-daemon (Debian package dbus-daemon) did not start");
    QVERIFY(QDBusConnection::connectToBus(address, "client").isConnected());
    QVERIFY(QDBusConnection::connectToBus(address, "portal").isConnected());
  }

  void cleanupTestCase() {
    daemon_.terminate();
    daemon_.waitForFinished(5000);
  }

  // clang-format off
  void answers_data() {
    QTest::addColumn<Asked>("row");
    using A = FakePortal::Answer;
    QTest::newRow("picture") << Asked{A::Picture, "portal", ""};
    QTest::newRow("answer before the reply") << Asked{A::PictureBeforeReply, "portal", ""};
    QTest::newRow("request path of the portal's choosing") << Asked{A::PictureOnOwnPath, "portal", ""};
    QTest::newRow("cancelled") << Asked{A::Cancelled, "portal", "取消"};
    QTest::newRow("no portal on the bus") << Asked{A::Picture, "no portal", "找不到"};
    QTest::newRow("silence: timed out") << Asked{A::Silence, "portal", "超时"};
    QTest::newRow("no bus") << Asked{A::Silence, "no bus", "总线"};
  }
  // clang-format on

  void answers() {
    QFETCH(Asked, row);
    const auto& [answer, setup, error] = row;
    const bool silent = setup == "portal" && answer == FakePortal::Answer::Silence;
    FakePortal portal(folder_.path(), answer);
    if (setup == "portal") QVERIFY(portal.publish());
    const QDBusConnection bus(setup == "no bus" ? "nowhere" : "client");
    const ScreenGrab grab = PortalScreenshot(bus, "x11:4a00007").take(silent ? 300 : 20000);
    QCOMPARE(portal.calls, setup == "portal" ? 1 : 0);
    QCOMPARE(imageDifference(grab.image, portal.picture), QString());
    const bool refused = grab.error.startsWith("无法截取屏幕：") && grab.error.contains(error);
    QVERIFY2(error.isEmpty() ? grab.ok() : refused, qPrintable(grab.error));
    // The portal's file is ours to remove, read or not.
    QVERIFY2(portal.pictureFile.isEmpty() || !QFile::exists(portal.pictureFile),
             qPrintable(portal.pictureFile));
    // The dialog the user may still be looking at is taken away.
    if (silent) QTRY_VERIFY(portal.closed);
    if (setup != "portal") return;
    QCOMPARE(portal.parentWindow, QString("x11:4a00007"));
    QCOMPARE(portal.options.value("interactive"), QVariant(false));
    QCOMPARE(portal.options.value("modal"), QVariant(true));
  }
};

QTEST_MAIN(TestPortalScreenshot)
#include "tst_portal_screenshot.moc"
