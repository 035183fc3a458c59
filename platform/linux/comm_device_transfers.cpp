// Starting, advancing and ending transfers; under CommDevice::mutex_, or in
// Close() once nothing else touches the device.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "linux/comm_device.h"
#include "platform/win_errors.h"
#include "posix/read_timing.h"

namespace platform::linux_backend {
namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr DWORD kInputEvents = EV_RXCHAR | EV_RXFLAG | EV_RX80FULL;

}  // namespace

DWORD CommDevice::StartRead(void* buffer, DWORD count, OVERLAPPED* ov,
                            std::shared_ptr<WinEvent> event, DWORD* done, bool waited_at_once) {
  // A thread that waits for this event alone may serve the read itself.
  if (event) event->SetServer(weak_from_this());
  Transfer read;
  read.ov = ov;
  read.event = std::move(event);
  read.in = static_cast<unsigned char*>(buffer);
  read.count = count;
  return StartTransfer(&reads_, std::move(read), done, waited_at_once);
}

DWORD CommDevice::StartWrite(const void* buffer, DWORD count, OVERLAPPED* ov,
                             std::shared_ptr<WinEvent> event, DWORD* done, bool waited_at_once) {
  // A thread that waits for this event alone may serve the write itself,
  // down to the drain of the output queue.
  if (event) event->SetServer(weak_from_this());
  Transfer write;
  write.ov = ov;
  write.event = std::move(event);
  write.out = static_cast<const unsigned char*>(buffer);
  write.count = count;
  return StartTransfer(&writes_, std::move(write), done, waited_at_once);
}

DWORD CommDevice::StartTransfer(std::deque<Transfer>* queue, Transfer transfer, DWORD* done,
                                bool waited_at_once) {
  *done = 0;
  if (transfer.event) transfer.event->Reset();
  OVERLAPPED* ov = transfer.ov;
  bool served = false;
  {
    std::lock_guard lock(mutex_);
    if (closing_) return ERROR_INVALID_HANDLE;
    if (hung_up_) return ERROR_GEN_FAILURE;
    ov->Internal = ERROR_IO_PENDING;
    ov->InternalHigh = 0;
    if (queue == &writes_) output_known_empty_ = false;
    queue->push_back(std::move(transfer));
    FillInput();  // what came before the start can end it at once
    Pump(Clock::now());
    if (!IsPending(ov)) {
      *done = static_cast<DWORD>(ov->InternalHigh);
      return static_cast<DWORD>(ov->Internal);
    }
    served = serving_;
    // Nobody serves: the starter is likely to wait for it at once and serve it
    // (comm_device.h); the I/O thread looks only if it has not by then. One
    // that said it waits at once serves it when it waits, or finds another
    // thread serving it then.
    if (!served && !waited_at_once) LookSoon();
  }
  // A thread serving another transfer polls for this one too; it is woken
  // after the lock is left, else it could run at once only to sleep on the
  // lock and be woken again. The I/O thread learns of the transfer and its
  // time-out from the serving thread when that leaves. The eventfds stay open
  // while the caller holds the device.
  if (served) WakeWatchers(served);
  return ERROR_IO_PENDING;
}

DWORD CommDevice::StartWaitEvent(DWORD* mask, OVERLAPPED* ov, std::shared_ptr<WinEvent> event) {
  {
    std::lock_guard lock(mutex_);
    if (closing_) return ERROR_INVALID_HANDLE;
    if (wait_ || mask_ == 0) return ERROR_INVALID_PARAMETER;
    if (hung_up_) return ERROR_GEN_FAILURE;
    if (event) event->Reset();
    ov->Internal = ERROR_IO_PENDING;
    ov->InternalHigh = 0;
    *mask = 0;
    wait_ = EventWait{ov, std::move(event), mask};
    FillInput();
    Pump(Clock::now());
    if (!wait_) return static_cast<DWORD>(ov->Internal);
    WakeWatchers(serving_);
  }
  return ERROR_IO_PENDING;
}

DWORD CommDevice::Result(OVERLAPPED* ov, DWORD* transferred, bool wait) {
  std::unique_lock lock(mutex_);
  while (IsPending(ov)) {
    if (!wait) return ERROR_IO_INCOMPLETE;
    ended_.wait(lock);
  }
  *transferred = static_cast<DWORD>(ov->InternalHigh);
  return static_cast<DWORD>(ov->Internal);
}

bool CommDevice::IsPending(const OVERLAPPED* ov) const {
  const auto owns = [ov](const Transfer& t) { return t.ov == ov; };
  return std::any_of(reads_.begin(), reads_.end(), owns) ||
         std::any_of(writes_.begin(), writes_.end(), owns) || (wait_ && wait_->ov == ov);
}

void CommDevice::Pump(Clock::time_point now) {
  ServeReads(now);  // bytes that came before a hang-up are still handed over
  if (!hung_up_) ServeWrites(now);
  if (hung_up_) {
    FailAll(ERROR_GEN_FAILURE);
    return;
  }
  ServeWait();
}

bool CommDevice::TransferPendingWith(const WinEvent& event) const {
  const auto sets = [&event](const Transfer& t) { return t.event.get() == &event; };
  return std::any_of(reads_.begin(), reads_.end(), sets) ||
         std::any_of(writes_.begin(), writes_.end(), sets);
}

std::size_t CommDevice::InputWantedByReads() const {
  if (reads_.empty()) return 0;
  const Transfer& head = reads_.front();
  const std::size_t missing = head.count - head.done;
  return missing > input_.size() ? missing - input_.size() : 0;
}

std::size_t CommDevice::InputWantedByWait() const {
  // A pending wait for input events drains the kernel into the layer's queue
  // (up to the SetupComm input size) so that it sees each byte arrive.
  if (!wait_ || (mask_ & kInputEvents) == 0 || input_.size() >= in_queue_) return 0;
  return in_queue_ - input_.size();
}

std::size_t CommDevice::InputWanted() const {
  return std::max(InputWantedByReads(), InputWantedByWait());
}

Deadline CommDevice::NextTransferDeadline() const {
  Deadline next = Deadline::Never();
  if (!reads_.empty()) next = Earlier(reads_.front().total, reads_.front().gap);
  if (!writes_.empty()) {
    next = Earlier(next, Earlier(writes_.front().total, writes_.front().drain_check));
  }
  return next;
}

void CommDevice::FillInput() {
  unsigned char chunk[kReadChunk];
  for (std::size_t wanted = InputWanted(); wanted > 0; wanted = InputWanted()) {
    const ssize_t n = ::read(fd_, chunk, std::min(wanted, sizeof chunk));
    if (n < 0 && errno == EINTR) continue;
    // With VMIN = VTIME = 0 an empty queue reads as 0 rather than EAGAIN.
    if (n == 0 || (n < 0 && errno == EAGAIN)) return;
    if (n < 0) {  // EIO: the device went away
      HangUp();
      return;
    }
    const std::size_t before = input_.size();
    const auto raw_size = static_cast<std::size_t>(n);
    if (decoder_.Decode(chunk, raw_size, &input_) == 0) continue;
    DWORD events = EV_RXCHAR;
    if (std::find(input_.begin() + static_cast<std::ptrdiff_t>(before), input_.end(),
                  static_cast<unsigned char>(dcb_.EvtChar)) != input_.end()) {
      events |= EV_RXFLAG;
    }
    const std::size_t threshold = std::size_t{in_queue_} * 8 / 10;
    if (before < threshold && input_.size() >= threshold) events |= EV_RX80FULL;
    RaiseEvents(events);
  }
}

void CommDevice::ServeReads(Clock::time_point now) {
  while (!reads_.empty()) {
    Transfer& read = reads_.front();
    if (!read.active) {
      const posix::ReadPlan plan = posix::PlanRead(timeouts_, read.count, now);
      read.active = true;
      read.immediate = plan.immediate;
      read.first_byte_ends = plan.first_byte_ends;
      read.total = plan.total;
      read.gap_ms = plan.gap_ms;
    }
    const std::size_t n = std::min<std::size_t>(read.count - read.done, input_.size());
    if (n > 0) {
      std::copy_n(input_.begin(), n, read.in + read.done);
      input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
      read.done += static_cast<DWORD>(n);
      if (read.gap_ms != 0) read.gap = Deadline::AfterMs(read.gap_ms, now);
    }
    const bool ended = read.done == read.count || read.immediate ||
                       (read.first_byte_ends && read.done > 0) || read.total.Expired(now) ||
                       read.gap.Expired(now);
    if (!ended) return;
    Complete(&read, ERROR_SUCCESS);  // a time-out is a success with a short count
    reads_.pop_front();
  }
}

void CommDevice::ServeWrites(Clock::time_point now) {
  write_blocked_ = false;
  while (!writes_.empty()) {
    Transfer& write = writes_.front();
    if (!write.active) {
      write.active = true;
      write.total = posix::PlanWrite(timeouts_, write.count, now);
    }
    while (write.done < write.count) {
      const ssize_t n = ::write(fd_, write.out + write.done, write.count - write.done);
      if (n > 0) {
        write.done += static_cast<DWORD>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n == 0 || errno == EAGAIN) {  // no room now
        write_blocked_ = true;
        break;
      } else {  // EIO: the device went away
        HangUp();
        return;
      }
    }
    const bool timed_out = write.total.Expired(now);
    if (write.done < write.count && !timed_out) return;
    // As with Windows' driver, a write ends once its bytes have left the
    // port, not when the kernel took them, so that a purge or a close right
    // after it cannot drop them.
    DWORD unsent = 0;
    if (OutputQueueBytes(fd_, &unsent) != 0) {
      HangUp();
      return;
    }
    if (unsent > 0 && !timed_out) {
      // The output queue has no readiness that poll() reports: it is looked
      // at again when the line can have sent what it holds (a 4 KiB write at
      // 9600 bit/s takes 4.7 s, an 8-byte request 9 ms), and again from what
      // is left then if flow control held the line meanwhile.
      write.drain_check = Deadline::After(posix::NextDrainLook(dcb_, unsent), now);
      return;
    }
    // On its time-out what has not left is not sent at all, nor counted.
    if (unsent > 0) write.done -= std::min(write.done, DropUnsentOutput());
    if (write.done == write.count) tx_armed_ = true;
    write_blocked_ = false;
    Complete(&write, ERROR_SUCCESS);
    writes_.pop_front();
    // Its bytes have left or were dropped above.
    output_known_empty_ = writes_.empty();
  }
  // The output queue may be empty already (a pseudo-terminal has none).
  DWORD queued = 0;
  if (tx_armed_ && (mask_ & EV_TXEMPTY) != 0 && OutputQueueBytes(fd_, &queued) == 0 &&
      queued == 0) {
    tx_armed_ = false;
    RaiseEvents(EV_TXEMPTY);
  }
}

DWORD CommDevice::DropUnsentOutput() {
  // Only bytes of a write that has not ended can be there: an ended one has
  // drained. A pseudo-terminal reports none, and must not be flushed: what
  // it took is already the other end's unread input, which tcflush() drops.
  DWORD unsent = 0;
  if (OutputQueueBytes(fd_, &unsent) != 0 || unsent == 0) return 0;
  ::tcflush(fd_, TCOFLUSH);
  return unsent;
}

void CommDevice::ServeWait() {
  if (!wait_ || (history_ & mask_) == 0) return;
  const DWORD events = history_ & mask_;
  history_ = 0;
  CompleteWait(ERROR_SUCCESS, events);
}

void CommDevice::RaiseEvents(DWORD events) { history_ |= events & mask_; }

void CommDevice::Complete(Transfer* transfer, DWORD status) {
  transfer->ov->Internal = status;
  transfer->ov->InternalHigh = transfer->done;
  if (transfer->event) transfer->event->Set();
  ended_.notify_all();
}

void CommDevice::CompleteWait(DWORD status, DWORD mask) {
  EventWait wait = std::move(*wait_);
  wait_.reset();
  *wait.mask = mask;
  wait.ov->Internal = status;
  wait.ov->InternalHigh = 0;
  if (wait.event) wait.event->Set();
  ended_.notify_all();
}

void CommDevice::FailAll(DWORD status) {
  for (auto* queue : {&reads_, &writes_}) {
    while (!queue->empty()) {
      Complete(&queue->front(), status);
      queue->pop_front();
    }
  }
  if (wait_) CompleteWait(status, 0);
  write_blocked_ = false;
}

void CommDevice::HangUp() { hung_up_ = true; }

void CommDevice::TakeReadiness(short revents) {
  // What came before a hang-up is taken first. Readiness is only a hint:
  // while the lock was free another thread may have read the input (a read,
  // an event wait, an RX clear, or the I/O thread and a serving waiter woken
  // by the same bytes), so finding nothing here means nothing. Only the
  // kernel's own word, or EIO on the way, says the line is gone.
  if ((revents & POLLIN) != 0) FillInput();
  if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) HangUp();
}

}  // namespace platform::linux_backend
