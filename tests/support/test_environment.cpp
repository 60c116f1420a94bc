// The environment every test program runs in, whether ctest starts it or a
// developer runs one test function by hand.
#include <QCoreApplication>
#include <QDir>
#include <QThreadPool>

namespace {

// Before main: the platform is chosen when the application object is made.
const bool kEnvironmentReady = [] {
  // Windows are driven headless unless a platform is asked for.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt warns on the console when there is no private runtime folder (as under CI).
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
    const QString folder = QDir::tempPath() + QStringLiteral("/picture-tools-tests-runtime");
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
  }
  return true;
}();

// Qt converts large pictures on its pooled threads: join them before the
// application goes, so the leak checker never sees them torn down half-way.
void joinPooledThreads() { QThreadPool::globalInstance()->waitForDone(); }
void registerJoin() { qAddPostRoutine(joinPooledThreads); }
Q_COREAPP_STARTUP_FUNCTION(registerJoin)

}  // namespace
