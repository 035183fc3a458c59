// The I/O thread of a CommDevice: waits in ppoll() on the descriptor and the
// wake-up eventfd until the earliest deadline, then advances the transfers.
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "linux/comm_device.h"

namespace platform::linux_backend {
namespace {

// Modem lines, error counters and the output queue have no readiness that
// poll() reports, so they are sampled this often, and only while a wait for
// their events pends (TIOCMIWAIT would block where nothing can wake it).
constexpr std::uint64_t kLineStatePeriodMs = 10;

// How long a transfer started while nobody serves is left to its starter (see
// comm_device.h): far more than a starter takes from its start to its wait,
// and short against any time-out a port is given.
constexpr long kLookDelayNs = 1'000'000;

constexpr DWORD kModemEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
constexpr DWORD kCounterEvents = EV_ERR | EV_BREAK;

}  // namespace

void CommDevice::Wake() {
  const std::uint64_t one = 1;
  // A full counter already means "wake up"; nothing else can fail here.
  [[maybe_unused]] const ssize_t n = ::write(wake_fd_, &one, sizeof one);
}

void CommDevice::LookSoon() {
  if (look_armed_) return;
  const itimerspec once{{0, 0}, {0, kLookDelayNs}};
  // Only a bad descriptor or value could fail here; then the look comes now.
  if (::timerfd_settime(look_timer_fd_, 0, &once, nullptr) != 0) {
    Wake();
    return;
  }
  look_armed_ = true;
}

void CommDevice::CallOffLook() {
  if (!look_armed_) return;
  const itimerspec off{};
  ::timerfd_settime(look_timer_fd_, 0, &off, nullptr);
  look_armed_ = false;
}

void CommDevice::WakeWatchers(bool served) {
  Wake();
  if (!served) return;
  const std::uint64_t one = 1;
  // A server that left meanwhile finds the count at its next wait: one
  // extra look, nothing lost.
  [[maybe_unused]] const ssize_t n = ::write(serve_wake_fd_, &one, sizeof one);
}

bool CommDevice::LineStateWatched() const {
  if (!wait_) return false;
  return ((mask_ & kModemEvents) != 0 && has_modem_lines_) ||
         ((mask_ & kCounterEvents) != 0 && has_counters_) ||
         ((mask_ & EV_TXEMPTY) != 0 && tx_armed_);
}

void CommDevice::PollLineState() {
  if ((mask_ & kModemEvents) != 0 && has_modem_lines_) {
    DWORD status = 0;
    if (GetModemStatus(fd_, &status) != 0) {
      HangUp();  // a USB adapter that was pulled
      return;
    }
    const DWORD changed = status ^ modem_seen_;
    modem_seen_ = status;
    RaiseEvents(((changed & MS_CTS_ON) != 0 ? EV_CTS : 0) |
                ((changed & MS_DSR_ON) != 0 ? EV_DSR : 0) |
                ((changed & MS_RLSD_ON) != 0 ? EV_RLSD : 0) |
                ((changed & status & MS_RING_ON) != 0 ? EV_RING : 0));
  }
  if ((mask_ & kCounterEvents) != 0 && has_counters_) {
    LineCounters now;
    if (GetLineCounters(fd_, &now) != 0) {
      HangUp();
      return;
    }
    const DWORD word = ErrorWordBetween(counters_for_events_, now);
    counters_for_events_ = now;
    RaiseEvents(((word & CE_BREAK) != 0 ? EV_BREAK : 0) |
                ((word & (CE_FRAME | CE_OVERRUN | CE_RXPARITY)) != 0 ? EV_ERR : 0));
  }
  DWORD queued = 0;
  if (tx_armed_ && writes_.empty() && OutputQueueBytes(fd_, &queued) == 0 && queued == 0) {
    tx_armed_ = false;
    RaiseEvents(EV_TXEMPTY);
  }
}

int CommDevice::IoThreadWatch() const {
  // The descriptor is watched only while something waits on it: a hung-up
  // device reports POLLHUP for ever and would make this loop spin.
  if (hung_up_ || (reads_.empty() && writes_.empty() && !wait_)) return -1;
  // Input for reads and room for writes are left to a thread that serves
  // them (it hands them back when it leaves); the transfers' time-outs stay
  // here.
  const std::size_t input_wanted = serving_ ? InputWantedByWait() : InputWanted();
  const int events = (input_wanted > 0 ? POLLIN : 0) | (write_blocked_ && !serving_ ? POLLOUT : 0);
  // A serving thread also watches for the hang-up. Polled for nothing, a
  // terminal would still wake this thread at each change of its queues, beside
  // the serving thread, for every byte of a reply.
  if (events == 0 && serving_) return -1;
  return events;
}

Deadline CommDevice::NextDeadline() const {
  Deadline next = next_tick_;
  if (!reads_.empty()) next = Earlier(next, Earlier(reads_.front().total, reads_.front().gap));
  if (!writes_.empty()) {
    // The looks at the output queue are a serving thread's while there is one.
    next = Earlier(next, serving_ ? writes_.front().total
                                  : Earlier(writes_.front().total, writes_.front().drain_check));
  }
  return next;
}

void CommDevice::RunIoLoop() {
  std::unique_lock lock(mutex_);
  while (!closing_) {
    const auto now = Clock::now();
    if (LineStateWatched()) {
      if (next_tick_.IsNever() || next_tick_.Expired(now)) {
        if (!next_tick_.IsNever()) PollLineState();
        next_tick_ = Deadline::AfterMs(kLineStatePeriodMs, now);
      }
    } else {
      next_tick_ = Deadline::Never();
    }
    Pump(now);

    pollfd fds[3] = {{wake_fd_, POLLIN, 0}, {look_timer_fd_, POLLIN, 0}, {-1, 0, 0}};
    io_watch_ = IoThreadWatch();
    if (io_watch_ >= 0) {
      fds[2].fd = fd_;
      fds[2].events = static_cast<short>(io_watch_);
    }
    const Deadline deadline = NextDeadline();
    lock.unlock();
    const auto after = Clock::now();
    timespec left = deadline.RemainingTimespec(after);
    const int ready = ::ppoll(fds, 3, deadline.IsNever() ? nullptr : &left, nullptr);
    // Both counters are read to zero, so that they wake the next poll only anew.
    for (int i = 0; i < 2 && ready > 0; ++i) {
      if ((fds[i].revents & POLLIN) == 0) continue;
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = ::read(fds[i].fd, &count, sizeof count);
    }
    lock.lock();
    if (ready > 0 && (fds[1].revents & POLLIN) != 0) look_armed_ = false;
    if (ready > 0) TakeReadiness(fds[2].revents);
  }
}

}  // namespace platform::linux_backend
