// The toolkit's thread class as the component uses it: created suspended,
// given a priority, started, and waited for. Waiting keeps serving the waiting
// thread's call queue (main_thread.h: Synchronize calls on the main thread,
// sent messages on any), so a thread that is delivering to the waiting thread
// can finish while it is waited for.
//
// Thread rule: create, start, wait for and destroy on one thread (the owner).
#pragma once

#include <atomic>
#include <thread>

#include "runtime/toolkit.h"

namespace runtime {

class TThread {
 public:
  TThread() = default;
  // Waits for a started thread. A derived class whose Execute uses its own
  // members must make the thread stop and WaitFor in its own destructor.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Before Start. A hint to the scheduler: a raise that the process may not
  // make (an unprivileged user on Linux) leaves the thread at normal priority.
  void SetPriority(TThreadPriority priority) { priority_ = priority; }
  TThreadPriority Priority() const { return priority_; }
  void Start();
  // Returns when Execute has returned; at once when never started.
  void WaitFor();
  bool Finished() const { return finished_.load(std::memory_order_acquire); }

 protected:
  // The thread body. An exception escaping it goes to the toolkit's report.
  virtual void Execute() = 0;

 private:
  void Run();

  TThreadPriority priority_ = tpNormal;
  std::thread thread_;
  std::atomic<bool> finished_{false};
};

}  // namespace runtime
