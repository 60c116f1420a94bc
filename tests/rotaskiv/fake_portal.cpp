#include "fake_portal.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "tests/support/image_compare.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Long enough that a client which subscribes only after the reply would
// still be in time: the answers that are meant to come late come this late.
constexpr int kAnswerDelayMs = 150;

}  // namespace

// The request object of a call; only Close matters here.
class FakeRequest : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

 public:
  explicit FakeRequest(bool* closed) : closed_(closed) {}

 public slots:
  void Close() { *closed_ = true; }

 private:
  bool* closed_;
};

PrivateBus::~PrivateBus() {
  if (daemon_.state() == QProcess::NotRunning) return;
  daemon_.terminate();
  if (!daemon_.waitForFinished(5000)) {
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
}

QString PrivateBus::start() {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
  if (program.isEmpty())
    return QStringLiteral("dbus-daemon is not installed (Debian package dbus-daemon)");
  if (!dir_.isValid())
    return QStringLiteral("no temporary folder for the bus: ") + dir_.errorString();
  const QString config = dir_.filePath(QStringLiteral("bus.conf"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write ") + config;
  file.write(
      QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                     "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig>\n"
                     "  <type>session</type>\n"
                     "  <listen>unix:dir=%1</listen>\n"
                     "  <auth>EXTERNAL</auth>\n"
                     "  <policy context=\"default\">\n"
                     "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                     "    <allow eavesdrop=\"true\"/>\n"
                     "    <allow own=\"*\"/>\n"
                     "  </policy>\n"
                     "</busconfig>\n")
          .arg(dir_.path())
          .toUtf8());
  file.close();

  daemon_.start(program, {QStringLiteral("--config-file=") + config,
                          QStringLiteral("--print-address"), QStringLiteral("--nofork")});
  if (!daemon_.waitForStarted(10000)) return QStringLiteral("dbus-daemon did not start");
  while (!daemon_.canReadLine()) {
    if (!daemon_.waitForReadyRead(10000))
      return QStringLiteral("dbus-daemon gave no address: ") +
             QString::fromLocal8Bit(daemon_.readAllStandardError());
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  return address_.isEmpty() ? QStringLiteral("dbus-daemon gave an empty address") : QString();
}

FakePortal::FakePortal(QDBusConnection bus, QString pictureDir, Answer answer)
    : bus_(std::move(bus)), pictureDir_(std::move(pictureDir)), answer_(answer) {}

FakePortal::~FakePortal() {
  bus_.unregisterService(kService);
  bus_.unregisterObject(kObjectPath);
  if (request_) bus_.unregisterObject(handle);
}

bool FakePortal::publish() {
  return bus_.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots) &&
         bus_.registerService(kService);
}

QDBusObjectPath FakePortal::Screenshot(const QString& parentWindow, const QVariantMap& options) {
  ++calls;
  this->parentWindow = parentWindow;
  this->options = options;
  if (answer_ == Answer::ErrorReply) {
    sendErrorReply(QDBusError::AccessDenied, QStringLiteral("screenshots are not allowed"));
    return {};
  }

  if (request_) bus_.unregisterObject(handle);
  if (answer_ == Answer::PictureOnOwnPath) {
    handle = QStringLiteral("%1/request/fake_%2").arg(kObjectPath).arg(calls);
  } else {
    // The documented form, from the caller's unique name and its token.
    QString sender = message().service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    handle =
        QStringLiteral("%1/request/%2/%3")
            .arg(kObjectPath, sender, options.value(QStringLiteral("handle_token")).toString());
  }
  request_ = std::make_unique<FakeRequest>(&closed);
  bus_.registerObject(handle, request_.get(), QDBusConnection::ExportAllSlots);

  if (answer_ == Answer::PictureBeforeReply)
    answer();
  else if (answer_ != Answer::Silence)
    QTimer::singleShot(kAnswerDelayMs, this, &FakePortal::answer);
  return QDBusObjectPath(handle);
}

void FakePortal::answer() {
  uint response = 0;
  QVariantMap results;
  switch (answer_) {
    case Answer::Picture:
    case Answer::PictureBeforeReply:
    case Answer::PictureOnOwnPath:
      results = writePicture();
      break;
    case Answer::NotAPicture: {
      pictureFile = QDir(pictureDir_).filePath(QStringLiteral("Screenshot.png"));
      QFile file(pictureFile);
      if (file.open(QIODevice::WriteOnly)) file.write("this is no picture\n");
      results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(pictureFile).toString());
      break;
    }
    case Answer::Cancelled:
      response = 1;
      break;
    case Answer::Failed:
      response = 2;
      break;
    case Answer::NoUri:
    case Answer::ErrorReply:
    case Answer::Silence:
      break;
  }
  QDBusMessage signal = QDBusMessage::createSignal(
      handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
  signal << response << results;
  bus_.send(signal);
}

QVariantMap FakePortal::writePicture() {
  // Odd sizes and distinct pixels, so a crop or a swap of rows shows.
  picture = patternImage(67, 45).convertToFormat(QImage::Format_RGB32);
  pictureFile = QDir(pictureDir_).filePath(QStringLiteral("Screenshot from the fake portal.png"));
  picture.save(pictureFile, "PNG");
  return {{QStringLiteral("uri"), QUrl::fromLocalFile(pictureFile).toString()}};
}

#include "fake_portal.moc"
