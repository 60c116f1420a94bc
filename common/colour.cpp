#include "common/colour.h"

#include <QGuiApplication>
#include <QPalette>

namespace colour {

namespace {

QColor systemColour(ColourRef c, const QPalette& palette) {
  switch (c & 0xFFu) {
    case 0x05:  // window background
      return palette.color(QPalette::Base);
    case 0x08:  // window text
    case 0x12:  // button text
      return palette.color(QPalette::WindowText);
    case 0x09:  // caption text
      return palette.color(QPalette::HighlightedText);
    case 0x0D:  // highlight
      return palette.color(QPalette::Highlight);
    case 0x0F:  // button face
      return palette.color(QPalette::Button);
    default:
      return palette.color(QPalette::Window);
  }
}

}  // namespace

QColor toQColor(ColourRef c) { return toQColor(c, QGuiApplication::palette()); }

QColor toQColor(ColourRef c, const QPalette& palette) {
  if (isSystemColour(c)) return systemColour(c, palette);
  return QColor(red(c), green(c), blue(c));
}

ColourRef fromQColor(const QColor& c) {
  const QColor rgbColour = c.toRgb();
  return rgb(rgbColour.red(), rgbColour.green(), rgbColour.blue());
}

QString rgbText(ColourRef c) {
  return QStringLiteral("RGB(%1,%2,%3)").arg(red(c)).arg(green(c)).arg(blue(c));
}

}  // namespace colour
