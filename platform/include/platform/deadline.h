// A point in time on the monotonic clock (steady_clock is CLOCK_MONOTONIC on
// Linux), or "never". The layer's time-outs (the I/O thread's ppoll, event
// waits) are all deadlines of this clock, so a wall-clock step cannot stretch
// or cut one; a wait for a transfer's end is bounded by the transfer's own.
// Plain value; any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace platform {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  // A deadline that never expires.
  static constexpr Deadline Never() { return Deadline(Clock::time_point::max()); }
  static constexpr Deadline At(Clock::time_point when) { return Deadline(when); }
  // `ms` milliseconds after `from`, a reading of the clock.
  static Deadline AfterMs(std::uint64_t ms, Clock::time_point from = Clock::now()) {
    // Saturates: the clock counts nanoseconds in a signed 64-bit number and
    // ends about 292 years after its epoch, where the sum would overflow. A
    // wait of at least the whole milliseconds left between `from` and that end
    // comes out as Never(), which never expires, instead of wrapping round.
    const auto room =
        std::chrono::floor<std::chrono::milliseconds>(Clock::time_point::max() - from);
    if (ms >= static_cast<std::uint64_t>(room.count())) return Never();
    return Deadline(from + std::chrono::milliseconds(ms));
  }

  // `wait` after `from`; saturates to Never() as AfterMs does.
  static Deadline After(Clock::duration wait, Clock::time_point from = Clock::now()) {
    if (wait >= Clock::time_point::max() - from) return Never();
    return Deadline(from + wait);
  }

  bool IsNever() const { return when_ == Clock::time_point::max(); }
  bool Expired(Clock::time_point now = Clock::now()) const { return !IsNever() && now >= when_; }
  Clock::time_point When() const { return when_; }

  // Time left, never negative; meaningless for Never().
  Clock::duration Remaining(Clock::time_point now = Clock::now()) const {
    return Expired(now) ? Clock::duration::zero() : when_ - now;
  }
  // Time left as a timespec for ppoll(); callers pass no timeout for Never().
  timespec RemainingTimespec(Clock::time_point now = Clock::now()) const {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(Remaining(now));
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
    return ts;
  }

  friend constexpr Deadline Earlier(Deadline a, Deadline b) { return a.when_ <= b.when_ ? a : b; }
  friend constexpr bool operator==(Deadline a, Deadline b) { return a.when_ == b.when_; }

 private:
  constexpr explicit Deadline(Clock::time_point when) : when_(when) {}
  Clock::time_point when_;
};

}  // namespace platform
