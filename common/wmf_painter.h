#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "common/metafile_loader.h"

// Plays a WMF that checkMetafile() passed with libwmf's player and draws what
// it plays with Qt's painter: a device layer of our own in place of libwmf's
// SVG one, which names each colour by the nearest of 147 SVG colour names,
// fills solid shapes half transparent on a transparent background mode,
// places text by guessed font metrics and splits double-byte text into single
// bytes. The layout's window (in libwmf's device units) fills its pixels; a
// layout without a window takes the extent of what is drawn, and a layout
// without a size takes that extent's size.
//
// A null picture with `error` set when libwmf cannot play the file, a bitmap
// in it does not fit its record, or the drawing reaches far past the picture.
QImage paintWmf(QByteArray& bytes, MetafileLayout& layout, QString* error);

// The picture is refused when what is drawn reaches further past it than its
// own size, or this many pixels where that is more (text running on): Qt's
// rasteriser walks every edge over all the rows it spans, so a shape millions
// of pixels long takes minutes to draw, and no real drawing holds one.
inline constexpr double kMinMetafileReachPixels = 32768;
// How far, in the drawing's own units, what is drawn may reach: `window`
// (those units over the picture's `pixels`) grown by that reach on every side.
QRectF metafileReach(const QRectF& window, QSize pixels);
