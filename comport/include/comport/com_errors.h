// EComPort: the component's one exception, carrying the component's error code
// (1 to 23) and the operating system's error code of the failed call.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "runtime/exception.h"

namespace comport {

// Component error codes; each names the row of PortErrorMessages it selects.
enum TPortError : std::int32_t {
  kErrOpenFailed = 1,
  kErrWriteFailed = 2,
  kErrReadFailed = 3,
  kErrInvalidAsync = 4,
  kErrPurgeFailed = 5,
  kErrAsyncStatus = 6,
  kErrSetStateFailed = 7,
  kErrTimeoutsFailed = 8,
  kErrSetupCommFailed = 9,
  kErrClearErrorFailed = 10,
  kErrModemStatusFailed = 11,
  kErrEscapeFailed = 12,
  kErrTransmitFailed = 13,
  kErrConnectedProperty = 14,
  kErrEnumPortsFailed = 15,
  kErrStoreFailed = 16,
  kErrLoadFailed = 17,
  kErrLinkFailed = 18,
  kErrLedState = 19,
  kErrThreadCreated = 20,
  kErrWaitFailed = 21,
  kErrRxBufLinked = 22,
  kErrRegistry = 23,
};

// Message texts, indexed by error code from 1 (use PortErrorMessage).
inline constexpr std::array<std::string_view, 23> PortErrorMessages = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

// The text for `code`; empty for a code outside 1 to 23.
constexpr std::string_view PortErrorMessage(std::int32_t code) {
  return code >= 1 && code <= static_cast<std::int32_t>(PortErrorMessages.size())
             ? PortErrorMessages[static_cast<std::size_t>(code - 1)]
             : std::string_view{};
}

class EComPort : public runtime::Exception {
 public:
  // Message: the table text followed by " (win error code: <system_code>)".
  EComPort(std::int32_t port_code, std::int32_t system_code);
  // No system cause: SystemErrorCode is -1 and the message is the table text.
  explicit EComPort(std::int32_t port_code);

  std::int32_t SystemErrorCode() const noexcept { return system_code_; }
  std::int32_t PortErrorCode() const noexcept { return port_code_; }

 private:
  std::int32_t system_code_;
  std::int32_t port_code_;
};

}  // namespace comport
