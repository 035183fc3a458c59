// Local time for the trend's time axis, by each system's own call.
#pragma once

#include <cstdint>

namespace form {

// How far the local clock is ahead of UTC at `utc_ms` (milliseconds since the epoch); 0 when
// the system cannot tell.
std::int64_t LocalOffsetMs(std::int64_t utc_ms);

}  // namespace form
