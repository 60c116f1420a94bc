#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

// One picture of the screen as a window system hands it over, or why there is
// none. The picture keeps the screen's device pixels: its devicePixelRatio
// says how many go to one window pixel.
struct ScreenGrab {
  QImage image;
  QString error;  // why there is no image, for the user
  bool ok() const { return error.isEmpty() && !image.isNull(); }
};

// A screen as the desktop lays it out: where it lies, in the desktop's logical
// pixels, and how many device pixels go to one of them.
struct ScreenLayout {
  QRect geometry;
  qreal devicePixelRatio = 1;
};

// One screen of the frozen desktop: where it lies (logical pixels) and its
// picture (device pixels, with the devicePixelRatio that lays it over the
// screen).
struct FrozenScreen {
  QRect geometry;
  QImage image;
};

// The whole desktop frozen: a picture of every screen, the primary first, or
// why it could not be had.
struct DesktopGrab {
  std::vector<FrozenScreen> screens;
  QString error;
  bool ok() const;
};

class ScreenSource {
 public:
  virtual ~ScreenSource() = default;
  // A picture of every screen as it looks now.
  virtual DesktopGrab grab() = 0;
  // The frames of the desktop's windows as the window manager shows them,
  // topmost first, in the desktop's pixels; none where the platform does not
  // tell (Wayland).
  virtual std::vector<QRect> windowFrames() { return {}; }
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

// The grab along `route`: Qt's grab (told whether an all-black picture means
// the screen could not be read), then, on the one route that has it, the
// portal when Qt's grab failed.
DesktopGrab grabAlong(GrabRoute route, const std::function<DesktopGrab(bool)>& qtGrab,
                      const std::function<DesktopGrab()>& portalGrab);

// Qt's grab as a ScreenGrab: 32-bit RGB, the pixmap's device pixel ratio kept.
// A null pixmap is an error; so is an all-black one when `blackMeansUnreadable`
// (the window system handed out an empty picture instead of the screen).
ScreenGrab screenGrabFromPixmap(const QPixmap& pixmap, bool blackMeansUnreadable);
// The same for a picture read by other means, its device pixel ratio set.
ScreenGrab screenGrabFromImage(QImage picture, bool blackMeansUnreadable);

// Cuts a portal's picture into the screens of `screens` (the primary first).
// Portals shoot either every output at once, at the screens' scale or at
// another one, or only one output: every screen then gets its part of the
// picture, or the primary screen alone gets the whole picture laid over it.
// A part at a higher scale than its screen's own (a portal shoots the whole
// desktop at its highest scale) is brought back to the screen's own pixels,
// so that what is selected there is copied at that screen's resolution; a
// part at a lower scale keeps its pixels.
std::vector<FrozenScreen> cutPortalPicture(const QImage& picture,
                                           const std::vector<ScreenLayout>& screens);

// `picture`, laid over `logical` window pixels at `pictureRatio` device pixels
// to one, brought to `screenRatio` when that is lower: each k x k block of
// device pixels averaged into one for a whole-number ratio k, which gives back
// exactly a screen that was drawn enlarged; smoothly scaled otherwise.
QImage atScreenScale(const QImage& picture, qreal pictureRatio, QSize logical, qreal screenRatio);
