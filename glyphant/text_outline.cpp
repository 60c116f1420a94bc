#include "glyphant/text_outline.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QRawFont>
#include <QStringList>
#include <QTextLayout>
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

// The face of `font`'s list that draws `letter`: the first that has it.
QString faceOf(const QFont& font, char32_t letter) {
  for (const QString& family : font.families()) {
    QFont face = font;
    face.setFamilies({family});
    if (QRawFont::fromFont(face).supportsCharacter(letter)) return family;
  }
  return font.families().value(0, font.family());
}

// The underlines of a run: the painter draws one under each stretch of
// letters that one face draws, at that face's underline position.
void addUnderlines(QList<QPainterPath>& shapes, const QFont& font, const QString& text,
                   QPointF baseline, QPaintDevice* device) {
  const QFontMetrics advances(font, device);
  qsizetype start = 0;
  QString face;
  for (qsizetype i = 0; i <= text.size();
       i += i < text.size() && text[i].isHighSurrogate() ? 2 : 1) {
    const QString next =
        i < text.size() ? faceOf(font, text.mid(i, 2).toUcs4().value(0)) : QString();
    if (i > 0 && next == face) continue;
    if (i > start) {
      QFont drawing = font;
      drawing.setFamilies({face});
      const QString stretch = text.mid(start, i - start);
      const double width = advances.horizontalAdvance(stretch);
      QPainterPath rule;
      rule.addRect(underline(QFontMetricsF(drawing, device), baseline, width));
      shapes << rule;
      baseline.rx() += width;
    }
    start = i;
    face = next;
  }
}

// Why some letter of `run` has no outline, or empty: a face of bitmaps or of
// colour pictures (emoji), also one the system lends for a letter, draws
// what no outline gives back. Spaces are the letters that draw nothing.
QString withoutOutline(const fallback_text::Run& run, QPaintDevice* device) {
  QString spaces;
  for (const QChar c : run.text)
    if (c.isSpace()) spaces += c;
  QTextLayout layout(run.text, run.font, device);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& glyphs : layout.glyphRuns()) {
    const QRawFont face = glyphs.rawFont();
    const QList<quint32> blank = face.glyphIndexesForString(spaces);
    const QList<quint32> indexes = glyphs.glyphIndexes();
    const QList<QPointF> advances = face.advancesForGlyphIndexes(indexes);
    for (qsizetype i = 0; i < indexes.size(); ++i)
      if (face.pathForGlyph(indexes[i]).isEmpty() && advances.value(i).x() > 0 &&
          !blank.contains(indexes[i]))
        return QCoreApplication::translate("text_outline", "字体“%1”的字形没有轮廓")
            .arg(face.familyName());
  }
  return QString();
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
      if (letters.problem.isEmpty()) letters.problem = withoutOutline(run, &device);
      QFont plain = run.font;
      plain.setUnderline(false);
      QPainterPath shape;
      shape.addText(baseline, plain, run.text);
      letters.shapes << shape;
      if (run.font.underline())
        addUnderlines(letters.shapes, run.font, run.text, baseline, &device);
      baseline.rx() += QFontMetrics(run.font, &device).horizontalAdvance(run.text);
    }
  }
  // Neighbouring letters of a face overlap: the overlap is painted once.
  for (QPainterPath& shape : letters.shapes) shape.setFillRule(Qt::WindingFill);
  return letters;
}

}  // namespace text_outline
