#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

// Where the capture window's frozen picture of the screen comes from. The
// grab keeps the screen's device pixels: the image's devicePixelRatio says
// how many go to one window pixel.
struct ScreenGrab {
  QImage image;
  QString error;  // why there is no image, for the user
  bool ok() const { return error.isEmpty() && !image.isNull(); }
};

class ScreenSource {
 public:
  virtual ~ScreenSource() = default;
  // A picture of the whole primary screen as it looks now.
  virtual ScreenGrab grab() = 0;
};

// The source in use: the desktop portal on Wayland, Qt's screen grab
// elsewhere, unless another one was installed.
ScreenSource& screenSource();
// Installs `source` (not owned); nullptr goes back to the platform's.
void installScreenSource(ScreenSource* source);

// The pieces the platform's source is made of, kept apart so each can be
// checked on its own.

// How the platform's source reads the screen.
enum class GrabRoute {
  QtGrab,            // Qt reads the screen itself (X11, Windows, macOS, offscreen)
  Portal,            // only the desktop portal can (Wayland)
  QtGrabThenPortal,  // an X11 client in a Wayland session: Qt's grab comes back black
};
GrabRoute grabRoute(const QString& platformName, bool waylandSession);

// Qt's grab as a ScreenGrab: 32-bit RGB, the pixmap's device pixel ratio kept.
// A null pixmap is an error; so is an all-black one when `blackMeansUnreadable`
// (the window system handed out an empty picture instead of the screen).
ScreenGrab screenGrabFromPixmap(const QPixmap& pixmap, bool blackMeansUnreadable);

// The part of a portal's picture that shows the primary screen `screen`
// (window pixels, in the coordinates of `desktop`, the area of all screens),
// with the device pixel ratio that lays it over the screen. Portals shoot
// either the one output or every output at once, at the screen's scale or at
// another one.
QImage primaryScreenPart(const QImage& picture, const QRect& screen, const QRect& desktop,
                         qreal devicePixelRatio);
