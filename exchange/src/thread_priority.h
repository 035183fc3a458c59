// Raising the calling thread's scheduling priority.
#pragma once

namespace exchange {

// Puts the calling thread above every normally scheduled thread if the process may (lowest
// real-time FIFO level), else lowers its nice value if allowed; otherwise leaves it unchanged.
void RaiseCallingThreadPriority();

}  // namespace exchange
