#include <QtTest>

#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include "rotaskiv/portal_screenshot.h"
#include "tests/support/image_compare.h"

namespace {

const QString kService = "org.freedesktop.portal.Desktop";
const QString kObjectPath = "/org/freedesktop/portal/desktop";

// A session bus of the test's own: dbus-daemon with a minimal configuration
// that activates no services, so nothing real can answer on it.
struct PrivateBus {
  QTemporaryDir dir;
  QProcess daemon;
  QString address;
  ~PrivateBus() {
    daemon.terminate();
    if (!daemon.waitForFinished(5000)) daemon.kill();
  }
  bool start() {
    QFile config(dir.filePath("bus.conf"));
    if (!config.open(QIODevice::WriteOnly)) return false;
    config.write(
        QString("<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>"
                "EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                "</busconfig>")
            .arg(dir.path())
            .toUtf8());
    config.close();
    daemon.start("dbus-daemon",
                 {"--config-file=" + config.fileName(), "--print-address", "--nofork"});
    while (daemon.waitForReadyRead(10000) && !daemon.canReadLine()) {
    }
    address = QString::fromUtf8(daemon.readLine()).trimmed();
    return !address.isEmpty();
  }
};

// The request object of a call; only Close matters here.
class FakeRequest : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

 public:
  FakeRequest(bool* closed, QObject* parent) : QObject(parent), closed_(closed) {}

 public slots:
  void Close() { *closed_ = true; }

 private:
  bool* closed_;
};

// Stands in for xdg-desktop-portal's Screenshot interface, answering the way
// it was told to, and keeps what the caller sent.
class FakePortal : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

 public:
  enum class Answer {
    Picture,             // a PNG, a little after the reply
    PictureBeforeReply,  // a PNG, announced before the call's reply goes out
    PictureOnOwnPath,    // a PNG, on a request path of the portal's choosing (old portals)
    Cancelled,           // the user said no
    NotAPicture,         // success, naming a file that holds no picture
    Refused,             // the call itself is refused
    Silence,             // never answers
  };
  Q_ENUM(Answer)

  FakePortal(QDBusConnection bus, QString folder, Answer answer)
      : bus_(std::move(bus)), folder_(std::move(folder)), answer_(answer) {}
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
  QString handle;       // the request path the portal answered with
  QString pictureFile;  // the file named in the answer
  QImage picture;       // what that file holds
  bool closed = false;  // Close was called on the request

 public slots:
  QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options) {
    ++calls;
    this->parentWindow = parentWindow;
    this->options = options;
    if (answer_ == Answer::Refused) {
      sendErrorReply(QDBusError::AccessDenied, "screenshots are not allowed");
      return {};
    }
    // The documented path comes from the caller's unique name and its token.
    const QString sender = message().service().mid(1).replace('.', '_');
    handle = answer_ == Answer::PictureOnOwnPath
                 ? kObjectPath + "/request/fake"
                 : kObjectPath + "/request/" + sender + "/" + options["handle_token"].toString();
    bus_.registerObject(handle, new FakeRequest(&closed, this), QDBusConnection::ExportAllSlots);
    // Long enough that a client which subscribed only after the reply would
    // still be in time.
    if (answer_ == Answer::PictureBeforeReply) answer();
    if (answer_ != Answer::Silence && answer_ != Answer::PictureBeforeReply)
      QTimer::singleShot(150, this, &FakePortal::answer);
    return QDBusObjectPath(handle);
  }

 private:
  void answer() {
    QVariantMap results;
    if (answer_ != Answer::Cancelled) {
      pictureFile = QDir(folder_).filePath("Screenshot from the fake portal.png");
      QFile file(pictureFile);
      if (answer_ == Answer::NotAPicture && file.open(QIODevice::WriteOnly))
        file.write("no picture");
      // Odd sizes and distinct pixels, so a crop or a swap of rows shows.
      if (answer_ != Answer::NotAPicture) (picture = patternImage(67, 45)).save(pictureFile, "PNG");
      results.insert("uri", QUrl::fromLocalFile(pictureFile).toString());
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(handle, "org.freedesktop.portal.Request", "Response");
    signal << uint(answer_ == Answer::Cancelled ? 1 : 0) << results;
    bus_.send(signal);
  }

  QDBusConnection bus_;
  QString folder_;
  Answer answer_;
};

// The portal client against fake portals on a bus of the test's own.
class TestPortalScreenshot : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void answers_data();
  void answers();
  void noBusIsAnError();

 private:
  PrivateBus bus_;
  QTemporaryDir pictures_;
};

void TestPortalScreenshot::initTestCase() {
  if (!bus_.start()) QSKIP("dbus-daemon (Debian package dbus-daemon) did not start");
  QVERIFY(QDBusConnection::connectToBus(bus_.address, "client").isConnected());
  QVERIFY(QDBusConnection::connectToBus(bus_.address, "portal").isConnected());
}

void TestPortalScreenshot::answers_data() {
  QTest::addColumn<FakePortal::Answer>("answer");
  QTest::addColumn<bool>("portalRuns");
  QTest::addColumn<QString>("error");  // a part of it; empty: a picture is expected
  using A = FakePortal::Answer;
  QTest::newRow("picture") << A::Picture << true << "";
  QTest::newRow("answer before the reply") << A::PictureBeforeReply << true << "";
  QTest::newRow("request path of the portal's choosing") << A::PictureOnOwnPath << true << "";
  QTest::newRow("cancelled") << A::Cancelled << true << "取消";
  QTest::newRow("file holds no picture") << A::NotAPicture << true << "图片";
  QTest::newRow("call refused") << A::Refused << true << "not allowed";
  QTest::newRow("no portal on the bus") << A::Picture << false << "找不到";
  QTest::newRow("silence: timed out") << A::Silence << true << "超时";
}

void TestPortalScreenshot::answers() {
  QFETCH(FakePortal::Answer, answer);
  QFETCH(bool, portalRuns);
  QFETCH(QString, error);
  FakePortal portal(QDBusConnection("portal"), pictures_.path(), answer);
  if (portalRuns) QVERIFY(portal.publish());
  const ScreenGrab grab = PortalScreenshot(QDBusConnection("client"), "x11:4a00007")
                              .take(answer == FakePortal::Answer::Silence ? 300 : 20000);
  QCOMPARE(portal.calls, portalRuns ? 1 : 0);
  QCOMPARE(imageDifference(grab.image, portal.picture), QString());
  QVERIFY2(error.isEmpty() ? grab.ok()
                           : grab.error.startsWith("无法截取屏幕：") && grab.error.contains(error),
           qPrintable(grab.error));
  // The portal's file is ours to remove, read or not.
  QVERIFY2(portal.pictureFile.isEmpty() || !QFile::exists(portal.pictureFile),
           qPrintable(portal.pictureFile));
  // The dialog the user may still be looking at is taken away.
  if (answer == FakePortal::Answer::Silence) QTRY_VERIFY(portal.closed);
  if (!portalRuns || answer == FakePortal::Answer::Refused) return;
  QCOMPARE(portal.parentWindow, QString("x11:4a00007"));
  QCOMPARE(portal.options.value("interactive"), QVariant(false));
  QCOMPARE(portal.options.value("modal"), QVariant(true));
}

void TestPortalScreenshot::noBusIsAnError() {
  const ScreenGrab grab = PortalScreenshot(QDBusConnection("nowhere")).take(1000);
  QVERIFY2(!grab.ok() && grab.error.startsWith("无法截取屏幕："), qPrintable(grab.error));
}

}  // namespace

QTEST_MAIN(TestPortalScreenshot)
#include "tst_portal_screenshot.moc"
