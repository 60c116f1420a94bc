#include "rotaskiv/command_capture.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <cstdio>

#include "common/picture_loader.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/capture_save.h"
#include "rotaskiv/clipboard_keeper.h"
#include "rotaskiv/picture_saver.h"
#include "rotaskiv/pin_window.h"
#include "rotaskiv/screen_source.h"

namespace {

using command_line::Request;
using command_line::Source;

constexpr char kLastRegionKey[] = "capture/lastRegion";

QString tr(const char* text) { return QCoreApplication::translate("CaptureCommand", text); }

int complain(const QString& message, int status) {
  std::fprintf(stderr, "rotaskiv: %s\n", message.toLocal8Bit().constData());
  return status;
}

void wait(double seconds) {
  if (seconds <= 0) return;
  QEventLoop loop;
  QTimer::singleShot(qRound(seconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
}

// A picture file laid over the primary screen, in its device pixels, in
// place of the screens: the capture window annotates it as it would them.
class PictureSource : public ScreenSource {
 public:
  explicit PictureSource(QImage picture) : picture_(std::move(picture)) {}
  DesktopGrab grab() override {
    DesktopGrab desktop;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
      desktop.error = tr("找不到屏幕。");
      return desktop;
    }
    const qreal ratio = screen->devicePixelRatio();
    QImage shown((QSizeF(screen->size()) * ratio).toSize(), QImage::Format_RGB32);
    shown.fill(QColor(64, 64, 64));
    QPainter painter(&shown);
    QImage picture = picture_;
    picture.setDevicePixelRatio(1);  // one pixel of the file to one of the screen
    painter.drawImage(0, 0, picture);
    painter.end();
    shown.setDevicePixelRatio(ratio);
    desktop.screens.push_back({screen->geometry(), shown});
    return desktop;
  }

 private:
  QImage picture_;
};

// The capture window without the main window: its copy or save ends the
// program, as closing it does.
int openCaptureWindow() {
  auto* form = new CaptureForm(nullptr);
  form->Show();
  if (form->isHidden()) return 1;  // the screens could not be read; the user was told
  return QApplication::exec();
}

int writeOutput(const QImage& picture, const QString& pattern) {
  if (pattern == QLatin1String("-")) {
    QFile out;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG") || !out.open(stdout, QIODevice::WriteOnly) ||
        out.write(png) != png.size() || !out.flush())
      return complain(tr("无法把图片写到标准输出：%1").arg(out.errorString()), 1);
    return 0;
  }
  const QString name = command_line::outputFileName(
      pattern, QDateTime::currentDateTime(), [](const QString& n) { return QFileInfo::exists(n); });
  using namespace capture_save;
  if (const auto failure = ModSavePic::writePicture(picture, name, extensionOf(name), kJpegQuality,
                                                    kTiffColourDepth, kTiffNoCompression))
    return complain(ModSavePic::errorReportText(*failure).simplified(), 1);
  std::printf("%s\n", QFileInfo(name).absoluteFilePath().toLocal8Bit().constData());
  std::fflush(stdout);
  return 0;
}

int takeAtOnce(const Request& request) {
  const DesktopGrab desktop = screenSource().grab();
  if (!desktop.ok())
    return complain(desktop.error.isEmpty() ? tr("无法截取屏幕：找不到屏幕。") : desktop.error, 1);
  QRect region = request.region;
  if (request.source == Source::Screen) {
    if (request.screen >= int(desktop.screens.size()))
      return complain(tr("没有第 %1 个屏幕（共 %2 个，从 0 数起）。")
                          .arg(request.screen)
                          .arg(desktop.screens.size()),
                      2);
    region = desktop.screens[std::size_t(request.screen)].geometry;
  } else if (request.source == Source::LastRegion) {
    region = lastCaptureRegion();
    if (region.isEmpty()) return complain(tr("还没有上一次截图的区域。"), 1);
  }
  const QImage picture = command_line::desktopPart(desktop, region);
  if (picture.isNull())
    return complain(tr("区域 %1,%2,%3,%4 不在任何屏幕上。")
                        .arg(region.x())
                        .arg(region.y())
                        .arg(region.width())
                        .arg(region.height()),
                    1);
  rememberCaptureRegion(region);
  int status = 0;
  if (!request.output.isEmpty()) status = writeOutput(picture, request.output);
  if (request.clipboard) clipboard_keeper::copy(picture);
  if (request.pin && status == 0) {
    QImage shown = picture;
    shown.setDevicePixelRatio(picture.width() / double(std::max(1, region.width())));
    auto* pin = new PinWindow(shown);
    pin->move(region.topLeft());  // where it was taken, as a pin from the capture window
    pin->show();
    return QApplication::exec();
  }
  return status;
}

}  // namespace

QRect lastCaptureRegion() { return QSettings().value(kLastRegionKey).toRect(); }

void rememberCaptureRegion(const QRect& region) {
  if (!region.isEmpty()) QSettings().setValue(kLastRegionKey, region);
}

int runCaptureCommand(const Request& request) {
  wait(request.delaySeconds);
  if (request.source == Source::Window) return openCaptureWindow();
  if (request.source == Source::Annotate) {
    const LoadedPicture loaded = loadPicture(request.picture);
    if (!loaded.ok())
      return complain(tr("无法打开图片“%1”：%2").arg(request.picture, loaded.error), 1);
    PictureSource source(loaded.image);
    installScreenSource(&source);
    const int status = openCaptureWindow();
    installScreenSource(nullptr);
    return status;
  }
  return takeAtOnce(request);
}
