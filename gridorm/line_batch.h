#pragma once

#include <QLineF>
#include <QList>
#include <QRectF>

#include "common/colour.h"
#include "rotate/surface.h"

// Draws many wide lines into a surface in one pass, for the hatch fill's
// thousands of lines, where a painter per line (or even one painter) spends
// most of its time setting up two-pixel spans. The rule is the painter's for
// an aliased pen with square caps: a pixel is drawn when its centre lies
// inside the line's outline (the segment grown by half the width on every
// side), a centre on the left or top edge of the outline counting as outside
// and one on the right or bottom edge as inside. Lines along the axes come
// out exactly as the painter draws them; slanted ones may differ from it by a
// pixel at their edges, where the painter rounds to fixed point. A line of
// zero length is a square of the width. Ends are in pixels; everything is
// clipped to the surface. A pixel is painted once however many of the lines
// cover it (mostly: a row remembers one run of painted pixels), so wide,
// overlapping lines cost about the area they cover rather than their sum.
void strokeLines(Surface& surface, const QList<QLineF>& lines, int width, ColourRef colour);
