#include "fuzz_environment.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>

void startQtForFuzzing(const char* program) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  // Qt takes out the arguments it knows; libFuzzer's own must stay whole, so
  // Qt sees only the program's name. The application lives until the
  // process ends: the fuzzer leaves through exit(), past any owner.
  static int argc = 1;
  static char* argv[] = {const_cast<char*>(program), nullptr};
  static auto* application = new QGuiApplication(argc, argv);
  Q_UNUSED(application);
  // Plugins load on first use; load them now, so that no input is charged
  // with what they keep for the life of the process.
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    QImageReader(&nothing, format).canRead();
  }
}
