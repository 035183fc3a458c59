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

// Windows refuses ReadInterval, ReadTotalMultiplier and ReadTotalConstant all
// MAXDWORD; every other combination is valid.
bool TimeoutsValid(const COMMTIMEOUTS& timeouts);

}  // namespace platform::posix
