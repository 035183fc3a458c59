#include "comport/main_thread.h"

#include <deque>
#include <stdexcept>
#include <thread>

#include "comport/toolkit.h"
#include "main_thread_queue.h"

namespace comport {
namespace detail {
namespace {

// Static initialisation runs on the thread that starts the process.
const std::thread::id g_main_thread = std::this_thread::get_id();

std::mutex g_mutex;
std::condition_variable g_changed;   // calls queued, threads finished
std::condition_variable g_released;  // calls released
std::deque<PendingCall*> g_queue;

}  // namespace

void ReportCurrentException() {
  try {
    throw;
  } catch (const std::exception& error) {
    CurrentToolkit().HandleException(error);
  } catch (...) {
    CurrentToolkit().HandleException(std::runtime_error("Unknown exception"));
  }
}

std::mutex& QueueMutex() { return g_mutex; }
std::condition_variable& QueueChanged() { return g_changed; }
bool QueueEmptyLocked() { return g_queue.empty(); }

void PendingCall::Release(std::intptr_t result, std::exception_ptr error) {
  std::lock_guard lock(g_mutex);
  if (released_) return;
  result_ = result;
  error_ = std::move(error);
  released_ = true;
  g_released.notify_all();
}

void RunOnMainThread(PendingCall& call) {
  {
    std::lock_guard lock(g_mutex);
    g_queue.push_back(&call);
    g_changed.notify_all();
  }
  CurrentToolkit().WakeMainThread();
  std::unique_lock lock(g_mutex);
  g_released.wait(lock, [&] { return call.released_; });
}

bool ServeQueue() {
  bool any = false;
  for (;;) {
    PendingCall* call = nullptr;
    PendingCall::Body body;
    {
      std::lock_guard lock(g_mutex);
      if (g_queue.empty()) return any;
      call = g_queue.front();
      g_queue.pop_front();
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
  detail::RunOnMainThread(call);
  if (call.error()) std::rethrow_exception(call.error());
}

bool CheckSynchronize() { return detail::ServeQueue(); }

bool ProcessMainThreadCalls(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(detail::g_mutex);
    detail::g_changed.wait_for(lock, timeout, [] { return !detail::g_queue.empty(); });
  }
  return CheckSynchronize();
}

}  // namespace comport
