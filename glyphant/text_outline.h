#pragma once

#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QString>

// The letters a picture box prints, as outlines that can be filled at any
// scale: the same runs of faces, the same places, the underline where the
// painter draws it.
namespace text_outline {

// Each shape is filled on its own (winding): faces wind their outlines in
// opposite senses, and one path would cut holes where they overlap.
struct Letters {
  QList<QPainterPath> shapes;  // in the box's pixels: a run's letters, an underline
  QString problem;             // why the shapes are not what is drawn, or empty
};

// The letters PictureBox::Print draws for `text` in `font` with the current
// point at (x, y) (pixels), on a box of 96 pixels per inch.
Letters of(const QFont& font, const QString& text, double x, double y);

}  // namespace text_outline
