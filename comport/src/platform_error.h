// The one raising pattern after a failed operating-system call.
#pragma once

#include <cstdint>

#include "comport/com_errors.h"
#include "platform/comm_api.h"

namespace comport::detail {

// Raises EComPort with `port_code` and the calling thread's last system error,
// read at once.
[[noreturn]] inline void RaiseLastError(std::int32_t port_code) {
  throw EComPort(port_code, static_cast<std::int32_t>(platform::Comm().GetLastError()));
}

}  // namespace comport::detail
