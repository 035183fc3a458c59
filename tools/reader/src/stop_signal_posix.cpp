// SIGINT, SIGTERM and SIGHUP request the stop: a hang-up (the terminal or the session gone)
// ends the read as cleanly as Ctrl+C, the port closed and its lock let go.
#include <csignal>
#include <iterator>

#include "reader/stop_signal.h"
#include "stop_flag.h"

namespace reader {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(kSignals)];

extern "C" void OnStopSignal(int) { RequestStop(); }

}  // namespace

StopSignals::StopSignals() {
  ClearStopRequest();
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    sigaction(kSignals[i], &action, &previous[i]);
  }
}

StopSignals::~StopSignals() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    sigaction(kSignals[i], &previous[i], nullptr);
  }
}

}  // namespace reader
