#include "runtime/thread.h"

#include "main_thread_queue.h"
#include "thread_priority.h"

namespace runtime {

TThread::~TThread() { WaitFor(); }

void TThread::Start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  if (priority_ != tpNormal) ApplyToCallingThread(priority_);
  try {
    Execute();
  } catch (...) {
    ReportCurrentException();
  }
  std::lock_guard lock(detail::QueueMutex());
  finished_.store(true, std::memory_order_release);
  detail::QueueChanged().notify_all();
}

void TThread::WaitFor() {
  if (!thread_.joinable()) return;
  // The thread may be waiting for this one right now: a Synchronize call on
  // the main thread, a message to a receiver that this thread created.
  const std::shared_ptr<detail::CallQueue> own = detail::ThisThreadQueue();
  for (;;) {
    own->Serve();
    std::unique_lock lock(detail::QueueMutex());
    detail::QueueChanged().wait(lock, [&] { return Finished() || !own->EmptyLocked(); });
    if (Finished() && own->EmptyLocked()) break;
  }
  thread_.join();
}

}  // namespace runtime
