// Win32 event objects (manual- or auto-reset) and waits on one or several of
// them. Any thread.
//
// Waits may last without limit (the event thread, AwaitAsync), so each waiter
// sleeps on a condition variable of its own, listed with every event it waits
// for, and Set wakes only those. One mutex guards the state and lists of all
// events, which keeps a check of several events at once atomic; it is held
// only for a few steps at a time.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/deadline.h"

namespace platform::posix {

class WinEvent {
 public:
  WinEvent(bool manual_reset, bool signalled)
      : manual_reset_(manual_reset), signalled_(signalled) {}
  WinEvent(const WinEvent&) = delete;
  WinEvent& operator=(const WinEvent&) = delete;

  void Set();
  void Reset();

  // Waits until one (or, with `wait_all`, every one) of `events` is
  // signalled; consumes the signal of auto-reset events it returns for.
  // Returns the index of the lowest signalled event (0 when `wait_all`), or
  // -1 when `deadline` passed first. The events must outlive the call.
  static int Wait(WinEvent* const* events, std::size_t count, bool wait_all, Deadline deadline);

 private:
  struct Waiter;
  class Listing;

  // The index Wait returns if it can return now (signals consumed), else -1.
  static int TakeSignalled(WinEvent* const* events, std::size_t count, bool wait_all);

  const bool manual_reset_;
  bool signalled_;                // guarded by the shared event mutex
  std::vector<Waiter*> waiters_;  // guarded by the shared event mutex
};

}  // namespace platform::posix
