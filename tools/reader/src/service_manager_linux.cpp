#include <systemd/sd-daemon.h>

#include <cstdint>

#include "service_manager.h"

namespace reader {

void TellServiceManager(const std::string& message) {
  // A manager that does not listen costs the read nothing: the result is not needed.
  sd_notify(0, message.c_str());
}

std::chrono::microseconds ServiceWatchdogPeriod() {
  std::uint64_t usec = 0;
  if (sd_watchdog_enabled(0, &usec) <= 0) return {};
  return std::chrono::microseconds(usec);
}

}  // namespace reader
