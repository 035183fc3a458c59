#include "window/toolkit/timer.h"

#include <utility>

namespace window {

TTimer::TTimer(int interval_ms, std::function<void()> on_timer) : on_timer_(std::move(on_timer)) {
  timer_.setInterval(interval_ms);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == timer_.isActive()) return;
  if (enabled) {
    timer_.start();
  } else {
    timer_.stop();
  }
}

void TTimer::Fire() {
  if (running_) return;
  running_ = true;
  struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
  } clear{running_};
  on_timer_();
}

}  // namespace window
