// A build without libsystemd (Windows, and the static guest of the VM tier): no service manager
// is ever told anything.
#include "service_manager.h"

namespace reader {

void TellServiceManager(const std::string&) {}

std::chrono::microseconds ServiceWatchdogPeriod() { return {}; }

}  // namespace reader
