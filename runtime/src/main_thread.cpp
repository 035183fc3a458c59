#include "runtime/main_thread.h"

#include <thread>

#include "main_thread_queue.h"
#include "runtime/toolkit.h"

namespace runtime {
namespace detail {
namespace {

// Static initialisation runs on the thread that starts the process.
const std::thread::id g_main_thread = std::this_thread::get_id();
const std::shared_ptr<CallQueue> g_main_queue = std::make_shared<CallQueue>();

std::mutex g_mutex;
std::condition_variable g_changed;   // calls queued, threads finished
std::condition_variable g_released;  // calls released

}  // namespace

std::mutex& QueueMutex() { return g_mutex; }
std::condition_variable& QueueChanged() { return g_changed; }

std::shared_ptr<CallQueue> ThisThreadQueue() {
  if (IsMainThread()) return g_main_queue;
  thread_local const std::shared_ptr<CallQueue> own = std::make_shared<CallQueue>();
  return own;
}

void PendingCall::Release(std::intptr_t result, std::exception_ptr error) {
  std::lock_guard lock(g_mutex);
  if (released_) return;
  result_ = result;
  error_ = std::move(error);
  released_ = true;
  g_released.notify_all();
}

void CallQueue::Run(PendingCall& call) {
  {
    std::lock_guard lock(g_mutex);
    calls_.push_back(&call);
    g_changed.notify_all();
  }
  // The component's own waits notice the call by themselves; only the main
  // thread may be inside a toolkit's loop that must be told.
  if (this == g_main_queue.get()) CurrentToolkit().WakeMainThread();
  std::unique_lock lock(g_mutex);
  g_released.wait(lock, [&] { return call.released_; });
}

bool CallQueue::Serve() {
  bool any = false;
  for (;;) {
    PendingCall* call = nullptr;
    PendingCall::Body body;
    {
      std::lock_guard lock(g_mutex);
      if (calls_.empty()) return any;
      call = calls_.front();
      calls_.pop_front();
      body = std::move(call->body_);
    }
    any = true;
    std::exception_ptr error;
    try {
      body(call);
    } catch (...) {
      // After an early release nobody waits for the outcome any more.
      if (call == nullptr) {
        ReportCurrentException();
        continue;
      }
      error = std::current_exception();
    }
    // Released only once this thread has left the handler: the waiting thread then holds
    // the exception's last reference and frees it itself, so the object never dies on one
    // thread while another still reads it.
    if (call != nullptr) call->Release(0, std::move(error));
  }
}

}  // namespace detail

bool IsMainThread() { return std::this_thread::get_id() == detail::g_main_thread; }

void Synchronize(const std::function<void()>& routine) {
  if (IsMainThread()) {
    routine();
    return;
  }
  detail::PendingCall call([&routine](detail::PendingCall*&) { routine(); });
  detail::g_main_queue->Run(call);
  if (call.error()) std::rethrow_exception(call.error());
}

bool CheckSynchronize() { return detail::ThisThreadQueue()->Serve(); }

bool ProcessThreadCalls(std::chrono::milliseconds timeout) {
  const std::shared_ptr<detail::CallQueue> own = detail::ThisThreadQueue();
  {
    std::unique_lock lock(detail::g_mutex);
    detail::g_changed.wait_for(lock, timeout, [&] { return !own->EmptyLocked(); });
  }
  return own->Serve();
}

}  // namespace runtime
