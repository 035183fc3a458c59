// Looking again and again, for a bounded time, before going to sleep.
//
// Sleeping on a condition variable and being woken costs from a few to a few
// tens of microseconds per wake-up (most on a virtual machine whose processor
// sat idle). Where the other thread usually comes within that time, a short
// look first saves the wake-up; it never lasts long enough to matter when it
// does not come.
#pragma once

#include <chrono>
#include <thread>

namespace exchange {

// The longest look before a wait sleeps.
inline constexpr std::chrono::microseconds kSpinBeforeSleep{50};

// Calls `done` until it returns true or kSpinBeforeSleep has passed; whether it
// returned true. Gives the processor to other threads between looks.
template <typename Condition>
bool SpinUntil(Condition done) {
  const auto until = std::chrono::steady_clock::now() + kSpinBeforeSleep;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::yield();
  }
  return true;
}

}  // namespace exchange
