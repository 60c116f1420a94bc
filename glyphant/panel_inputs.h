#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What the panel's fields mean, apart from the widgets that hold them: the
// lists it offers, and the checks every operation makes before it changes
// anything, so that a bad field gives a clear message and nothing half-done.
namespace panel_inputs {

// The size list: "12", "16", ... "2000"; "364" is selected at start.
QStringList fontSizeEntries();
inline constexpr int kStartFontSizeEntry = 88;
QStringList fontStyleEntries();

// The style an entry of the style list gives; the three are exclusive.
// Nothing for no entry (-1) or one beyond the list.
struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
};
std::optional<FontStyle> fontStyleOf(int entry);

// The text with leading and trailing space characters removed (only
// spaces: a tab or another blank stays part of the text).
QString trimSpaces(const QString& text);

// Points to pixels at 15 twips a pixel (20 twips a point), whatever the
// screen's own resolution: a size means the same letters on every machine.
int pixelsForPoints(double points);
// Beyond this the platform's font engine can no longer place the letters.
inline constexpr double kMaxFontPoints = 10000;

// What a text operation draws, read from the panel.
struct TextRequest {
  QString text;    // trimmed
  QString family;  // font name
  double points = 0;
  double x = 0, y = 0;  // the top-left of the text's line box, canvas pixels
};

enum class TextProblem { None, EmptyText, BadPosition, BadFontSize, UnknownFont };

struct TextCheck {
  TextRequest request;
  TextProblem problem = TextProblem::None;
  QString message;  // for the user; empty when there is no problem
};

// Reads and checks the inputs of a text operation. The font size is the
// leading number of its text (none gives 0, which is refused); the position
// must be two numbers; the font must be installed.
TextCheck checkText(const QString& text, const QString& family, const QString& sizeText,
                    const QString& xText, const QString& yText,
                    const std::function<bool(const QString&)>& fontInstalled);

// Largest canvas: a side the painting engine handles, and pixels the picture
// loader would also accept.
inline constexpr int kMaxCanvasSide = 32767;

struct CanvasSizeCheck {
  QSize size;     // valid when the fields give a usable size
  QString error;  // for the user otherwise
};

// The canvas size typed in the width and height fields: whole pixels
// (a fraction is rounded, a half to even), at least 1, and small enough to
// hold in memory.
CanvasSizeCheck checkCanvasSize(const QString& widthText, const QString& heightText);

// The preview's size: one tenth of the canvas after each refresh, then
// scaled by the zoom buttons. The size is kept as a fraction, so steps
// multiply exactly (two shrinks give 0.81) and the shown size is it rounded.
class PreviewZoom {
 public:
  // A shrink that takes a side below kMinSide, or a growth that takes one
  // beyond kMaxSide, is refused.
  static constexpr double kMinSide = 1;
  static constexpr double kMaxSide = 4096;

  explicit PreviewZoom(QSizeF size) : size_(size) {}
  // One tenth of the canvas size.
  void reset(QSizeF canvasSize);
  // New side = side - side x factor (0.1 shrinks by a tenth, -0.1 grows by
  // one). False, and no change, for a refused step.
  bool zoom(float factor);
  QSizeF size() const { return size_; }
  QSize shown() const;

 private:
  QSizeF size_;
};

}  // namespace panel_inputs
