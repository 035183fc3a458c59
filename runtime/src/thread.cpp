#include "runtime/thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <array>

#include "main_thread_queue.h"

namespace comport {
namespace {

// Linux schedules ordinary threads by their nice value.
constexpr std::array<int, 7> kNiceOf{19, 10, 5, 0, -5, -10, -20};

}  // namespace

TThread::~TThread() { WaitFor(); }

void TThread::Start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  if (priority_ != tpNormal) {
    // Best effort: raising needs a privilege the operator rarely has.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceOf[priority_]);
  }
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

}  // namespace comport
