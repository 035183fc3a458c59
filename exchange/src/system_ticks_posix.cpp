#include <chrono>
#include <thread>

#include "system_ticks.h"

namespace EMUL_Functions {

// The monotonic clock in milliseconds, cut to 32 bits: GetTickCount's counter.
std::uint32_t SystemTicks() {
  const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count());
}

void SleepBriefly() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

}  // namespace EMUL_Functions
