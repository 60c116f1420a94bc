#include <QtTest>

#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <memory>

#include "fake_portal.h"
#include "rotaskiv/portal_screenshot.h"
#include "rotaskiv/screen_source.h"
#include "tests/support/image_compare.h"

namespace {

const QString kErrorLead = QStringLiteral("无法截取屏幕：");

// The portal client against fake portals on a bus of the test's own.
class TestPortalScreenshot : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void answers_data();
  void answers();
  void silentPortalTimesOutAndIsClosed();
  void requestCarriesWindowAndOptions();
  void noBusIsAnError();

 private:
  QDBusConnection client() const { return QDBusConnection(QStringLiteral("screen-test-client")); }
  QDBusConnection portalSide() const {
    return QDBusConnection(QStringLiteral("screen-test-portal"));
  }

  std::unique_ptr<PrivateBus> bus_;
  std::unique_ptr<QTemporaryDir> pictures_;
};

void TestPortalScreenshot::initTestCase() {
  bus_ = std::make_unique<PrivateBus>();
  const QString why = bus_->start();
  if (!why.isEmpty()) QSKIP(qPrintable(why + QStringLiteral("; the portal client needs a bus")));
  QVERIFY(QDBusConnection::connectToBus(bus_->address(), QStringLiteral("screen-test-client"))
              .isConnected());
  QVERIFY(QDBusConnection::connectToBus(bus_->address(), QStringLiteral("screen-test-portal"))
              .isConnected());
}

void TestPortalScreenshot::cleanupTestCase() {
  QDBusConnection::disconnectFromBus(QStringLiteral("screen-test-client"));
  QDBusConnection::disconnectFromBus(QStringLiteral("screen-test-portal"));
  bus_.reset();
}

void TestPortalScreenshot::init() {
  pictures_ = std::make_unique<QTemporaryDir>();
  QVERIFY(pictures_->isValid());
}

void TestPortalScreenshot::answers_data() {
  QTest::addColumn<FakePortal::Answer>("answer");
  QTest::addColumn<bool>("portalRuns");
  QTest::addColumn<QString>("errorMentions");  // empty: a picture is expected

  using A = FakePortal::Answer;
  QTest::newRow("picture") << A::Picture << true << QString();
  QTest::newRow("answer before the reply") << A::PictureBeforeReply << true << QString();
  QTest::newRow("request path of the portal's choosing")
      << A::PictureOnOwnPath << true << QString();
  QTest::newRow("cancelled") << A::Cancelled << true << QStringLiteral("取消");
  QTest::newRow("failed") << A::Failed << true << QStringLiteral("没能截取");
  QTest::newRow("no picture named") << A::NoUri << true << QStringLiteral("没有给出图片");
  QTest::newRow("file holds no picture") << A::NotAPicture << true << QStringLiteral("图片");
  QTest::newRow("call refused") << A::ErrorReply << true << QStringLiteral("not allowed");
  QTest::newRow("no portal on the bus") << A::Picture << false << QStringLiteral("找不到");
}

void TestPortalScreenshot::answers() {
  QFETCH(FakePortal::Answer, answer);
  QFETCH(bool, portalRuns);
  QFETCH(QString, errorMentions);

  FakePortal portal(portalSide(), pictures_->path(), answer);
  if (portalRuns) QVERIFY(portal.publish());
  const ScreenGrab grab = PortalScreenshot(client()).take(20000);

  QCOMPARE(portal.calls, portalRuns ? 1 : 0);
  if (errorMentions.isEmpty()) {
    QVERIFY2(grab.ok(), qPrintable(grab.error));
    QCOMPARE(grab.image.format(), QImage::Format_RGB32);
    const QString difference = imageDifference(grab.image, portal.picture);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
  } else {
    QVERIFY(!grab.ok());
    QVERIFY(grab.image.isNull());
    QVERIFY2(grab.error.startsWith(kErrorLead) && grab.error.contains(errorMentions),
             qPrintable(grab.error));
  }
  // The portal's file is ours to remove, read or not.
  if (!portal.pictureFile.isEmpty()) QVERIFY(!QFile::exists(portal.pictureFile));
}

void TestPortalScreenshot::silentPortalTimesOutAndIsClosed() {
  FakePortal portal(portalSide(), pictures_->path(), FakePortal::Answer::Silence);
  QVERIFY(portal.publish());
  const ScreenGrab grab = PortalScreenshot(client()).take(300);
  QVERIFY(!grab.ok());
  QVERIFY2(grab.error.startsWith(kErrorLead) && grab.error.contains(QStringLiteral("超时")),
           qPrintable(grab.error));
  // The dialog the user may still be looking at is taken away.
  QTRY_VERIFY(portal.closed);
}

void TestPortalScreenshot::requestCarriesWindowAndOptions() {
  FakePortal portal(portalSide(), pictures_->path(), FakePortal::Answer::Cancelled);
  QVERIFY(portal.publish());

  PortalScreenshot(client()).take(20000);
  QVERIFY(!portal.parentWindow.isEmpty());
  QCOMPARE(portal.options.value(QStringLiteral("interactive")), QVariant(false));
  QCOMPARE(portal.options.value(QStringLiteral("modal")), QVariant(true));
  const QString firstToken = portal.options.value(QStringLiteral("handle_token")).toString();
  QVERIFY2(QRegularExpression(QStringLiteral("^[A-Za-z0-9_]+$")).match(firstToken).hasMatch(),
           qPrintable(firstToken));

  PortalScreenshot(client(), QStringLiteral("x11:4a00007")).take(20000);
  QCOMPARE(portal.parentWindow, QStringLiteral("x11:4a00007"));
  QVERIFY(portal.options.value(QStringLiteral("handle_token")).toString() != firstToken);
}

void TestPortalScreenshot::noBusIsAnError() {
  const ScreenGrab grab =
      PortalScreenshot(QDBusConnection(QStringLiteral("screen-test-nowhere"))).take(1000);
  QVERIFY(!grab.ok());
  QVERIFY2(grab.error.startsWith(kErrorLead), qPrintable(grab.error));
}

}  // namespace

QTEST_MAIN(TestPortalScreenshot)
#include "tst_portal_screenshot.moc"
