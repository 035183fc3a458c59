#include "posix/read_timing.h"

#include <cstdint>

namespace platform::posix {
namespace {

Deadline Total(DWORD multiplier, DWORD constant, DWORD count, Deadline::Clock::time_point start) {
  if (multiplier == 0 && constant == 0) return Deadline::Never();
  // At most (2^32-1)^2 + 2^32-1 < 2^64: no overflow.
  const std::uint64_t ms = std::uint64_t{multiplier} * count + constant;
  return Deadline::AfterMs(ms, start);
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

bool TimeoutsValid(const COMMTIMEOUTS& timeouts) {
  return !(timeouts.ReadIntervalTimeout == MAXDWORD &&
           timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
           timeouts.ReadTotalTimeoutConstant == MAXDWORD);
}

}  // namespace platform::posix
