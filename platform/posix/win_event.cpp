#include "posix/win_event.h"

#include <condition_variable>
#include <mutex>

namespace platform::posix {
namespace {

std::mutex& EventMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

struct WinEvent::Waiter {
  std::condition_variable woken;
};

// Lists a waiter with the events it waits for, for the waiter's lifetime;
// made and destroyed with the event mutex held.
class WinEvent::Listing {
 public:
  Listing(WinEvent* const* events, std::size_t count, Waiter* waiter)
      : events_(events), count_(count), waiter_(waiter) {
    for (std::size_t i = 0; i < count_; ++i) events_[i]->waiters_.push_back(waiter_);
  }
  ~Listing() {
    for (std::size_t i = 0; i < count_; ++i) std::erase(events_[i]->waiters_, waiter_);
  }
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;

 private:
  WinEvent* const* events_;
  std::size_t count_;
  Waiter* waiter_;
};

void WinEvent::Set() {
  // Notified under the mutex: a waiter unlists (and loses its condition
  // variable) only while holding it.
  std::lock_guard lock(EventMutex());
  signalled_ = true;
  for (Waiter* waiter : waiters_) waiter->woken.notify_one();
}

void WinEvent::Reset() {
  std::lock_guard lock(EventMutex());
  signalled_ = false;
}

int WinEvent::TakeSignalled(WinEvent* const* events, std::size_t count, bool wait_all) {
  if (wait_all) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!events[i]->signalled_) return -1;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (!events[i]->manual_reset_) events[i]->signalled_ = false;
    }
    return 0;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (events[i]->signalled_) {
      if (!events[i]->manual_reset_) events[i]->signalled_ = false;
      return static_cast<int>(i);
    }
  }
  return -1;
}

int WinEvent::Wait(WinEvent* const* events, std::size_t count, bool wait_all, Deadline deadline) {
  std::unique_lock lock(EventMutex());
  if (const int index = TakeSignalled(events, count, wait_all); index >= 0) return index;
  Waiter self;
  const Listing listing(events, count, &self);
  for (;;) {
    if (deadline.Expired()) return -1;
    if (deadline.IsNever()) {
      self.woken.wait(lock);
    } else {
      self.woken.wait_until(lock, deadline.When());
    }
    if (const int index = TakeSignalled(events, count, wait_all); index >= 0) return index;
  }
}

}  // namespace platform::posix
