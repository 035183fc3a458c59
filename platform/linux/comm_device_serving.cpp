// A transfer served on the thread that waits for its event (see comm_device.h).
#include <poll.h>
#include <unistd.h>

#include <cstdint>

#include "linux/comm_device.h"

namespace platform::linux_backend {

std::optional<bool> CommDevice::ServeUntilSet(WinEvent& event, Deadline deadline) {
  std::unique_lock lock(mutex_);
  if (closing_ || serving_ || !TransferPendingWith(event)) return std::nullopt;
  serving_ = true;
  // The transfers are this thread's now: the I/O thread need not look.
  CallOffLook();
  // The I/O thread may already poll the descriptor for what this thread now
  // serves (it looked between the start of the transfer and this wait): it
  // looks again now, while the line is quiet, rather than be woken beside this
  // thread by the bytes of the reply.
  if (io_watch_ >= 0 && io_watch_ != IoThreadWatch()) Wake();
  std::optional<bool> outcome;
  {
    // Every Set of the event wakes this thread from its poll: the transfer's end,
    // whichever thread ends it (its time-out on the I/O thread, an abort, a
    // hang-up, the close), and a SetEvent from elsewhere.
    const WinEvent::Watch watch(event, serve_wake_fd_);
    for (;;) {
      if (closing_) break;
      const auto now = Clock::now();
      // The same steps as the I/O thread's, under the same lock.
      Pump(now);
      if (event.TakeSignal()) {
        outcome = true;
        break;
      }
      if (deadline.Expired(now)) {
        outcome = false;
        break;
      }
      // Its transfer ended, but the event was reset since: nothing left to serve.
      if (!TransferPendingWith(event)) break;
      // Every pending transfer, not only this thread's: the I/O thread leaves
      // them to it, and each start or purge wakes it to look again.
      const short wanted =
          static_cast<short>((InputWanted() > 0 ? POLLIN : 0) | (write_blocked_ ? POLLOUT : 0));
      pollfd fds[2] = {{serve_wake_fd_, POLLIN, 0}, {fd_, wanted, 0}};
      const Deadline until = Earlier(deadline, NextTransferDeadline());
      // Both descriptors stay open while this thread is out of the lock:
      // Close() waits for `serving_` to clear.
      lock.unlock();
      const timespec left = until.RemainingTimespec();
      const int ready = ::ppoll(fds, 2, until.IsNever() ? nullptr : &left, nullptr);
      if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(serve_wake_fd_, &count, sizeof count);
      }
      lock.lock();
      if (ready > 0) TakeReadiness(fds[1].revents);
    }
  }
  serving_ = false;
  // Transfers still pending are the I/O thread's to watch again.
  if ((!reads_.empty() || !writes_.empty()) && !closing_) Wake();
  server_left_.notify_all();
  return outcome;
}

}  // namespace platform::linux_backend
