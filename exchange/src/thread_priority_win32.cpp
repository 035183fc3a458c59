// The exchange worker's priority on Windows: THREAD_PRIORITY_HIGHEST, the top of the process's
// priority class, which any program may give its own threads.
#include "thread_priority.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace exchange {

void RaiseCallingThreadPriority() {
  // A failure leaves the thread at normal priority, as on Linux without the right.
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

}  // namespace exchange
