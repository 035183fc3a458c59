#include <sys/resource.h>
#include <unistd.h>

#include <array>

#include "thread_priority.h"

namespace runtime {
namespace {

// Linux schedules ordinary threads by their nice value.
constexpr std::array<int, 7> kNiceOf{19, 10, 5, 0, -5, -10, -20};

}  // namespace

void ApplyToCallingThread(TThreadPriority priority) {
  // Raising needs a privilege the operator rarely has.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceOf[priority]);
}

}  // namespace runtime
