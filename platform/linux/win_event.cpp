#include "linux/win_event.h"

#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform::linux_backend {
namespace {

std::mutex& EventMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

void WinEvent::Waiter::Wake() {
  if (wake_fd < 0) {
    woken.notify_one();
    return;
  }
  // The polling thread setting the event itself is awake, and looks at the
  // signal before it polls again.
  if (polling_thread == std::this_thread::get_id()) return;
  const std::uint64_t one = 1;
  // A full counter already means "wake up"; nothing else can fail here.
  [[maybe_unused]] const ssize_t n = ::write(wake_fd, &one, sizeof one);
}

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

WinEvent::Watch::Watch(WinEvent& event, int wake_fd) : event_(event) {
  waiter_.wake_fd = wake_fd;
  waiter_.polling_thread = std::this_thread::get_id();
  std::lock_guard lock(EventMutex());
  event_.waiters_.push_back(&waiter_);
}

WinEvent::Watch::~Watch() {
  std::lock_guard lock(EventMutex());
  std::erase(event_.waiters_, &waiter_);
}

void WinEvent::Set() {
  // Woken under the mutex: a waiter unlists (and loses its condition
  // variable or descriptor) only while holding it.
  std::lock_guard lock(EventMutex());
  signalled_ = true;
  for (Waiter* waiter : waiters_) waiter->Wake();
}

void WinEvent::Reset() {
  std::lock_guard lock(EventMutex());
  signalled_ = false;
}

bool WinEvent::TakeSignal() {
  WinEvent* self = this;
  std::lock_guard lock(EventMutex());
  return TakeSignalled(&self, 1, false) == 0;
}

void WinEvent::SetServer(std::weak_ptr<EventServer> server) {
  std::lock_guard lock(EventMutex());
  server_ = std::move(server);
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
  std::shared_ptr<EventServer> server;
  {
    std::lock_guard lock(EventMutex());
    if (const int index = TakeSignalled(events, count, wait_all); index >= 0) return index;
    if (count == 1) server = events[0]->server_.lock();
  }
  if (server) {
    if (const std::optional<bool> set = server->ServeUntilSet(*events[0], deadline)) {
      return *set ? 0 : -1;
    }
  }
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

}  // namespace platform::linux_backend
