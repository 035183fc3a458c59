// Win32 event objects (manual- or auto-reset) and waits on one or several of
// them. Any thread.
//
// Waits may last without limit (the event thread, AwaitAsync), so each waiter
// sleeps on a condition variable of its own, listed with every event it waits
// for, and Set wakes only those. One mutex guards the state and lists of all
// events, which keeps a check of several events at once atomic; it is held
// only for a few steps at a time.
//
// An event may name a server, the object whose work sets it (the device of a
// pending read): a wait for that one event is then served on the waiting
// thread, which does the work itself instead of sleeping until another thread
// has done it and woken it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/deadline.h"

namespace platform::linux_backend {

class WinEvent;

// What can bring an event about on the thread that waits for it.
class EventServer {
 public:
  // Waits until `event` is signalled (taking an auto-reset signal, as
  // WinEvent::Wait does) or `deadline` passes, doing the work that sets it on
  // the calling thread: true when signalled, false at the deadline; nothing
  // when it does not serve this wait, which the caller then waits out as usual.
  virtual std::optional<bool> ServeUntilSet(WinEvent& event, Deadline deadline) = 0;

 protected:
  ~EventServer() = default;
};

class WinEvent {
 public:
  WinEvent(bool manual_reset, bool signalled)
      : manual_reset_(manual_reset), signalled_(signalled) {}
  WinEvent(const WinEvent&) = delete;
  WinEvent& operator=(const WinEvent&) = delete;

  void Set();
  void Reset();
  // Takes the signal as a wait for this event alone would; true if it was set.
  bool TakeSignal();
  // Names the server of later waits for this event alone (see above).
  void SetServer(std::weak_ptr<EventServer> server);

  // Waits until one (or, with `wait_all`, every one) of `events` is
  // signalled; consumes the signal of auto-reset events it returns for.
  // Returns the index of the lowest signalled event (0 when `wait_all`), or
  // -1 when `deadline` passed first. The events must outlive the call.
  static int Wait(WinEvent* const* events, std::size_t count, bool wait_all, Deadline deadline);

  // For a thread that waits for the event in poll(), beside other
  // descriptors: while a Watch made on that thread lives, each Set by another
  // thread adds 1 to the eventfd `wake_fd`, which must stay open as long. The
  // watching thread must look at the signal after each Set of its own.
  class Watch;

 private:
  // A sleeping waiter is woken through its condition variable, a polling one
  // through its eventfd.
  struct Waiter {
    std::condition_variable woken;
    int wake_fd = -1;
    std::thread::id polling_thread;

    void Wake();
  };
  class Listing;

  // The index Wait returns if it can return now (signals consumed), else -1.
  static int TakeSignalled(WinEvent* const* events, std::size_t count, bool wait_all);

  const bool manual_reset_;
  bool signalled_;                     // guarded by the shared event mutex
  std::vector<Waiter*> waiters_;       // guarded by the shared event mutex
  std::weak_ptr<EventServer> server_;  // guarded by the shared event mutex
};

// See WinEvent: listed with its event for its lifetime, on the watching
// thread's stack (one per served wait, so nothing is allocated for it).
class WinEvent::Watch {
 public:
  Watch(WinEvent& event, int wake_fd);
  ~Watch();
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

 private:
  WinEvent& event_;
  Waiter waiter_;
};

}  // namespace platform::linux_backend
