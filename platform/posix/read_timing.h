// When a read or write ends, from COMMTIMEOUTS (pure; the device applies it).
//
// Read of `count` bytes started (made head of the queue) at `start`:
//  - ReadInterval = MAXDWORD with both totals 0: return at once with what is
//    queued, possibly nothing;
//  - a total deadline Mult*count + Const ms after start when either is non-zero;
//  - an inter-byte gap timer of ReadInterval ms, re-armed at every byte that
//    arrives, unless ReadInterval is 0 or MAXDWORD (MAXDWORD otherwise only
//    switches the gap timer off: the read still waits for count or the total);
//  - all zero: no limit;
//  - ReadInterval and ReadTotalMultiplier MAXDWORD, 0 < ReadTotalConstant <
//    MAXDWORD (Windows' documented special case): end at the first byte, or
//    after ReadTotalConstant ms with nothing.
// Write: a total deadline WriteMult*count + WriteConst ms when either is non-zero.
// Drain: how long the line takes to send what the kernel still holds, from the
// port's rate and framing, so that a write waiting for its bytes to leave looks
// at the output queue about when it can be empty.
#pragma once

#include "platform/comm_api.h"
#include "platform/deadline.h"

namespace platform::posix {

struct ReadPlan {
  bool immediate = false;
  bool first_byte_ends = false;
  Deadline total = Deadline::Never();
  DWORD gap_ms = 0;  // 0: no inter-byte timer
};

ReadPlan PlanRead(const COMMTIMEOUTS& timeouts, DWORD count, Deadline::Clock::time_point start);
Deadline PlanWrite(const COMMTIMEOUTS& timeouts, DWORD count, Deadline::Clock::time_point start);

// The time `bytes` characters take on the line at `dcb`'s rate: a start bit,
// the data bits, a parity bit unless NOPARITY, and the stop bits (1.5 counted
// as such). Zero without a rate; saturates at the longest duration.
Deadline::Clock::duration DrainTime(const DCB& dcb, DWORD bytes);

// When a write waiting for its bytes to leave looks at the output queue
// again, `unsent` bytes being there now: once the line can have sent them,
// and never sooner than 100 us, so that a line held by flow control at a high
// rate, or one whose rate is unknown, is not looked at in a spin.
Deadline::Clock::duration NextDrainLook(const DCB& dcb, DWORD unsent);

// Windows refuses ReadInterval, ReadTotalMultiplier and ReadTotalConstant all
// MAXDWORD; every other combination is valid.
bool TimeoutsValid(const COMMTIMEOUTS& timeouts);

}  // namespace platform::posix
