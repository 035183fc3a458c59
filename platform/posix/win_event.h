// Win32 event objects (manual- or auto-reset) and waits on one or several of
// them. All events share one mutex and condition variable: there are only a
// handful per process and waits are short, so one wake-up list serves
// WaitForMultipleObjects without per-waiter bookkeeping. Any thread.
#pragma once

#include <cstddef>

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
  // -1 when `deadline` passed first.
  static int Wait(WinEvent* const* events, std::size_t count, bool wait_all, Deadline deadline);

 private:
  const bool manual_reset_;
  bool signalled_;  // guarded by the shared event mutex
};

}  // namespace platform::posix
