#pragma once

#include <QImage>
#include <QSize>

// Memory for the large pictures of the canvas and its history. Fresh memory
// costs more than drawing or unpacking into it (the system clears each page
// on its first touch: about two seconds a gigabyte on a busy machine), and
// the operations on a canvas make one picture of the same size after
// another: a new one takes the memory of the last large one that nobody
// holds any more. One picture's worth is kept at most.
namespace picture_memory {

// An RGB32 picture of `size` whose pixels are not yet set; null when there
// is no memory for it.
QImage blank(QSize size);

}  // namespace picture_memory
