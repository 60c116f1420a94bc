#include "rotaskiv/clipboard_keeper.h"

#include <xcb/xcb.h>
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <cstdlib>
#include <memory>

namespace clipboard_keeper {

namespace {

constexpr char kPngType[] = "image/png";
constexpr int kServerCheckMilliseconds = 2000;
constexpr int kWlCopyMilliseconds = 5000;

bool onWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// A Wayland compositor lets only a window that has the keyboard set the
// clipboard, and forgets what a program offered once it has ended. wl-copy
// (wl-clipboard) serves a picture from a process of its own until another
// program copies something, as the keeper does on X11. False when it is not
// installed or failed.
bool handToWlCopy(const QByteArray& png) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
  if (program.isEmpty() || png.isEmpty()) return false;
  QProcess copy;
  copy.start(program, {QStringLiteral("--type"), QString::fromLatin1(kPngType)});
  if (!copy.waitForStarted()) return false;
  copy.write(png);
  copy.closeWriteChannel();
  return copy.waitForFinished(kWlCopyMilliseconds) && copy.exitStatus() == QProcess::NormalExit &&
         copy.exitCode() == 0;
}

// Whether an X11 clipboard manager runs: Qt hands it what this program owns
// on the clipboard as the program ends (SAVE_TARGETS), and nothing of ours
// needs to stay behind.
bool clipboardManagerRuns() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) return false;
  xcb_connection_t* connection = x11->connection();
  const char name[] = "CLIPBOARD_MANAGER";
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name),
                            nullptr),
      &std::free);
  if (!atom || atom->atom == XCB_NONE) return false;
  std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom),
                                    nullptr),
      &std::free);
  return owner && owner->owner != XCB_NONE;
}

}  // namespace

void copy(const QImage& picture) {
  auto* data = new QMimeData;
  data->setImageData(picture);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (picture.save(&buffer, "PNG")) data->setData(QString::fromLatin1(kPngType), png);
  // Without a window of ours that has the keyboard the compositor would ignore us.
  if (onWayland() && QGuiApplication::focusWindow() == nullptr && handToWlCopy(png)) {
    delete data;
    return;
  }
  QGuiApplication::clipboard()->setMimeData(data);
}

void handOver() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard->mimeData();
  if (!clipboard->ownsClipboard() || data == nullptr || !data->hasFormat(kPngType)) return;
  if (onWayland()) {
    handToWlCopy(data->data(kPngType));
    return;
  }
  if (clipboardManagerRuns()) return;
  // The file outlives this process: the keeper removes it once it has read it.
  QTemporaryFile file(QDir::tempPath() + QStringLiteral("/rotaskiv-clipboard-XXXXXX.png"));
  file.setAutoRemove(false);
  if (!file.open() || file.write(data->data(kPngType)) != data->data(kPngType).size() ||
      !file.flush()) {
    file.remove();
    return;
  }
  file.close();
  if (!QProcess::startDetached(QCoreApplication::applicationFilePath(),
                               {QStringLiteral("--serve-clipboard"), file.fileName()}))
    file.remove();
}

int serve(const QString& file) {
  QFile png(file);
  const bool read = png.open(QIODevice::ReadOnly);
  const QByteArray bytes = read ? png.readAll() : QByteArray();
  png.remove();
  const QImage picture = QImage::fromData(bytes, "PNG");
  if (picture.isNull()) return 1;
  copy(picture);
  QClipboard* clipboard = QGuiApplication::clipboard();
  // Another program took the clipboard over: there is nothing left to serve.
  QObject::connect(clipboard, &QClipboard::changed, [clipboard](QClipboard::Mode mode) {
    if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard()) QCoreApplication::quit();
  });
  if (!clipboard->ownsClipboard()) return 1;  // a platform that keeps no clipboard of ours
  // Nor when the X server has gone (the session ended): Qt waits on it for ever.
  QTimer serverCheck;
  if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
    QObject::connect(&serverCheck, &QTimer::timeout, [x11] {
      if (xcb_connection_has_error(x11->connection())) QCoreApplication::quit();
    });
    serverCheck.start(kServerCheckMilliseconds);
  }
  return QCoreApplication::exec();
}

}  // namespace clipboard_keeper
