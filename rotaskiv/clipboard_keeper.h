#pragma once

#include <QImage>
#include <QString>

// A picture copied by Rotaskiv stays on the clipboard after the program has
// ended. On X11 the clipboard is only a promise of the program that owns it:
// when that program ends, what it offered is gone. So a program that still
// owns the clipboard as it ends hands its picture to a small background
// process of its own (this program, started with --serve-clipboard), which
// serves it until another program takes the clipboard over and then ends.
// Where a clipboard manager runs, the program hands the picture to it as it
// ends instead. On Wayland wl-copy (wl-clipboard), where it is installed,
// plays that part.
namespace clipboard_keeper {

// Puts `picture` on the clipboard, as an image and as PNG data, so that
// X11 and Wayland clients alike can paste it.
void copy(const QImage& picture);

// Keeps the picture this program owns on the clipboard there after it ends
// (see above). Called as the program ends, while it still owns it.
void handOver();

// The background process: serves the PNG picture in `file` (and removes the
// file) until another program owns the clipboard. Returns the exit status.
int serve(const QString& file);

}  // namespace clipboard_keeper
