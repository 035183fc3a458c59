// The check after each record: did the output go out?
#pragma once

#include <ostream>

namespace reader {

// Flushes `out` (standard output) and checks that everything written to it
// went out. When not, says why on `err` in one line ("vlk240-read: standard
// output: No space left on device") and returns false.
bool OutputWritten(std::ostream& out, std::ostream& err);

// True when `out` is standard output on a regular file that already holds
// something (appended to with >>); false for an empty file, a pipe, a terminal
// or a stream in memory.
bool OutputContinuesAFile(const std::ostream& out);

}  // namespace reader
