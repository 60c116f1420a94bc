// The environment every test program runs in, whether ctest starts it or a
// developer runs one test function by hand.
#include <QCoreApplication>
#include <QThreadPool>

namespace {

// Before main: the platform is chosen when the application object is made.
// Windows are driven headless unless a platform is asked for.
const bool kHeadless =
    qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qputenv("QT_QPA_PLATFORM", "offscreen");

// Qt converts large pictures on its pooled threads: join them before the
// application goes, so the leak checker never sees them torn down half-way.
void joinPooledThreads() { QThreadPool::globalInstance()->waitForDone(); }
void registerJoin() { qAddPostRoutine(joinPooledThreads); }
Q_COREAPP_STARTUP_FUNCTION(registerJoin)

}  // namespace
