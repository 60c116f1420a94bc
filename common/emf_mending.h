#pragma once

#include <QByteArray>

// libemf2svg plays most of an EMF right; these are the records it gets wrong,
// rewritten into records it plays right (the records were checked: each lies
// within the file, and the last is the end record):
// - a gradient fill (EMR_GRADIENTFILL) it leaves out: each of its rectangles
//   becomes a bitmap of the gradient stretched over it;
// - a path it strokes (EMR_STROKEPATH) it always closes, so an open arc or
//   curve gets a line back to its start: a move to the open figure's end
//   before the path's end leaves its closing to an empty figure;
// - the world transform that EMR_RESTOREDC brings back it applies only to
//   what follows the next transform record: the transform is set again at
//   once.
QByteArray mendedForLibemf2svg(const QByteArray& emf);
