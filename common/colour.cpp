#include "common/colour.h"

#include <QGuiApplication>
#include <QPalette>
#include <cmath>

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

QColor readableOn(const QColor& background) {
  // The text with the higher contrast ratio: relative luminance above 0.179
  // contrasts more with black than with white.
  const auto linear = [](double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = background.toRgb();
  const double luminance =
      0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
  return luminance > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

QString rgbText(ColourRef c) {
  return QStringLiteral("RGB(%1,%2,%3)").arg(red(c)).arg(green(c)).arg(blue(c));
}

}  // namespace colour
