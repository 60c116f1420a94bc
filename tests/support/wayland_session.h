#pragma once

#include <unistd.h>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

// A Wayland desktop of the test's own (wayland_session.sh beside this file),
// and the programs started in it. sway will not run as root: under root the
// desktop and its programs run as the user "nobody". When it cannot be
// made, `error` says why and the tests that need it are skipped.
class WaylandSession {
 public:
  WaylandSession() {
    for (const char* tool : {"sway", "dbus-daemon", "pipewire", "gdbus", "wl-paste", "setpriv"})
      if (QStandardPaths::findExecutable(tool).isEmpty()) return;
    for (const char* portal : {"", "-wlr", "-gtk"})
      if (!QFile::exists(QString("/usr/libexec/xdg-desktop-portal") + portal)) return;
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                       "/platforms/libqwayland-generic.so"))
      return;
    const QString run = folder_.filePath("run");
    if (!folder_.isValid() || !QDir().mkdir(run)) return;
    if (geteuid() == 0) {
      asUser_ = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
      QFile::setPermissions(folder_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ExeOther | QFile::ExeGroup);
      if (chown(QFile::encodeName(run).constData(), 65534, 65534) != 0) return;
      QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    session_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    start(session_, WAYLAND_SESSION_SCRIPT, {run});
    QByteArray said;
    session_.waitForStarted();
    for (int i = 0; i < 600 && !said.contains('\n') && session_.state() == QProcess::Running; ++i)
      if (session_.waitForReadyRead(100)) said += session_.readAll();
    if (!said.startsWith("ready ")) return;
    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.remove("DISPLAY");
    environment_.insert("XDG_RUNTIME_DIR", run);
    environment_.insert("HOME", run);
    environment_.insert("XDG_CONFIG_HOME", run + "/config");
    environment_.insert("WAYLAND_DISPLAY", said.mid(6).trimmed());
    environment_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + run + "/bus");
    environment_.insert("XDG_CURRENT_DESKTOP", "sway:GNOME");
    environment_.insert("XDG_SESSION_TYPE", "wayland");
    environment_.insert("QT_QPA_PLATFORM", "wayland");
    // Qt's Wayland plugin leaves libwayland's objects to the end of the process.
    if (!environment_.contains("LSAN_OPTIONS"))
      environment_.insert("LSAN_OPTIONS", "suppressions=" LSAN_SUPPRESSIONS);
    error.clear();
  }
  ~WaylandSession() {
    session_.terminate();
    if (!session_.waitForFinished(5000)) session_.kill();
    // The portals the bus started leave as it goes, writing as they leave.
    for (int i = 0; i < 50 && folder_.isValid() && !folder_.remove(); ++i) QThread::msleep(100);
  }

  // Starts `program` on the desktop, as the desktop's user.
  void start(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProcessEnvironment(environment_);
    if (asUser_.isEmpty()) return process.start(program, arguments);
    process.start(asUser_[0], asUser_.mid(1) + QStringList{program} + arguments);
  }
  // A file the desktop's user can read.
  QString filePath(const QString& name) const { return folder_.filePath(name); }

  QString error =
      "needs sway, PipeWire, the desktop portal with its wlr and GTK backends, wl-clipboard "
      "and Qt's Wayland plugin";

 private:
  QTemporaryDir folder_;
  QStringList asUser_;
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
  QProcess session_;
};
