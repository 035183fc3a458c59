#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

#include "sim/reply_shaper.h"
#include "trace/frame_trace.h"

namespace sim {

// Puts a transmission on the master side of the pty, either all at once per
// segment or paced like a real line (a line-paced segment always is), and
// waits between segments. Every wait ends early when `wake_fd` becomes
// readable (the simulator is stopping). Used by the serving thread only.
class LineWriter {
 public:
  using Clock = std::chrono::steady_clock;

  // Each write is recorded in `trace` unless it is null.
  LineWriter(int master_fd, int wake_fd, trace::FrameTrace* trace = nullptr)
      : master_fd_(master_fd), wake_fd_(wake_fd), trace_(trace) {}

  // Sends `transmission`, its first pause counted from `start`, and calls
  // `before_last_write` just before the last write, so that a client that has
  // read the whole reply also sees what that call recorded. Returns false when
  // woken to stop.
  bool Send(const Transmission& transmission, Clock::time_point start, bool paced,
            const std::function<void()>& before_last_write);

  // Sleeps until `deadline` on the monotonic clock. False when woken to stop.
  bool WaitUntil(Clock::time_point deadline);

 private:
  void Put(std::span<const std::uint8_t> bytes);

  int master_fd_;
  int wake_fd_;
  trace::FrameTrace* trace_;
};

}  // namespace sim
