// What the reader adds to the port's own message when a port cannot be opened:
// the reason the operating system gave, and what the operator can do about it.
#pragma once

#include <string>

namespace reader {

// ": <reason>." and, where there is one, " <what to do>." for an open that
// failed with errno `system_error` (on Windows: with that Win32 code); empty
// for 0 (no reason known).
std::string OpenFailureHint(int system_error);

}  // namespace reader
