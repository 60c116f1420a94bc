#include "rotaskiv/screen_source.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "rotaskiv/portal_screenshot.h"

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

class PlatformScreenSource final : public ScreenSource {
 public:
  ScreenGrab grab() override {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {QImage(), tr("无法截取屏幕：找不到屏幕。")};
    const GrabRoute route = grabRoute(QGuiApplication::platformName(), inWaylandSession());
    if (route == GrabRoute::Portal) return grabWithPortal(*screen);
    ScreenGrab grab =
        screenGrabFromPixmap(screen->grabWindow(0), route == GrabRoute::QtGrabThenPortal);
    if (grab.ok() || route != GrabRoute::QtGrabThenPortal) return grab;
    // The portal knows better why it could not help either.
    return grabWithPortal(*screen);
  }

 private:
  static ScreenGrab grabWithPortal(const QScreen& screen) {
    ScreenGrab grab = PortalScreenshot(QDBusConnection::sessionBus()).take(kPortalTimeoutMs);
    if (grab.ok())
      grab.image = primaryScreenPart(grab.image, screen.geometry(), screen.virtualGeometry(),
                                     screen.devicePixelRatio());
    return grab;
  }
};

ScreenSource* installedSource = nullptr;

}  // namespace

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

ScreenGrab screenGrabFromPixmap(const QPixmap& pixmap, bool blackMeansUnreadable) {
  ScreenGrab grab;
  if (pixmap.isNull()) {
    grab.error = tr("无法截取屏幕：系统没有提供屏幕画面。");
    return grab;
  }
  QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) {
    grab.error = tr("无法截取屏幕：内存不足，放不下屏幕画面。");
    return grab;
  }
  image.setDevicePixelRatio(pixmap.devicePixelRatio());
  if (blackMeansUnreadable && allBlack(image)) {
    grab.error = tr("无法截取屏幕：窗口系统不允许读取屏幕，只给出了一片黑色。");
    return grab;
  }
  grab.image = image;
  return grab;
}

QImage primaryScreenPart(const QImage& picture, const QRect& screen, const QRect& desktop,
                         qreal devicePixelRatio) {
  if (picture.isNull() || screen.isEmpty()) return picture;
  QImage part = picture;
  qreal ratio = devicePixelRatio;
  if (!covers(picture.size(), screen.size(), devicePixelRatio)) {
    if (desktop != screen && desktop.contains(screen) &&
        sameShape(picture.size(), desktop.size())) {
      // Every output in one picture, possibly at another scale than ours:
      // cut out the primary screen at the picture's own scale.
      ratio = covers(picture.size(), desktop.size(), devicePixelRatio)
                  ? devicePixelRatio
                  : qreal(picture.width()) / desktop.width();
      const QRectF area(QPointF(screen.topLeft() - desktop.topLeft()) * ratio,
                        QSizeF(screen.size()) * ratio);
      part = picture.copy(area.toRect().intersected(picture.rect()));
    } else {
      // The one output at a scale of its own: lay it over the whole screen.
      ratio = qreal(picture.width()) / screen.width();
    }
  }
  part.setDevicePixelRatio(ratio);
  return part;
}
