// A window timer with the switch semantics the handlers rely on: switching it on starts the
// interval from that moment, setting the switch to the value it has changes nothing. Its
// handler does not re-enter itself: a tick that comes while the handler of an earlier tick
// still runs (a modal box is open) is dropped, so boxes do not pile up.
// Window thread only.
#pragma once

#include <QTimer>
#include <functional>

namespace window {

class TTimer {
 public:
  TTimer(int interval_ms, std::function<void()> on_timer);

  bool Enabled() const { return timer_.isActive(); }
  void SetEnabled(bool enabled);
  int Interval() const { return timer_.interval(); }
  // Meant for a stopped timer (Qt restarts a running one on a changed interval).
  void SetInterval(int interval_ms) { timer_.setInterval(interval_ms); }

  // Runs the handler as a tick would (tests drive timers this way instead of waiting).
  void Fire();

 private:
  QTimer timer_;
  std::function<void()> on_timer_;
  bool running_ = false;
};

}  // namespace window
