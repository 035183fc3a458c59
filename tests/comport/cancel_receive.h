// Starts a 31-byte ReceiveBytes on another thread, cancels it from this one
// once `started` says it waits, and gives the error it ended with.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

#include "comport/com_errors.h"
#include "comport/com_port.h"

namespace comport {

struct CancelledReceive {
  std::int32_t code = 0;    // PortErrorCode, 0 when nothing was raised
  std::int32_t system = 0;  // SystemErrorCode
};

inline CancelledReceive CancelPendingReceive(TCustomComPort& port,
                                             const std::function<void()>& started) {
  CancelledReceive result;
  std::thread reader([&] {
    std::uint8_t buffer[31];
    try {
      port.ReceiveBytes(buffer, 31);
    } catch (const EComPort& error) {
      result.code = error.PortErrorCode();
      result.system = error.SystemErrorCode();
    }
  });
  started();
  port.CancelTransfers();
  reader.join();
  return result;
}

}  // namespace comport
