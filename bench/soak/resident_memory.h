// The process's resident set size, as the kernel reports it.
#pragma once

#include <cstdint>
#include <optional>

namespace soak {

// VmRSS from /proc/self/status in kB; nothing when it cannot be read. The probe neither
// allocates nor pulls in stream code, so taking a reading does not itself grow the figure
// that the next reading reports.
std::optional<std::int64_t> ResidentKilobytes();

}  // namespace soak
