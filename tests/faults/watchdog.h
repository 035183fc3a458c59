// Ends the test program when a step overruns its bound, so a hung poll fails
// its test instead of blocking the whole run. A blocked thread cannot be
// cancelled, hence abort rather than a test failure.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace faults {

class Watchdog {
 public:
  Watchdog(std::string what, std::chrono::milliseconds bound)
      : what_(std::move(what)), thread_([this, bound] { Watch(bound); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_changed_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  void Watch(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    if (done_changed_.wait_for(lock, bound, [this] { return done_; })) return;
    std::fprintf(stderr, "hang: %s took longer than %lld ms\n", what_.c_str(),
                 static_cast<long long>(bound.count()));
    std::abort();
  }

  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace faults
