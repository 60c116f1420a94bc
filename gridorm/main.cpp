#include <QApplication>
#include <QIcon>

#include "common/application.h"
#include "gridorm/table_designer.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Gridorm");
  // Chinese captions in a CJK face, and Qt's own dialogs in the user's language.
  application::prepare();
  // The launcher's icon, from the icon theme it is installed into.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("gridorm")));

  Form1 window;
  window.show();
  return QApplication::exec();
}
