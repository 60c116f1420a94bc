#include <QApplication>
#include <QTemporaryDir>
#include <QThreadPool>

#include "tests/common/test_suites.h"

// Runs every test class of the platform layer; fails if any of them does.
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt warns on the console when there is no runtime folder (as under CI).
  const QTemporaryDir runtimeDir;
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && runtimeDir.isValid())
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
  QApplication app(argc, argv);
  int failed = 0;
  for (auto run : {runColourNumbersTests, runSurfaceTests, runPictureBoxTests,
                   runPictureLoaderTests, runDialogsTests})
    failed += run(argc, argv) != 0 ? 1 : 0;
  // Join Qt's pooled threads before exit, so the leak checker never sees them
  // torn down half-way.
  QThreadPool::globalInstance()->waitForDone();
  return failed;
}
