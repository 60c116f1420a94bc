#include "glyphant/text_outline.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "common/fallback_text.h"
#include "common/numbers.h"

namespace text_outline {

namespace {

// The underline as the painter draws it under a run: a line of the face's
// thickness, its centre half a pixel below the whole pixel under the face's
// underline position, kept inside the descent.
QRectF underline(const QFontMetricsF& metrics, QPointF baseline, double width) {
  const double offset = metrics.underlinePos();
  double centre = std::ceil(offset) + 0.5;
  if (offset <= metrics.descent()) centre = std::min(centre, metrics.descent() - 0.5);
  const double left = std::floor(baseline.x()), right = std::floor(baseline.x() + width);
  const double thickness = metrics.lineWidth();
  return {left, baseline.y() + centre - thickness / 2, right - left, thickness};
}

}  // namespace

Letters of(const QFont& font, const QString& text, double x, double y) {
  // The canvas's own resolution: its metrics place the runs.
  static QImage device(1, 1, QImage::Format_RGB32);
  Letters letters;
  const double lineHeight = QFontMetrics(font, &device).height();
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) x = 0, y += lineHeight;
    QString line = lines[i];
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const QList<fallback_text::Run> runs = fallback_text::split(font, line, &device);
    int ascent = 0;
    for (const fallback_text::Run& run : runs)
      ascent = std::max(ascent, QFontMetrics(run.font, &device).ascent());
    QPointF baseline(numbers::roundHalfEven32(x), numbers::roundHalfEven32(y) + ascent);
    for (const fallback_text::Run& run : runs) {
      // A face of bitmaps (or of colour pictures) draws no outline.
      const QFontInfo face(run.font);
      if (!QFontDatabase::isSmoothlyScalable(face.family(), face.styleName()) &&
          letters.problem.isEmpty())
        letters.problem =
            QCoreApplication::translate("text_outline", "字体“%1”没有轮廓").arg(face.family());
      QFont plain = run.font;
      plain.setUnderline(false);
      QPainterPath shape;
      shape.addText(baseline, plain, run.text);
      letters.shapes << shape;
      const double advance = QFontMetrics(run.font, &device).horizontalAdvance(run.text);
      if (run.font.underline()) {
        QPainterPath rule;
        rule.addRect(underline(QFontMetricsF(run.font, &device), baseline, advance));
        letters.shapes << rule;
      }
      baseline.rx() += advance;
    }
  }
  // Neighbouring letters of a face overlap: the overlap is painted once.
  for (QPainterPath& shape : letters.shapes) shape.setFillRule(Qt::WindingFill);
  return letters;
}

}  // namespace text_outline
