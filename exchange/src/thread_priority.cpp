#include "thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace exchange {

void RaiseCallingThreadPriority() {
  // The lowest FIFO level already preempts all normal threads; a higher one would gain nothing
  // for a thread that mostly sleeps in the driver.
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;

  // Without real-time rights a lower nice value may still be allowed (RLIMIT_NICE). On Linux
  // PRIO_PROCESS with a thread id addresses that one thread.
  const pid_t tid = gettid();
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno != 0) return;
  for (int target = -20; target < nice; ++target) {
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), target) == 0) return;
  }
}

}  // namespace exchange
