// Raising the calling thread's scheduling priority.
#pragma once

namespace exchange {

// Gives the calling thread the lowest nice value the process may set (at best -20, the top of
// the normal scheduling class); otherwise leaves it unchanged.
void RaiseCallingThreadPriority();

}  // namespace exchange
