#include "glyphant/panel_inputs.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "common/numbers.h"
#include "common/picture_loader.h"

namespace panel_inputs {

namespace {

// A number typed in a field: blanks around it allowed, nothing else.
std::optional<double> numberIn(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Positions beyond this put the text far off any canvas and past what the
// painting engine places reliably.
constexpr double kMaxPosition = 1e6;

}  // namespace

QStringList fontSizeEntries() {
  QStringList entries;
  for (int size = 12; size <= 2000; size += 4) entries << QString::number(size);
  return entries;
}

QStringList fontStyleEntries() { return {"Normal", "Bold", "Italic", "Underline"}; }

std::optional<FontStyle> fontStyleOf(int entry) {
  switch (entry) {
    case 0:
      return FontStyle{};
    case 1:
      return FontStyle{true, false, false};
    case 2:
      return FontStyle{false, true, false};
    case 3:
      return FontStyle{false, false, true};
    default:
      return std::nullopt;
  }
}

QString trimSpaces(const QString& text) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && text[begin] == QLatin1Char(' ')) ++begin;
  while (end > begin && text[end - 1] == QLatin1Char(' ')) --end;
  return text.mid(begin, end - begin);
}

int pixelsForPoints(double points) {
  constexpr double kTwipsPerPoint = 20;
  return numbers::roundHalfEven32(points * kTwipsPerPoint / numbers::kTwipsPerPixel);
}

TextCheck checkText(const QString& text, const QString& family, const QString& sizeText,
                    const QString& xText, const QString& yText,
                    const std::function<bool(const QString&)>& fontInstalled) {
  TextCheck check;
  TextRequest& request = check.request;
  request.text = trimSpaces(text);
  request.family = family.trimmed();
  request.points = numbers::leadingNumber(sizeText);
  const std::optional<double> x = numberIn(xText), y = numberIn(yText);
  const auto refuse = [&](TextProblem problem, const QString& message) {
    check.problem = problem;
    check.message = message;
    return check;
  };
  if (request.text.isEmpty()) {
    return refuse(TextProblem::EmptyText,
                  QCoreApplication::translate("PanelInputs", "Please enter in some text first"));
  }
  if (!x || !y || std::abs(*x) > kMaxPosition || std::abs(*y) > kMaxPosition) {
    return refuse(
        TextProblem::BadPosition,
        QCoreApplication::translate("PanelInputs", "文字位置 x 和 y 必须是数字（-%1 到 %1）。")
            .arg(kMaxPosition, 0, 'f', 0));
  }
  request.x = *x;
  request.y = *y;
  if (!(request.points > 0) || request.points > kMaxFontPoints ||
      pixelsForPoints(request.points) < 1) {
    return refuse(TextProblem::BadFontSize,
                  QCoreApplication::translate("PanelInputs",
                                              "字号大小必须是 1 到 %1 之间的数字，现在是“%2”。")
                      .arg(kMaxFontPoints)
                      .arg(sizeText));
  }
  if (request.family.isEmpty() || !fontInstalled(request.family)) {
    return refuse(TextProblem::UnknownFont,
                  QCoreApplication::translate("PanelInputs", "找不到字体“%1”，请从列表中选择字体。")
                      .arg(request.family));
  }
  return check;
}

CanvasSizeCheck checkCanvasSize(const QString& widthText, const QString& heightText) {
  CanvasSizeCheck check;
  const std::optional<double> width = numberIn(widthText), height = numberIn(heightText);
  if (!width || !height) {
    check.error = QCoreApplication::translate("PanelInputs", "图象大小 x 和 y 必须是数字。");
    return check;
  }
  const std::int64_t w = numbers::roundHalfEven(*width), h = numbers::roundHalfEven(*height);
  if (w < 1 || h < 1) {
    check.error = QCoreApplication::translate("PanelInputs", "图象大小 x 和 y 必须大于 0。");
    return check;
  }
  if (w > kMaxCanvasSide || h > kMaxCanvasSide || w * h * 4 > kMaxPictureBytes) {
    check.error =
        QCoreApplication::translate(
            "PanelInputs", "图象太大（%1 × %2 像素）：每边最多 %3 像素，总共最多 %4 百万像素。")
            .arg(w)
            .arg(h)
            .arg(kMaxCanvasSide)
            .arg(kMaxPictureBytes / 4 / 1000000);
    return check;
  }
  check.size = QSize(int(w), int(h));
  return check;
}

void PreviewZoom::reset(QSizeF canvasSize) { size_ = canvasSize / 10; }

bool PreviewZoom::zoom(float factor) {
  const double f = factor;
  const QSizeF next(size_.width() - size_.width() * f, size_.height() - size_.height() * f);
  // Only a step away from the bounds is refused: a preview that starts
  // outside them (a canvas of a few pixels) can still come back.
  const bool shrinking = next.width() < size_.width();
  const double smaller = std::min(next.width(), next.height());
  const double larger = std::max(next.width(), next.height());
  if (shrinking ? smaller < kMinSide : larger > kMaxSide) return false;
  size_ = next;
  return true;
}

QSize PreviewZoom::shown() const {
  return {numbers::roundHalfEven32(size_.width()), numbers::roundHalfEven32(size_.height())};
}

}  // namespace panel_inputs
