#include "posix/read_timing.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace platform::posix {
namespace {

Deadline Total(DWORD multiplier, DWORD constant, DWORD count, Deadline::Clock::time_point start) {
  if (multiplier == 0 && constant == 0) return Deadline::Never();
  // At most (2^32-1)^2 + 2^32-1 < 2^64: no overflow.
  const std::uint64_t ms = std::uint64_t{multiplier} * count + constant;
  return Deadline::AfterMs(ms, start);
}

constexpr std::chrono::microseconds kMinDrainLook{100};

// A character's length in half bits, for 1.5 stop bits.
std::uint64_t CharacterHalfBits(const DCB& dcb) {
  const std::uint64_t stop_half_bits = dcb.StopBits == ONESTOPBIT     ? 2
                                       : dcb.StopBits == ONE5STOPBITS ? 3
                                                                      : 4;
  const std::uint64_t parity_bits = dcb.Parity == NOPARITY ? 0 : 1;
  return 2 * (1 + dcb.ByteSize + parity_bits) + stop_half_bits;
}

}  // namespace

ReadPlan PlanRead(const COMMTIMEOUTS& timeouts, DWORD count, Deadline::Clock::time_point start) {
  ReadPlan plan;
  plan.immediate = timeouts.ReadIntervalTimeout == MAXDWORD &&
                   timeouts.ReadTotalTimeoutMultiplier == 0 &&
                   timeouts.ReadTotalTimeoutConstant == 0;
  plan.first_byte_ends =
      timeouts.ReadIntervalTimeout == MAXDWORD && timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
      timeouts.ReadTotalTimeoutConstant != 0 && timeouts.ReadTotalTimeoutConstant != MAXDWORD;
  if (plan.first_byte_ends) {
    plan.total = Deadline::AfterMs(timeouts.ReadTotalTimeoutConstant, start);
    return plan;
  }
  plan.total =
      Total(timeouts.ReadTotalTimeoutMultiplier, timeouts.ReadTotalTimeoutConstant, count, start);
  plan.gap_ms = timeouts.ReadIntervalTimeout == MAXDWORD ? 0 : timeouts.ReadIntervalTimeout;
  return plan;
}

Deadline PlanWrite(const COMMTIMEOUTS& timeouts, DWORD count, Deadline::Clock::time_point start) {
  return Total(timeouts.WriteTotalTimeoutMultiplier, timeouts.WriteTotalTimeoutConstant, count,
               start);
}

Deadline::Clock::duration DrainTime(const DCB& dcb, DWORD bytes) {
  using Duration = Deadline::Clock::duration;
  if (dcb.BaudRate == 0) return Duration::zero();
  // A half bit lasts half a second at 1 bit/s. The quotient and the
  // remainder by the rate are scaled apart, so that nothing overflows before
  // the result would.
  constexpr std::uint64_t kHalfBitNs = 500'000'000;
  constexpr auto kMaxNs = static_cast<std::uint64_t>(std::chrono::nanoseconds::max().count());
  const std::uint64_t half_bits = std::uint64_t{bytes} * CharacterHalfBits(dcb);
  const std::uint64_t whole = half_bits / dcb.BaudRate;
  const std::uint64_t rest = half_bits % dcb.BaudRate;
  if (whole >= kMaxNs / kHalfBitNs) return Duration::max();
  const std::chrono::nanoseconds ns(whole * kHalfBitNs + rest * kHalfBitNs / dcb.BaudRate);
  return std::chrono::duration_cast<Duration>(ns);
}

Deadline::Clock::duration NextDrainLook(const DCB& dcb, DWORD unsent) {
  return std::max<Deadline::Clock::duration>(DrainTime(dcb, unsent), kMinDrainLook);
}

bool TimeoutsValid(const COMMTIMEOUTS& timeouts) {
  return !(timeouts.ReadIntervalTimeout == MAXDWORD &&
           timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
           timeouts.ReadTotalTimeoutConstant == MAXDWORD);
}

}  // namespace platform::posix
