#include <QApplication>

#include "tests/rotaskiv/tests.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (auto run :
       {runRotateArgumentTests, runMainWindowTests, runCaptureFormTests, runCaptureGeometryTests,
        runScreenSourceTests, runPictureSaverTests, runExcelPropertyBagTests})
    failures += run(argc, argv);
  return failures == 0 ? 0 : 1;
}
