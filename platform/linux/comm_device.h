// One open serial device: its descriptor, its I/O thread and the overlapped
// transfers outstanding on it.
//
// Reads form a FIFO of which only the head is active (its time-outs start
// when it becomes head); so do writes; at most one WaitCommEvent pends. Any
// thread may start, await or abort transfers. All device state, the
// descriptor and every caller buffer are touched only under `mutex_`, by the
// calling thread (transfers that can complete at once do so in the call) or
// by the I/O thread, which polls the descriptor and an eventfd up to the
// earliest deadline (so what it saw may be gone once it holds the lock
// again); the descriptors are closed without it, once every call finds the
// device closing. So once Purge() or Close() returned, no aborted transfer
// touches its buffer or OVERLAPPED again.
//
// A thread that waits for the event of a pending transfer serves the device
// itself (ServeUntilSet) rather than sleeping until the I/O thread has taken
// the input, or seen the output drain, and woken it: the same steps under the
// same lock, one wake-up fewer on the way of a reply. It serves every pending
// transfer, not only its own, so each start, purge and close wakes it too
// (WakeWatchers) and it polls for what is pending then. A transfer started
// while nobody serves is left to its starter for kLookDelay, which is how long
// the I/O thread's look at it is put off (LookSoon): a starter that waits at
// once serves it and calls the look off, so a poll's reply wakes no thread but
// the one that waits for it. A transfer that nobody waits for is the I/O
// thread's after that delay and still ends on time. A starter that says it
// waits at once (ReadFileAndWait) is taken at its word: no look is prepared,
// which spares a timer armed and disarmed for every transfer.
//
// Every method returns ERROR_SUCCESS or a Win32 code.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "linux/device_open.h"
#include "linux/serial_ioctls.h"
#include "linux/win_event.h"
#include "platform/comm_api.h"
#include "platform/deadline.h"
#include "posix/input_decoder.h"

namespace platform::linux_backend {

class CommDevice final : public EventServer, public std::enable_shared_from_this<CommDevice> {
 public:
  // Opens `path` (see device_open.h); null and the failure in *error.
  static std::shared_ptr<CommDevice> Open(const std::string& path, OpenError* error);
  ~CommDevice();
  CommDevice(const CommDevice&) = delete;
  CommDevice& operator=(const CommDevice&) = delete;

  // Ends every pending transfer with 995, stops the I/O thread and closes
  // the descriptor. Later calls fail with ERROR_INVALID_HANDLE. False when
  // another call closes it (it may still be at it).
  bool Close();

  DWORD Setup(DWORD in_queue, DWORD out_queue);
  DWORD SetState(const DCB& dcb);
  DWORD GetState(DCB* dcb);
  DWORD SetTimeouts(const COMMTIMEOUTS& timeouts);
  DWORD GetTimeouts(COMMTIMEOUTS* timeouts);

  // Start a transfer. ERROR_SUCCESS: it ended at once (OVERLAPPED filled,
  // event set, *done the count); ERROR_IO_PENDING: it runs; any other code:
  // nothing was started, or it failed at once (then OVERLAPPED is filled too).
  // With `waited_at_once` the starter waits for `event` next, whatever came of
  // the start.
  DWORD StartRead(void* buffer, DWORD count, OVERLAPPED* ov, std::shared_ptr<WinEvent> event,
                  DWORD* done, bool waited_at_once = false);
  DWORD StartWrite(const void* buffer, DWORD count, OVERLAPPED* ov, std::shared_ptr<WinEvent> event,
                   DWORD* done, bool waited_at_once = false);
  DWORD StartWaitEvent(DWORD* mask, OVERLAPPED* ov, std::shared_ptr<WinEvent> event);

  // ERROR_IO_INCOMPLETE while `ov` is pending and !wait; otherwise (after
  // waiting for the end with `wait`) the transfer's own status and count.
  DWORD Result(OVERLAPPED* ov, DWORD* transferred, bool wait);

  // Waits for the event of a transfer pending here by polling the descriptor
  // on the calling thread (see EventServer); one such thread at a time.
  std::optional<bool> ServeUntilSet(WinEvent& event, Deadline deadline) override;

  DWORD Purge(DWORD flags);
  DWORD ClearErrors(DWORD* errors, COMSTAT* stat);
  DWORD ModemStatus(DWORD* status);
  DWORD SetMask(DWORD mask);

 private:
  struct Transfer {
    OVERLAPPED* ov = nullptr;
    std::shared_ptr<WinEvent> event;
    unsigned char* in = nullptr;         // read destination
    const unsigned char* out = nullptr;  // write source
    DWORD count = 0;
    DWORD done = 0;
    bool active = false;
    bool immediate = false;
    bool first_byte_ends = false;
    Deadline total = Deadline::Never();
    Deadline gap = Deadline::Never();
    DWORD gap_ms = 0;
    Deadline drain_check = Deadline::Never();  // a write's next look at the output queue
  };
  struct EventWait {
    OVERLAPPED* ov = nullptr;
    std::shared_ptr<WinEvent> event;
    DWORD* mask = nullptr;
  };
  using Clock = Deadline::Clock;

  CommDevice(const OpenedDevice& opened, int wake_fd, int serve_wake_fd, int look_timer_fd);

  // Transfers (comm_device_transfers.cpp).
  DWORD StartTransfer(std::deque<Transfer>* queue, Transfer transfer, DWORD* done,
                      bool waited_at_once);
  // Advances the transfers and the wait with the input already taken: new
  // input is taken only by a start and on the descriptor's readiness, since a
  // poll for it reports what is there, and a read on every wake-up would mostly
  // find nothing.
  void Pump(Clock::time_point now);
  // Reads what the pending transfers and waits want and the kernel has.
  void FillInput();
  void ServeReads(Clock::time_point now);
  void ServeWrites(Clock::time_point now);
  // Drops what the kernel still has to send; returns how many bytes that was.
  DWORD DropUnsentOutput();
  void ServeWait();
  void RaiseEvents(DWORD events);
  void Complete(Transfer* transfer, DWORD status);
  void CompleteWait(DWORD status, DWORD mask);
  void FailAll(DWORD status);
  void HangUp();
  // Takes what poll() reported on the descriptor: input, then a hang-up.
  void TakeReadiness(short revents);
  bool IsPending(const OVERLAPPED* ov) const;
  bool TransferPendingWith(const WinEvent& event) const;
  // Bytes to take from the kernel for the pending reads, and for a pending
  // wait for input events.
  std::size_t InputWantedByReads() const;
  std::size_t InputWantedByWait() const;
  std::size_t InputWanted() const;
  // When the head read or write must next be looked at.
  Deadline NextTransferDeadline() const;

  // I/O thread (comm_device_loop.cpp).
  void RunIoLoop();
  void Wake();  // the eventfd is open while the device lives
  // Has the I/O thread look at the transfers after kLookDelay, unless a
  // serving thread calls the look off first (CallOffLook). Under the lock.
  void LookSoon();
  void CallOffLook();
  // Wakes the I/O thread and, when `served` (serving_ as last seen under the
  // lock), the serving thread: what they poll for has changed. A transfer
  // started while nobody serves wakes no one else.
  void WakeWatchers(bool served);
  // What the I/O thread polls the descriptor for; -1 when it leaves it alone.
  int IoThreadWatch() const;
  bool LineStateWatched() const;
  void PollLineState();
  Deadline NextDeadline() const;

  const OpenedDevice opened_;
  const int fd_;
  const int wake_fd_;
  const int serve_wake_fd_;  // wakes the thread serving a transfer (an eventfd)
  const int look_timer_fd_;  // LookSoon's timer, which the I/O thread polls (a timerfd)
  const bool has_modem_lines_;
  const bool has_counters_;
  std::thread io_thread_;

  std::mutex mutex_;
  std::condition_variable ended_;  // some transfer ended
  std::condition_variable server_left_;
  bool closing_ = false;
  bool serving_ = false;  // a waiting thread serves the transfers
  bool look_armed_ = false;  // LookSoon's timer runs
  int io_watch_ = -1;     // IoThreadWatch() as the I/O thread last polled
  bool hung_up_ = false;
  bool write_blocked_ = false;
  DCB dcb_{};
  COMMTIMEOUTS timeouts_{};
  DWORD in_queue_ = 4096;
  DWORD out_queue_ = 4096;
  posix::InputDecoder decoder_;
  std::deque<unsigned char> input_;  // received, decoded, not yet read
  std::deque<Transfer> reads_;
  std::deque<Transfer> writes_;
  std::optional<EventWait> wait_;
  DWORD mask_ = 0;
  DWORD history_ = 0;      // events seen since the last wait ended
  bool tx_armed_ = false;  // a write ended; EV_TXEMPTY once the queue drains
  // No write pends and the kernel's output queue is empty: seen so, and no write started since.
  bool output_known_empty_ = false;
  DWORD modem_seen_ = 0;
  LineCounters counters_for_events_;
  LineCounters counters_for_clear_;
  Deadline next_tick_ = Deadline::Never();
};

}  // namespace platform::linux_backend
