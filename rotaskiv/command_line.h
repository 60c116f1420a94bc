#pragma once

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <variant>

#include "rotaskiv/screen_source.h"

// Rotaskiv run from a shortcut or a script: what the command line asks for,
// worked out apart from any window so that every combination can be checked.
namespace command_line {

// What to capture, or how to capture it.
enum class Source {
  MainWindow,  // no capture asked for: the program's main window
  Window,      // --capture: the capture window, without the main window
  Region,      // --region X,Y,W,H
  Screen,      // --screen N
  LastRegion,  // --last-region
  Annotate,    // --annotate FILE: the capture window over a picture
};

struct Request {
  Source source = Source::MainWindow;
  QRect region;     // desktop pixels, for Source::Region
  int screen = 0;   // for Source::Screen, 0 being the primary
  QString picture;  // for Source::Annotate
  QString output;   // a file name pattern, "-" for standard output, empty for none
  bool clipboard = false;
  bool pin = false;
  double delaySeconds = 0;
  // A hidden role: a background process that keeps a copied picture on the
  // clipboard after the program has ended (the file holds it as PNG).
  QString serveClipboard;
};

// What a command line asks for, or the one line of error to print; --help
// and --version are answered (and the process ended) by the parser itself.
std::variant<Request, QString> parse(const QStringList& arguments);

// Whether the request takes its picture at once, with no window.
bool takesAtOnce(const Request& request);

// The output file for `pattern`: strftime fields (%Y, %m, %d, %H, %M, %S ...)
// filled in from `now`; a name without an extension gets ".png", as the save
// dialog gives it; and where a file of that name exists a number is added
// before the extension (shot-1.png, shot-2.png ...), so that nothing is
// replaced silently.
QString outputFileName(const QString& pattern, const QDateTime& now,
                       const std::function<bool(const QString&)>& exists);

// The part `region` (desktop pixels) of the frozen desktop, in the device
// pixels of the screen that holds most of it; what lies on other screens is
// scaled to it, what lies on none stays black. Null when the region touches
// no screen.
QImage desktopPart(const DesktopGrab& desktop, const QRect& region);

}  // namespace command_line
