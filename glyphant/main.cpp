#include <QApplication>

#include "common/application.h"
#include "glyphant/glyphant_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Glyphant");
  // Chinese captions in a CJK face, and Qt's own dialogs in the user's language.
  application::prepare();

  Form1 window;
  window.show();
  return QApplication::exec();
}
