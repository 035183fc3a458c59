// The service manager that started the reader, when one did (a systemd unit of Type=notify):
// on Linux through libsystemd (service_manager_linux.cpp); the Windows build and the static
// build of the VM tier have none (service_manager_absent.cpp). Run from a shell, without
// NOTIFY_SOCKET in the environment, both do nothing.
#pragma once

#include <chrono>
#include <string>

namespace reader {

// Sends `message`, lines of KEY=VALUE ("READY=1", "STATUS=..."), to the service manager.
void TellServiceManager(const std::string& message);

// The period of the manager's watchdog (WatchdogSec=); zero when it watches none.
std::chrono::microseconds ServiceWatchdogPeriod();

}  // namespace reader
