#include <array>

#include "thread_priority.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace runtime {
namespace {

// The toolkit's seven priorities are Windows' own thread priorities.
constexpr std::array<int, 7> kWindowsPriorityOf{
    THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
    THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
    THREAD_PRIORITY_TIME_CRITICAL};

}  // namespace

void ApplyToCallingThread(TThreadPriority priority) {
  ::SetThreadPriority(::GetCurrentThread(), kWindowsPriorityOf[priority]);
}

}  // namespace runtime
