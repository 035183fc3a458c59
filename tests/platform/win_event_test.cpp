// Event objects: who a SetEvent wakes, and waits on several events across threads.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/comm_api.h"

namespace platform {
namespace {

long VoluntarySwitchesOfThisThread() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

// The event thread and AwaitAsync wait without limit: setting other events
// must not keep waking them.
TEST(WinEventWaits, SettingAnEventWakesOnlyItsOwnWaiters) {
  const HANDLE watched = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  const HANDLE other = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  std::atomic<long> switches{-1};
  std::thread waiter([&] {
    const long before = VoluntarySwitchesOfThisThread();
    EXPECT_EQ(Comm().WaitForSingleObject(watched, INFINITE), WAIT_OBJECT_0);
    switches = VoluntarySwitchesOfThisThread() - before;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (int i = 0; i < 200; ++i) {
    Comm().SetEvent(other);
    Comm().ResetEvent(other);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  Comm().SetEvent(watched);
  waiter.join();
  EXPECT_LT(switches.load(), 20) << "woken by another event's SetEvent";
  Comm().CloseHandle(watched);
  Comm().CloseHandle(other);
}

TEST(WinEventWaits, AWaitOnSeveralEventsEndsWhenAnotherThreadSetsThem) {
  const HANDLE first = Comm().CreateEventA(nullptr, 0, 0, nullptr);
  const HANDLE second = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  const HANDLE both[] = {first, second};
  std::thread any_setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Comm().SetEvent(second);
  });
  EXPECT_EQ(Comm().WaitForMultipleObjects(2, both, 0, INFINITE), WAIT_OBJECT_0 + 1);
  any_setter.join();

  std::thread all_setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Comm().SetEvent(first);
  });
  EXPECT_EQ(Comm().WaitForMultipleObjects(2, both, 1, INFINITE), WAIT_OBJECT_0);
  all_setter.join();
  EXPECT_EQ(Comm().WaitForSingleObject(first, 0), WAIT_TIMEOUT);  // auto-reset: consumed
  Comm().CloseHandle(first);
  Comm().CloseHandle(second);
}

}  // namespace
}  // namespace platform
