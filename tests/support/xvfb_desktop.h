#pragma once

#include <signal.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>

// An X server of the test's own, made before the application so that it runs
// there: Xvfb with two RandR monitors side by side, "left" 1280 x 800 and
// "right" 1024 x 768, which Qt scales by 1 and 2 (QT_SCREEN_SCALE_FACTORS).
// -noreset keeps the monitors when xrandr, the last client, leaves. When it
// cannot be made, `error` says why and the tests that need it are skipped.
struct XvfbDesktop {
  XvfbDesktop() {
    QProcess xvfb;
    xvfb.setProgram("Xvfb");
    xvfb.setArguments(
        {"-displayfd", "1", "-screen", "0", "2304x800x24", "-nolisten", "tcp", "-noreset"});
    xvfb.setStandardOutputFile(folder.filePath("display"));
    xvfb.setStandardErrorFile(QProcess::nullDevice());
    if (!folder.isValid() || !xvfb.startDetached(&server)) return;
    // The server writes its display number, and a line end once it is ready.
    QFile number(folder.filePath("display"));
    for (int i = 0; i < 200 && !display.endsWith('\n'); ++i, QThread::msleep(100))
      if (number.open(QIODevice::ReadOnly)) display = number.readAll(), number.close();
    display = ":" + display.trimmed();
    if (display.size() < 2) return;
    const QByteArray layout = "export DISPLAY=" + display +
                              " && xrandr --setmonitor left 1280/338x800/211+0+0 screen"
                              " && xrandr --setmonitor right 1024/270x768/203+1280+0 none";
    if (std::system(layout + " >/dev/null 2>&1") == 0) error.clear();
  }
  ~XvfbDesktop() {
    if (server > 0) kill(pid_t(server), SIGTERM);
  }
  QTemporaryDir folder;
  qint64 server = 0;
  QByteArray display;
  QString error = "needs Xvfb (Debian package xvfb) and xrandr (x11-xserver-utils)";
};

// Makes the X server above the one the application and every program it
// starts run on, when it could be made: an X11 desktop whatever runs the
// tests, with nothing of the machine's own desktop bus (accessibility,
// portals) reached and none started for the X server.
inline void runOnXvfb(const XvfbDesktop& desktop) {
  if (!desktop.error.isEmpty()) return;
  qputenv("DISPLAY", desktop.display);
  qputenv("QT_QPA_PLATFORM", "xcb");
  qputenv("QT_SCREEN_SCALE_FACTORS", "left=1;right=2");
  qunsetenv("XDG_SESSION_TYPE");
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/session-bus");
}
