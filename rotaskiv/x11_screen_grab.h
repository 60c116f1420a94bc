#pragma once

#include <QImage>
#include <QRect>

// A part of an X11 desktop, `native` in the X server's pixels, read through
// shared memory (MIT-SHM): the server writes the pixels straight into the
// picture, where Qt's grab has them copied through the connection, into a
// pixmap and again into a picture, which on a 4K screen takes several times
// as long. 32-bit RGB, exactly the pixels Qt's grab gives. A null picture
// where it cannot be done this way (another platform, a remote server, no
// MIT-SHM, a root window that is not 24-bit RGB): Qt's grab does it then.
QImage x11SharedMemoryGrab(const QRect& native);
