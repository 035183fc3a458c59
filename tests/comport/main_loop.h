// A plain loop for tests: serve the calling thread's call queue (the main
// thread's, or an opening thread's) until a condition holds or a generous
// deadline passes.
#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/main_thread.h"
#include "runtime/toolkit.h"

namespace comport {

inline bool RunLoopUntil(const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    runtime::ProcessThreadCalls(std::chrono::milliseconds(5));
  }
  return true;
}

// Serves the queue for `span` whatever happens.
inline void RunLoopFor(std::chrono::milliseconds span) {
  RunLoopUntil([] { return false; }, span);
}

// Exception reports, from any thread.
class ReportingToolkit : public runtime::Toolkit {
 public:
  void HandleException(const std::exception& error) override {
    std::lock_guard lock(mutex_);
    reports_.push_back(error.what());
  }
  std::vector<std::string> Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    reports_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> reports_;
};

// Handler calls as short names with the thread they ran on, from any thread.
class EventLog {
 public:
  void Add(std::string entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
    threads_.push_back(std::this_thread::get_id());
  }
  std::vector<std::string> Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
  }
  std::vector<std::thread::id> Threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  std::size_t Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
  std::vector<std::thread::id> threads_;
};

}  // namespace comport
