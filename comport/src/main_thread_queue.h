// The queue behind main_thread.h, shared with the event receiver and the
// thread class. One mutex guards the queue and every waiter's state.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

namespace comport::detail {

// A call that another thread waits for. The waiting thread owns it; the main
// thread moves the body out before running it. The body gets a pointer to the
// call: a body that releases the call early (a reply before processing) sets
// it to null, since the waiter may be gone the moment it is released.
class PendingCall {
 public:
  using Body = std::function<void(PendingCall*& call)>;
  explicit PendingCall(Body body) : body_(std::move(body)) {}

  // Lets the waiting thread go on with `result` or `error`; later calls do nothing.
  void Release(std::intptr_t result, std::exception_ptr error);

  std::intptr_t result() const { return result_; }
  std::exception_ptr error() const { return error_; }

 private:
  friend void RunOnMainThread(PendingCall& call);
  friend bool ServeQueue();
  Body body_;
  std::intptr_t result_ = 0;
  std::exception_ptr error_;
  bool released_ = false;
};

// Enqueues `call`, wakes the main thread and waits until the call is released.
void RunOnMainThread(PendingCall& call);

// Runs the queued calls (main thread); true when there was one.
bool ServeQueue();

// Hands the exception being handled to the toolkit's report (inside a catch).
void ReportCurrentException();

// For TThread::WaitFor on the main thread: the lock and the condition that
// queued calls and finishing threads notify.
std::mutex& QueueMutex();
std::condition_variable& QueueChanged();
bool QueueEmptyLocked();

}  // namespace comport::detail
