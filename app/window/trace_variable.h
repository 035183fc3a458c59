// VLK240_TRACE=FILE: the window's frame trace (trace/frame_trace.h), read once at start.
#pragma once

#include <memory>
#include <ostream>

#include "trace/frame_trace.h"

namespace window {

// The trace that VLK240_TRACE names: a file appended to, or standard error (`err`) for "-".
// Null when the variable is unset or empty, and when the file cannot be opened, which `err`
// is told in one line: the window then runs without a trace. Main thread, before the window.
std::unique_ptr<trace::FrameTrace> OpenTraceFromEnvironment(std::ostream& err);

}  // namespace window
