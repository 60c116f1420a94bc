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
#include <QTemporaryFile>
#include <QTimer>

namespace clipboard_keeper {

namespace {

constexpr char kPngType[] = "image/png";
constexpr int kServerCheckMilliseconds = 2000;

}  // namespace

void copy(const QImage& picture) {
  auto* data = new QMimeData;
  data->setImageData(picture);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (picture.save(&buffer, "PNG")) data->setData(QString::fromLatin1(kPngType), png);
  QGuiApplication::clipboard()->setMimeData(data);
}

void handOver() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard->mimeData();
  if (!clipboard->ownsClipboard() || data == nullptr || !data->hasFormat(kPngType)) return;
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
