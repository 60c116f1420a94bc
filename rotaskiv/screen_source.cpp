#include "rotaskiv/screen_source.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "rotaskiv/portal_screenshot.h"
#include "rotaskiv/x11_screen_grab.h"
#include "rotaskiv/x11_windows.h"

namespace {

// Long enough for the user to read and confirm the portal's dialog.
constexpr int kPortalTimeoutMs = 30000;

QString tr(const char* text) { return QCoreApplication::translate("ScreenSource", text); }

bool allBlack(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0x00FFFFFFu) != 0) return false;
  }
  return true;
}

// Whether a picture of `pixels` device pixels covers `logical` window pixels
// at `dpr` (one pixel of slack for fractional scales).
bool covers(QSize pixels, QSize logical, qreal dpr) {
  const QSize expected = (QSizeF(logical) * dpr).toSize();
  return std::abs(pixels.width() - expected.width()) <= 1 &&
         std::abs(pixels.height() - expected.height()) <= 1;
}

bool sameShape(QSize a, QSize b) {
  // Cross-multiplied, within a pixel's worth of rounding on either side.
  const qint64 lhs = qint64(a.width()) * b.height();
  const qint64 rhs = qint64(b.width()) * a.height();
  return std::abs(lhs - rhs) <= qint64(qMax(a.width(), b.width()) + qMax(a.height(), b.height()));
}

bool inWaylandSession() {
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         qgetenv("XDG_SESSION_TYPE") == "wayland";
}

// The screens of the desktop, the primary first. A mirrored output shows the
// same part of the desktop as another one: one window covers both.
std::vector<QScreen*> desktopScreens() {
  std::vector<QScreen*> screens;
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == nullptr) return screens;
  screens.push_back(primary);
  for (QScreen* screen : primary->virtualSiblings()) {
    const bool mirrored = std::any_of(screens.begin(), screens.end(), [screen](QScreen* known) {
      return known->geometry() == screen->geometry();
    });
    if (!mirrored) screens.push_back(screen);
  }
  return screens;
}

// The average of each `factor` x `factor` block of `picture`, `size` blocks.
QImage boxReduced(const QImage& picture, int factor, QSize size) {
  const QImage source = picture.convertToFormat(QImage::Format_RGB32);
  QImage reduced(size, QImage::Format_RGB32);
  if (reduced.isNull()) return reduced;
  const int area = factor * factor;
  std::vector<int> sums(std::size_t(size.width()) * 3);
  for (int y = 0; y < size.height(); ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int row = 0; row < factor; ++row) {
      const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y * factor + row));
      for (int x = 0; x < size.width() * factor; ++x) {
        int* sum = &sums[std::size_t(x / factor) * 3];
        sum[0] += qRed(line[x]);
        sum[1] += qGreen(line[x]);
        sum[2] += qBlue(line[x]);
      }
    }
    auto* out = reinterpret_cast<QRgb*>(reduced.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const int* sum = &sums[std::size_t(x) * 3];
      out[x] =
          qRgb((sum[0] + area / 2) / area, (sum[1] + area / 2) / area, (sum[2] + area / 2) / area);
    }
  }
  return reduced;
}

// One screen at its own scale: read through shared memory on X11 where that
// can be done, by Qt otherwise. Qt keeps a screen's top-left in the X
// server's pixels and scales its size; a scale that is not a whole number
// may round the size either way, so only Qt reads such a screen.
ScreenGrab grabScreen(QScreen* screen, bool blackMeansUnreadable) {
  const qreal ratio = screen->devicePixelRatio();
  if (ratio == std::round(ratio)) {
    const QRect geometry = screen->geometry();
    QImage image =
        x11SharedMemoryGrab(QRect(geometry.topLeft(), geometry.size() * int(std::round(ratio))));
    if (!image.isNull()) {
      image.setDevicePixelRatio(ratio);
      return screenGrabFromImage(std::move(image), blackMeansUnreadable);
    }
  }
  return screenGrabFromPixmap(screen->grabWindow(0), blackMeansUnreadable);
}

class PlatformScreenSource final : public ScreenSource {
 public:
  DesktopGrab grab() override {
    const std::vector<QScreen*> screens = desktopScreens();
    if (screens.empty()) return {{}, tr("无法截取屏幕：找不到屏幕。")};
    return grabAlong(
        grabRoute(QGuiApplication::platformName(), inWaylandSession()),
        [&](bool blackMeansUnreadable) { return grabWithQt(screens, blackMeansUnreadable); },
        [&] { return grabWithPortal(screens); });
  }

  std::vector<QRect> windowFrames() override {
    // An X11 client in a Wayland session sees only the windows of other X11 clients.
    if (inWaylandSession()) return {};
    std::vector<ScreenLayout> layout;
    for (const QScreen* screen : desktopScreens())
      layout.push_back({screen->geometry(), screen->devicePixelRatio()});
    return x11WindowFrames(layout);
  }

 private:
  static DesktopGrab grabWithQt(const std::vector<QScreen*>& screens, bool blackMeansUnreadable) {
    DesktopGrab desktop;
    for (QScreen* screen : screens) {
      ScreenGrab grab = grabScreen(screen, blackMeansUnreadable);
      if (!grab.ok()) return {{}, grab.error};
      desktop.screens.push_back({screen->geometry(), std::move(grab.image)});
    }
    return desktop;
  }

  // The portal shoots the whole desktop in one picture, which is cut per screen.
  static DesktopGrab grabWithPortal(const std::vector<QScreen*>& screens) {
    const ScreenGrab grab = PortalScreenshot(QDBusConnection::sessionBus()).take(kPortalTimeoutMs);
    if (!grab.ok()) return {{}, grab.error};
    std::vector<ScreenLayout> layout;
    for (const QScreen* screen : screens)
      layout.push_back({screen->geometry(), screen->devicePixelRatio()});
    return {cutPortalPicture(grab.image, layout), QString()};
  }
};

ScreenSource* installedSource = nullptr;

}  // namespace

bool DesktopGrab::ok() const {
  return error.isEmpty() && !screens.empty() &&
         std::none_of(screens.begin(), screens.end(),
                      [](const FrozenScreen& screen) { return screen.image.isNull(); });
}

ScreenSource& screenSource() {
  static PlatformScreenSource platform;
  return installedSource ? *installedSource : platform;
}

void installScreenSource(ScreenSource* source) { installedSource = source; }

GrabRoute grabRoute(const QString& platformName, bool waylandSession) {
  if (platformName.startsWith(QLatin1String("wayland"))) return GrabRoute::Portal;
  // Only a real X11 client gets the black picture; the offscreen platform
  // always reads its own screen, and must never pop up a portal dialog.
  if (platformName == QLatin1String("xcb") && waylandSession) return GrabRoute::QtGrabThenPortal;
  return GrabRoute::QtGrab;
}

DesktopGrab grabAlong(GrabRoute route, const std::function<DesktopGrab(bool)>& qtGrab,
                      const std::function<DesktopGrab()>& portalGrab) {
  if (route == GrabRoute::Portal) return portalGrab();
  DesktopGrab grab = qtGrab(route == GrabRoute::QtGrabThenPortal);
  if (grab.ok() || route != GrabRoute::QtGrabThenPortal) return grab;
  // The portal knows better why it could not help either.
  return portalGrab();
}

ScreenGrab screenGrabFromPixmap(const QPixmap& pixmap, bool blackMeansUnreadable) {
  ScreenGrab grab;
  if (pixmap.isNull()) {
    grab.error = tr("无法截取屏幕：系统没有提供屏幕画面。");
    return grab;
  }
  QImage image = pixmap.toImage();
  image.setDevicePixelRatio(pixmap.devicePixelRatio());
  return screenGrabFromImage(std::move(image), blackMeansUnreadable);
}

ScreenGrab screenGrabFromImage(QImage picture, bool blackMeansUnreadable) {
  ScreenGrab grab;
  // Already 32-bit RGB (as the screens of X11 come), the picture is kept as it is.
  QImage image = std::move(picture).convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) {
    grab.error = tr("无法截取屏幕：内存不足，放不下屏幕画面。");
    return grab;
  }
  if (blackMeansUnreadable && allBlack(image)) {
    grab.error = tr("无法截取屏幕：窗口系统不允许读取屏幕，只给出了一片黑色。");
    return grab;
  }
  grab.image = std::move(image);
  return grab;
}

std::vector<FrozenScreen> cutPortalPicture(const QImage& picture,
                                           const std::vector<ScreenLayout>& screens) {
  if (picture.isNull() || screens.empty()) return {};
  QRect desktop;
  for (const ScreenLayout& screen : screens) desktop |= screen.geometry;
  const ScreenLayout& primary = screens.front();
  const bool coversPrimary =
      covers(picture.size(), primary.geometry.size(), primary.devicePixelRatio);
  if (screens.size() == 1 || coversPrimary || !sameShape(picture.size(), desktop.size())) {
    // The one output, at a scale of its own when not at ours: laid over the
    // whole primary screen.
    const qreal ratio = coversPrimary ? primary.devicePixelRatio
                                      : qreal(picture.width()) / primary.geometry.width();
    return {{primary.geometry,
             atScreenScale(picture, ratio, primary.geometry.size(), primary.devicePixelRatio)}};
  }
  // Every output in one picture, possibly at another scale than a screen's
  // own: each screen's part at the picture's scale, then at its own.
  std::vector<FrozenScreen> parts;
  for (const ScreenLayout& screen : screens) {
    const qreal ratio = covers(picture.size(), desktop.size(), screen.devicePixelRatio)
                            ? screen.devicePixelRatio
                            : qreal(picture.width()) / desktop.width();
    const QRectF area(QPointF(screen.geometry.topLeft() - desktop.topLeft()) * ratio,
                      QSizeF(screen.geometry.size()) * ratio);
    const QImage part = picture.copy(area.toRect().intersected(picture.rect()));
    if (part.isNull()) continue;  // the picture ends before this screen: left unfrozen
    parts.push_back({screen.geometry,
                     atScreenScale(part, ratio, screen.geometry.size(), screen.devicePixelRatio)});
  }
  return parts;
}

QImage atScreenScale(const QImage& picture, qreal pictureRatio, QSize logical, qreal screenRatio) {
  QImage result = picture;
  result.setDevicePixelRatio(pictureRatio);
  // Within rounding of the same scale: nothing to do.
  if (picture.isNull() || pictureRatio <= screenRatio * 1.001) return result;
  const int factor = qRound(pictureRatio / screenRatio);
  const QSize wanted = (QSizeF(logical) * screenRatio).toSize();
  if (factor >= 2 && std::abs(pictureRatio / screenRatio - factor) < 0.001 &&
      picture.width() >= wanted.width() * factor && picture.height() >= wanted.height() * factor)
    result = boxReduced(picture, factor, wanted);
  else
    result = picture.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                 .convertToFormat(QImage::Format_RGB32);
  result.setDevicePixelRatio(screenRatio);
  return result;
}
