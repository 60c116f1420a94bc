#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "common/application.h"
#include "rotaskiv/clipboard_keeper.h"
#include "rotaskiv/command_capture.h"
#include "rotaskiv/command_line.h"
#include "rotaskiv/main_window.h"

int main(int argc, char* argv[]) {
  QApplication::setApplicationName("Rotaskiv");
  QApplication::setApplicationVersion("2.0");
  QApplication::setOrganizationName("picture-tools");
  // The arguments are read before the window system is reached, so that
  // --help, --version and a mistyped option answer without a display.
  std::variant<command_line::Request, QString> parsed;
  {
    const QCoreApplication reader(argc, argv);
    parsed = command_line::parse(QCoreApplication::arguments());
  }
  if (const QString* error = std::get_if<QString>(&parsed)) {
    std::fprintf(stderr, "rotaskiv: %s\n", error->toLocal8Bit().constData());
    return 2;
  }
  QApplication app(argc, argv);
  // Chinese captions in a CJK face, and Qt's own dialogs in the user's language.
  application::prepare();
  // The launcher's icon, from the icon theme it is installed into.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("rotaskiv")));
  const command_line::Request& request = std::get<command_line::Request>(parsed);
  if (!request.serveClipboard.isEmpty()) return clipboard_keeper::serve(request.serveClipboard);
  int status = 0;
  if (request.source != command_line::Source::MainWindow) {
    status = runCaptureCommand(request);
  } else {
    Form1 window;
    window.show();
    status = QApplication::exec();
  }
  clipboard_keeper::handOver();
  return status;
}
