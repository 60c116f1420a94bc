#include <QApplication>

#include "common/fonts.h"
#include "rotaskiv/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Rotaskiv");
  // Every caption is Chinese: prefer a CJK face so nothing renders as boxes.
  fonts::applyCaptionFont();

  Form1 window;
  window.show();
  return QApplication::exec();
}
