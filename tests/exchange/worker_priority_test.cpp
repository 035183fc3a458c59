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

int NiceOf(pid_t thread) {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
  return errno == 0 ? nice : 20;
}

TEST(WorkerPriority, RaisedInsideTheNormalClass) {
  if (!MayUseLowestNice()) GTEST_SKIP() << "this process may not lower a nice value to -20";
  exchange::UART_THREAT::Instance().WaitParked();  // it set its priority before parking
  const pid_t self = gettid();
  int raised = 0;
  for (const pid_t thread : ThreadsOfThisProcess()) {
    EXPECT_EQ(sched_getscheduler(thread), SCHED_OTHER) << "thread " << thread;
    if (thread != self && NiceOf(thread) == -20) ++raised;
  }
  // The worker is raised; the thread that started it keeps the nice value it had.
  EXPECT_GE(raised, 1);
  EXPECT_GT(NiceOf(self), -20);
}

}  // namespace
