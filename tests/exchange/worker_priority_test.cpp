// The worker's priority: the top of the normal scheduling class, never a real-time policy.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/UART_THREAT.h"

namespace {

std::vector<pid_t> ThreadsOfThisProcess() {
  std::vector<pid_t> threads;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(tasks)) {
      if (entry->d_name[0] != '.') threads.push_back(std::atoi(entry->d_name));
    }
    closedir(tasks);
  }
  return threads;
}

// True when this process may lower a nice value to -20.
bool MayUseLowestNice() {
  rlimit limit{};
  return geteuid() == 0 || (getrlimit(RLIMIT_NICE, &limit) == 0 &&
                            (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 40));
}

TEST(WorkerPriority, RaisedInsideTheNormalClass) {
  exchange::UART_THREAT::Instance().WaitParked();  // it set its priority before parking
  int lowest_nice = 20;
  for (const pid_t thread : ThreadsOfThisProcess()) {
    EXPECT_EQ(sched_getscheduler(thread), SCHED_OTHER) << "thread " << thread;
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (errno == 0 && nice < lowest_nice) lowest_nice = nice;
  }
  if (MayUseLowestNice()) {
    EXPECT_EQ(lowest_nice, -20);
  }
}

}  // namespace
