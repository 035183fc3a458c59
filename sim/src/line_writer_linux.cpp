#include "line_writer.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace sim {
namespace {

using std::chrono::duration_cast;
using std::chrono::nanoseconds;

timespec ToTimespec(nanoseconds since_epoch) {
  return {static_cast<time_t>(since_epoch.count() / 1'000'000'000),
          static_cast<long>(since_epoch.count() % 1'000'000'000)};
}

// Below this the rest of a wait is slept with clock_nanosleep, which is more
// precise than poll()'s millisecond timeout.
constexpr nanoseconds kFineWait{2'000'000};

}  // namespace

bool LineWriter::WaitUntil(Clock::time_point deadline) {
  for (;;) {
    pollfd wake{wake_fd_, POLLIN, 0};
    const auto left = deadline - Clock::now();
    if (left > kFineWait) {
      const auto ms = duration_cast<std::chrono::milliseconds>(left - kFineWait).count();
      if (poll(&wake, 1, static_cast<int>(ms)) > 0) return false;
      continue;
    }
    if (poll(&wake, 1, 0) > 0) return false;
    if (left <= nanoseconds::zero()) return true;
    // steady_clock is CLOCK_MONOTONIC on Linux: absolute deadlines keep
    // pacing from drifting.
    const timespec at = ToTimespec(duration_cast<nanoseconds>(deadline.time_since_epoch()));
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
    return true;
  }
}

void LineWriter::Put(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(master_fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    // A full queue (nobody reads the slave) or a failed write loses the rest,
    // as bytes on a line nobody listens to are lost.
    if (n <= 0) return;
    if (trace_ != nullptr) trace_->Sent(bytes.first(static_cast<std::size_t>(n)));
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
}

bool LineWriter::Send(const Transmission& transmission, Clock::time_point start, bool paced,
                      const std::function<void()>& before_last_write) {
  // Each entry: when the bytes may go out, and which bytes.
  struct Write {
    Clock::time_point at;
    std::span<const std::uint8_t> bytes;
  };
  std::vector<Write> writes;
  Clock::time_point line_free = start;  // when the previous byte has left the line
  for (const Segment& segment : transmission) {
    line_free += segment.pause_before;
    if (!paced && !segment.line_paced) {
      writes.push_back({line_free, segment.bytes});
      continue;
    }
    for (std::size_t i = 0; i < segment.bytes.size(); ++i) {
      // A byte reaches the receiver when its stop bit ends.
      line_free += kCharacterTime;
      writes.push_back({line_free, std::span(segment.bytes).subspan(i, 1)});
    }
  }
  for (std::size_t i = 0; i < writes.size(); ++i) {
    if (!WaitUntil(writes[i].at)) return false;
    if (i + 1 == writes.size()) before_last_write();
    Put(writes[i].bytes);
  }
  return true;
}

}  // namespace sim
