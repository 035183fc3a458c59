// The call queues behind main_thread.h, shared with the event receiver and the
// thread class: one queue per thread that receives calls. One mutex guards
// every queue and every waiter's state.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace runtime::detail {

// A call that another thread waits for. The waiting thread owns it; the
// serving thread moves the body out before running it. The body gets a
// pointer to the call: a body that releases the call early (a reply before
// processing) sets it to null, since the waiter may be gone the moment it is
// released.
class PendingCall {
 public:
  using Body = std::function<void(PendingCall*& call)>;
  explicit PendingCall(Body body) : body_(std::move(body)) {}

  // Lets the waiting thread go on with `result` or `error`; later calls do nothing.
  void Release(std::intptr_t result, std::exception_ptr error);

  std::intptr_t result() const { return result_; }
  std::exception_ptr error() const { return error_; }

 private:
  friend class CallQueue;
  Body body_;
  std::intptr_t result_ = 0;
  std::exception_ptr error_;
  bool released_ = false;
};

// The calls waiting for one thread, served only by that thread. Shared: a
// receiver keeps its thread's queue, so a late send never reaches freed memory.
class CallQueue {
 public:
  // Enqueues `call`, wakes the serving thread and waits until the call is released.
  void Run(PendingCall& call);
  // Runs the queued calls (the owning thread); true when there was one.
  bool Serve();
  // With QueueMutex() held.
  bool EmptyLocked() const { return calls_.empty(); }

 private:
  std::deque<PendingCall*> calls_;
};

// The calling thread's queue, made on first use. The main thread's is the one
// Synchronize fills.
std::shared_ptr<CallQueue> ThisThreadQueue();

// For waits that serve a queue (ProcessThreadCalls, TThread::WaitFor): the
// lock and the condition that queued calls and finishing threads notify.
std::mutex& QueueMutex();
std::condition_variable& QueueChanged();

}  // namespace runtime::detail
