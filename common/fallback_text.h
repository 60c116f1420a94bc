#pragma once

#include <QFont>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

class QPainter;
class QPaintDevice;

// One line of text in a face that may lack some of its letters. Qt draws the
// letters a face lacks from other faces, except for a symbol-encoded face
// ("Standard Symbols PS", Wingdings): from one of those it falls back to
// nothing, and Chinese text vanishes. The line is therefore cut into runs,
// and a run of letters the face cannot draw goes to the CJK faces of
// fonts::cjkFallback() at the same size and style. A face that draws the
// whole line gives one run, drawn exactly as before.
namespace fallback_text {

struct Run {
  QFont font;
  QString text;
};

// `line` cut into runs for `font` as drawn on `device`.
QList<Run> split(const QFont& font, const QString& line, QPaintDevice* device);

// The advance of the runs, in pixels.
int advance(const QList<Run>& runs, QPaintDevice* device);

// The line box of the runs: their advance, and the largest ascent and
// descent among their fonts, so that borrowed letters stay inside it.
QSize lineSize(const QList<Run>& runs, QPaintDevice* device);

// Draws the runs one after another with the top-left of their line box at
// `topLeft`, all on one baseline.
void draw(QPainter& painter, QPoint topLeft, const QList<Run>& runs);

}  // namespace fallback_text
