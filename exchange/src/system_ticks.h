// The tick counter DELAY_MS reads and the pause it makes between turns, by default.
#pragma once

#include <cstdint>

namespace EMUL_Functions {

// Milliseconds on a counter that never steps back and wraps at 2^32.
std::uint32_t SystemTicks();
// About a millisecond, so that a wait does not spin a core.
void SleepBriefly();

}  // namespace EMUL_Functions
