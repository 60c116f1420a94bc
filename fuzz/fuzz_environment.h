#pragma once

// Starts Qt once for a fuzz target, from LLVMFuzzerInitialize: headless, with
// the image plugins loaded before the first input, and quiet, since decoders
// warn on the console about every damaged input. Qt's allocation limit and
// ours stay as the programs have them.
void startQtForFuzzing(const char* program);
