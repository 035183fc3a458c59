// What a read tells the service manager that runs it: READY=1 when polling starts, WATCHDOG=1
// while it goes on (so that a hung or stopped reader is restarted), a one-line STATUS= after
// each cycle, and STOPPING=1 at its end. Nothing outside a service (service_manager.h).
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "publishing.h"

namespace reader {

// How a cycle went, for the status line.
struct CycleState {
  std::size_t answering = 0;  // instruments whose poll of this cycle gave readings
  std::size_t instruments = 0;
  bool port_open = true;
  std::optional<RecordPublisher::State> broker;  // with --publish
};

// "2 of 3 instruments answering; broker connected, 0 records waiting".
std::string ServiceStatusLine(const CycleState& state);

class ServiceNotices {
 public:
  ServiceNotices();

  void PollingStarts(std::size_t instruments);
  void CycleEnded(const CycleState& state);
  // Between the polls of a cycle: WATCHDOG=1 when half the watchdog's period has gone since
  // the last, so that a long cycle of silent instruments is not taken for a hung reader.
  void StillPolling();
  // SleepUntilUnlessStopped (stop_signal.h) that also keeps the watchdog told through a long
  // interval.
  bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point deadline);
  void Stopping();

 private:
  void Alive(const std::string& more);

  // Half the watchdog's period; zero when there is no watchdog.
  std::chrono::steady_clock::duration keepalive_;
  std::chrono::steady_clock::time_point last_alive_;
};

}  // namespace reader
