#include "common/fallback_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "common/fonts.h"

namespace fallback_text {

QList<Run> split(const QFont& font, const QString& line, QPaintDevice* device) {
  const QFontMetrics own(font, device);
  QFont cjk = font;
  cjk.setFamilies(fonts::cjkFallback());
  const QFontMetrics fallback(cjk, device);
  QList<Run> runs;
  bool lastBorrowed = false;
  for (qsizetype i = 0; i < line.size();) {
    const bool pair = line[i].isHighSurrogate() && i + 1 < line.size();
    const char32_t letter = pair ? QChar::surrogateToUcs4(line[i], line[i + 1]) : line[i].unicode();
    // A letter no face has stays with the chosen one, which draws it as
    // best it can.
    const bool borrowed = !own.inFontUcs4(letter) && fallback.inFontUcs4(letter);
    if (runs.isEmpty() || borrowed != lastBorrowed) runs.append({borrowed ? cjk : font, QString()});
    lastBorrowed = borrowed;
    runs.last().text += line.mid(i, pair ? 2 : 1);
    i += pair ? 2 : 1;
  }
  return runs;
}

int advance(const QList<Run>& runs, QPaintDevice* device) {
  int width = 0;
  for (const Run& run : runs) width += QFontMetrics(run.font, device).horizontalAdvance(run.text);
  return width;
}

namespace {

int largestAscent(const QList<Run>& runs, QPaintDevice* device) {
  int ascent = 0;
  for (const Run& run : runs) ascent = std::max(ascent, QFontMetrics(run.font, device).ascent());
  return ascent;
}

}  // namespace

QSize lineSize(const QList<Run>& runs, QPaintDevice* device) {
  int descent = 0;
  for (const Run& run : runs) descent = std::max(descent, QFontMetrics(run.font, device).descent());
  return {advance(runs, device), largestAscent(runs, device) + descent};
}

void draw(QPainter& painter, QPoint topLeft, const QList<Run>& runs) {
  QPoint baseline = topLeft + QPoint(0, largestAscent(runs, painter.device()));
  for (const Run& run : runs) {
    painter.setFont(run.font);
    painter.drawText(baseline, run.text);
    baseline.rx() += QFontMetrics(run.font, painter.device()).horizontalAdvance(run.text);
  }
}

}  // namespace fallback_text
