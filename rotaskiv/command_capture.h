#pragma once

#include "rotaskiv/command_line.h"

// Carries out what the command line asks for (see command_line.h) in the
// running application: the capture window straight away, or a picture of
// the screens taken at once and written, copied or pinned. Returns the exit
// status: 0 done, 1 the capture or its output failed (a message says why),
// 2 the arguments name something that is not there.
int runCaptureCommand(const command_line::Request& request);

// The region of the last capture, in desktop pixels, as the user's settings
// keep it; empty when there was none.
QRect lastCaptureRegion();
void rememberCaptureRegion(const QRect& region);
