// The stop flag and the sleep that looks at it; each system's StopSignals sets the flag.
#include "reader/stop_signal.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "stop_flag.h"

namespace reader {
namespace {

std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

// How often a sleep looks at the flag: short enough that Ctrl+C feels
// immediate.
constexpr std::chrono::milliseconds kStopCheck{20};

}  // namespace

void ClearStopRequest() { stop_requested.store(false, std::memory_order_relaxed); }

bool StopRequested() { return stop_requested.load(std::memory_order_relaxed); }

void RequestStop() { stop_requested.store(true, std::memory_order_relaxed); }

bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (StopRequested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return true;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(deadline - now, kStopCheck));
  }
}

}  // namespace reader
