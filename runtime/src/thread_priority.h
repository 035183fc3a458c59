// A TThread's priority given to the thread that runs it, by the system's own means.
#pragma once

#include "runtime/toolkit.h"

namespace runtime {

// Best effort: a priority the process may not set leaves the thread as it is.
void ApplyToCallingThread(TThreadPriority priority);

}  // namespace runtime
