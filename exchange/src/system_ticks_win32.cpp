#include "system_ticks.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace EMUL_Functions {

std::uint32_t SystemTicks() { return ::GetTickCount(); }

void SleepBriefly() { ::Sleep(1); }

}  // namespace EMUL_Functions
