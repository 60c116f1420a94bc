#include "rotaskiv/portal_screenshot.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <QWindow>
#include <utility>

#include "common/picture_loader.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const char* const kResponseSlot = SLOT(onResponse(uint, QVariantMap));

// The codes of org.freedesktop.portal.Request::Response; anything else means
// the interaction ended some other way.
constexpr uint kResponseSuccess = 0;
constexpr uint kResponseCancelled = 1;

constexpr int kAllocationLimitMb = int(kMaxPictureBytes >> 20);

QString tr(const char* text) { return QCoreApplication::translate("PortalScreenshot", text); }

ScreenGrab failure(const QString& why) { return {QImage(), tr("无法截取屏幕：%1").arg(why)}; }

QString describe(const QDBusError& error) {
  switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
      return tr("找不到桌面截图服务（xdg-desktop-portal 的 Screenshot 接口）。");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
      return tr("等待桌面截图服务超时。");
    default:
      return tr("桌面截图服务出错（%1）。")
          .arg(error.message().isEmpty() ? error.name() : error.message());
  }
}

// Where the portal will put the request object for our call: the sender's
// unique name without ':' and with '_' for '.', then our token.
QString requestPath(const QString& uniqueName, const QString& token) {
  QString sender = uniqueName;
  if (sender.startsWith(QLatin1Char(':'))) sender.remove(0, 1);
  sender.replace(QLatin1Char('.'), QLatin1Char('_'));
  return QStringLiteral("%1/request/%2/%3").arg(kObjectPath, sender, token);
}

// Receives the Response signal of one request object and ends the wait.
class ResponseWaiter : public QObject {
  Q_OBJECT

 public:
  ResponseWaiter(QDBusConnection bus, QEventLoop* loop) : bus_(std::move(bus)), loop_(loop) {}
  ~ResponseWaiter() override { unsubscribe(); }

  bool subscribe(const QString& path) {
    unsubscribe();
    if (!bus_.connect(kService, path, kRequestInterface, QStringLiteral("Response"), this,
                      kResponseSlot))
      return false;
    path_ = path;
    return true;
  }

  void unsubscribe() {
    if (path_.isEmpty()) return;
    bus_.disconnect(kService, path_, kRequestInterface, QStringLiteral("Response"), this,
                    kResponseSlot);
    path_.clear();
  }

  const QString& path() const { return path_; }
  bool answered() const { return answered_; }
  uint response() const { return response_; }
  const QVariantMap& results() const { return results_; }

 public slots:
  void onResponse(uint response, const QVariantMap& results) {
    if (answered_) return;
    answered_ = true;
    response_ = response;
    results_ = results;
    loop_->quit();
  }

 private:
  QDBusConnection bus_;
  QEventLoop* loop_;
  QString path_;
  bool answered_ = false;
  uint response_ = 0;
  QVariantMap results_;
};

}  // namespace

PortalScreenshot::PortalScreenshot(QDBusConnection bus, QString parentWindow)
    : bus_(std::move(bus)), parentWindow_(std::move(parentWindow)) {}

QString PortalScreenshot::defaultParentWindow() {
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (const QWindow* window = QGuiApplication::focusWindow())
      return QStringLiteral("x11:%1").arg(window->winId(), 0, 16);
  }
  return QStringLiteral("wayland:");
}

ScreenGrab PortalScreenshot::take(int timeoutMs) {
  if (!bus_.isConnected()) return failure(tr("没有可用的 D-Bus 会话总线。"));

  // Unique and not guessable, so no other client can answer in the portal's place.
  const QString token =
      QStringLiteral("rotaskiv_%1")
          .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
  QEventLoop loop;
  ResponseWaiter waiter(bus_, &loop);
  // Subscribe before calling: the portal may answer before its reply to the
  // call has reached us, and a Response nobody listened for is lost.
  if (!waiter.subscribe(requestPath(bus_.baseService(), token)))
    return failure(describe(bus_.lastError()));

  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kObjectPath, kScreenshotInterface, "Screenshot");
  const QVariantMap options{{QStringLiteral("handle_token"), token},
                            {QStringLiteral("interactive"), false},
                            {QStringLiteral("modal"), true}};
  call << parentWindow_ << options;

  QString callError;
  QDBusPendingCallWatcher watcher(bus_.asyncCall(call, timeoutMs));
  QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
    const QDBusPendingReply<QDBusObjectPath> reply = watcher;
    if (reply.isError()) {
      callError = describe(reply.error());
      loop.quit();
      return;
    }
    // Portals older than 0.9 choose the request path themselves; follow theirs.
    const QString handle = reply.value().path();
    if (!waiter.answered() && !handle.isEmpty() && handle != waiter.path()) {
      if (!waiter.subscribe(handle)) {
        callError = describe(bus_.lastError());
        loop.quit();
      }
    }
  });
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(timeoutMs);
  // The user may have to confirm in the portal's dialog; keep painting, but
  // let no click reach our own windows in the meantime.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  timer.stop();

  if (!waiter.answered()) {
    if (!callError.isEmpty()) return failure(callError);
    // Take the portal's dialog away rather than leave it waiting for nobody.
    bus_.send(QDBusMessage::createMethodCall(kService, waiter.path(), kRequestInterface,
                                             QStringLiteral("Close")));
    return failure(tr("等待桌面截图服务超时。"));
  }
  switch (waiter.response()) {
    case kResponseSuccess:
      break;
    case kResponseCancelled:
      return failure(tr("截图被取消了。"));
    default:
      return failure(tr("桌面截图服务没能截取屏幕。"));
  }

  const QUrl uri(waiter.results().value(QStringLiteral("uri")).toString());
  if (!uri.isLocalFile()) return failure(tr("桌面截图服务没有给出图片文件。"));
  const QString path = uri.toLocalFile();
  // Qt refuses pictures above 256 MB by default; several 4K outputs in one
  // picture must still load.
  if (QImageReader::allocationLimit() < kAllocationLimitMb)
    QImageReader::setAllocationLimit(kAllocationLimitMb);
  const LoadedPicture picture = loadPicture(path);
  QFile::remove(path);
  if (!picture.ok()) return failure(picture.error);
  ScreenGrab grab;
  grab.image = picture.image.convertToFormat(QImage::Format_RGB32);
  if (grab.image.isNull()) return failure(tr("内存不足，放不下屏幕画面。"));
  return grab;
}

#include "portal_screenshot.moc"
