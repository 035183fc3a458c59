#include "posix/win_event.h"

#include <condition_variable>
#include <mutex>

namespace platform::posix {
namespace {

std::mutex& EventMutex() {
  static std::mutex mutex;
  return mutex;
}

std::condition_variable& EventChanged() {
  static std::condition_variable changed;
  return changed;
}

}  // namespace

void WinEvent::Set() {
  {
    std::lock_guard lock(EventMutex());
    signalled_ = true;
  }
  EventChanged().notify_all();
}

void WinEvent::Reset() {
  std::lock_guard lock(EventMutex());
  signalled_ = false;
}

int WinEvent::Wait(WinEvent* const* events, std::size_t count, bool wait_all, Deadline deadline) {
  std::unique_lock lock(EventMutex());
  for (;;) {
    if (wait_all) {
      bool all = true;
      for (std::size_t i = 0; i < count && all; ++i) all = events[i]->signalled_;
      if (all) {
        for (std::size_t i = 0; i < count; ++i) {
          if (!events[i]->manual_reset_) events[i]->signalled_ = false;
        }
        return 0;
      }
    } else {
      for (std::size_t i = 0; i < count; ++i) {
        if (events[i]->signalled_) {
          if (!events[i]->manual_reset_) events[i]->signalled_ = false;
          return static_cast<int>(i);
        }
      }
    }
    if (deadline.Expired()) return -1;
    if (deadline.IsNever()) {
      EventChanged().wait(lock);
    } else {
      EventChanged().wait_until(lock, deadline.When());
    }
  }
}

}  // namespace platform::posix
