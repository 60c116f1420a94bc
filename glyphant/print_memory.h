#pragma once

#include "glyphant/print_job.h"

class QPrinter;

// The print preview's choices kept between opens and between runs, in the
// user's settings of Glyphant: the layout chosen, and the printer, its paper,
// orientation and margins.
namespace print_memory {

// Sets `printer` as last used: its queue (unless it no longer exists), paper,
// orientation and margins.
void restorePrinter(QPrinter& printer);
// The choices last made; `fallback`'s where none were.
PrintSettings restoreChoices(const PrintSettings& fallback);
// Keeps `chosen` and the printer's queue, paper, orientation and margins.
void remember(const QPrinter& printer, const PrintSettings& chosen);

}  // namespace print_memory
