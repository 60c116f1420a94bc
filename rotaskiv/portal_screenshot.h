#pragma once

#include <QDBusConnection>
#include <QString>

#include "rotaskiv/screen_source.h"

// A picture of the screen from the desktop portal (org.freedesktop.portal.
// Screenshot on org.freedesktop.portal.Desktop): on Wayland no client may read
// the screen itself, so we ask the desktop to do it for us. The portal answers
// later, on a request object; `take` waits for that answer in a local event
// loop that leaves user input alone, so windows keep painting meanwhile.
class PortalScreenshot {
 public:
  explicit PortalScreenshot(QDBusConnection bus, QString parentWindow = defaultParentWindow());

  // The picture as the portal took it (device pixels, devicePixelRatio 1), or
  // an error when there is no portal, the user cancelled, the portal failed or
  // nothing came back within `timeoutMs`. The file the portal saved the
  // picture to is deleted once read: the user did not ask for a copy.
  ScreenGrab take(int timeoutMs);

  // How the portal should name our window so it can place its dialogs over it.
  // Backends refuse an empty name, and Qt exports no Wayland surface handle
  // for us, so without an X11 window we send the bare "wayland:" form.
  static QString defaultParentWindow();

 private:
  QDBusConnection bus_;
  QString parentWindow_;
};
