#include "service_notices.h"

#include <algorithm>

#include "reader/stop_signal.h"
#include "service_manager.h"

namespace reader {

std::string ServiceStatusLine(const CycleState& state) {
  std::string line =
      state.port_open
          ? std::to_string(state.answering) + " of " + std::to_string(state.instruments) +
                (state.instruments == 1 ? " instrument" : " instruments") + " answering"
          : "port unavailable, opened again at each poll";
  if (state.broker) {
    line += state.broker->connected ? "; broker connected, " : "; broker away, ";
    line += std::to_string(state.broker->waiting) +
            (state.broker->waiting == 1 ? " record waiting" : " records waiting");
  }
  return line;
}

ServiceNotices::ServiceNotices()
    : keepalive_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          ServiceWatchdogPeriod() / 2)),
      last_alive_(std::chrono::steady_clock::now()) {}

void ServiceNotices::PollingStarts(std::size_t instruments) {
  TellServiceManager("READY=1\nSTATUS=polling " + std::to_string(instruments) +
                     (instruments == 1 ? " instrument" : " instruments"));
  last_alive_ = std::chrono::steady_clock::now();
}

void ServiceNotices::CycleEnded(const CycleState& state) {
  Alive("\nSTATUS=" + ServiceStatusLine(state));
}

void ServiceNotices::StillPolling() {
  if (keepalive_ == keepalive_.zero()) return;
  if (std::chrono::steady_clock::now() - last_alive_ >= keepalive_) Alive({});
}

bool ServiceNotices::SleepUntilUnlessStopped(std::chrono::steady_clock::time_point deadline) {
  if (keepalive_ == keepalive_.zero()) return reader::SleepUntilUnlessStopped(deadline);
  for (;;) {
    const auto slice_end = std::min(deadline, last_alive_ + keepalive_);
    if (!reader::SleepUntilUnlessStopped(slice_end)) return false;
    if (slice_end == deadline) return true;
    Alive({});
  }
}

void ServiceNotices::Stopping() { TellServiceManager("STOPPING=1"); }

void ServiceNotices::Alive(const std::string& more) {
  TellServiceManager("WATCHDOG=1" + more);
  last_alive_ = std::chrono::steady_clock::now();
}

}  // namespace reader
