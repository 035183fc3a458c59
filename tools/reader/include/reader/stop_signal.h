// Ends a read or a scan cleanly on SIGINT, SIGTERM or SIGHUP (on Windows: Ctrl+C or
// Ctrl+Break in the console): the handlers only set a flag that the loop looks
// at between polls, so a poll in progress always finishes and the port is closed.
#pragma once

#include <chrono>

namespace reader {

// Installs the handlers and clears the flag; restores the previous handlers
// when destroyed. One at a time, on the reading thread.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
};

// True once a stop signal came (or RequestStop was called) since the handlers
// went in.
bool StopRequested();
// What the handlers do; any thread.
void RequestStop();

// Sleeps until `deadline`; returns early, with false, when a stop is requested
// meanwhile.
bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point deadline);

}  // namespace reader
