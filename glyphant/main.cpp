#include <QApplication>
#include <QIcon>

#include "common/application.h"
#include "glyphant/glyphant_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("picture-tools");
  QApplication::setApplicationName("Glyphant");
  // Chinese captions in a CJK face, and Qt's own dialogs in the user's language.
  application::prepare();
  // The launcher's icon, from the icon theme it is installed into.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("glyphant")));

  Form1 window;
  window.show();
  return QApplication::exec();
}
