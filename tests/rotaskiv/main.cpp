#include <QApplication>
#include <QThreadPool>

#include "tests/rotaskiv/tests.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (auto run :
       {runRotateArgumentTests, runMainWindowTests, runCaptureFormTests, runCaptureGeometryTests,
        runScreenSourceTests, runPictureSaverTests, runExcelPropertyBagTests})
    failures += run(argc, argv);
  // Qt converts large pictures on its pooled threads; join them before exit so
  // the leak checker does not see them torn down half-way.
  QThreadPool::globalInstance()->waitForDone();
  return failures == 0 ? 0 : 1;
}
