#include "linux/comm_device.h"

#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "linux/dcb_mapping.h"
#include "linux/device_open.h"
#include "linux/termios2_io.h"
#include "platform/win_errors.h"
#include "posix/read_timing.h"

namespace platform::linux_backend {
namespace {

// Queue sizes SetupComm accepts: a size is a count of bytes the layer may
// buffer, so anything that looks like a negative 32-bit number is a mistake.
constexpr DWORD kMaxQueueSize = 0x7FFFFFFFu;

// Comm event bits that exist (EV_RXCHAR .. EV_EVENT2).
constexpr DWORD kAllEvents = 0x1FFFu;

// Drivers round the rate to what their clock divides to; more than this
// error, in per mille, and the line would not talk to a standard peer.
constexpr std::uint64_t kMaxRateErrorPermille = 30;

// Bits of cflag a real UART must keep as set.
constexpr std::uint32_t kFramingBits = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;

bool RateClose(std::uint32_t asked, std::uint32_t got) {
  const std::uint64_t diff = asked > got ? asked - got : got - asked;
  return diff * 1000 <= std::uint64_t{asked} * kMaxRateErrorPermille;
}

bool CountersReadable(int fd) {
  LineCounters probe;
  return GetLineCounters(fd, &probe) == 0;
}

}  // namespace

std::shared_ptr<CommDevice> CommDevice::Open(const std::string& path, OpenError* error) {
  OpenedDevice opened;
  *error = OpenSerialDevice(path, &opened);
  if (error->code != ERROR_SUCCESS) return nullptr;
  const int wake_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  const int serve_wake_fd = wake_fd < 0 ? -1 : ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  const int look_timer_fd =
      serve_wake_fd < 0 ? -1 : ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  if (look_timer_fd < 0) {
    *error = {Win32ErrorFromErrno(errno), errno};
    for (const int fd : {wake_fd, serve_wake_fd}) {
      if (fd >= 0) ::close(fd);
    }
    CloseSerialDevice(opened);
    return nullptr;
  }
  std::shared_ptr<CommDevice> device(
      new CommDevice(opened, wake_fd, serve_wake_fd, look_timer_fd));
  device->io_thread_ = std::thread([raw = device.get()] { raw->RunIoLoop(); });
  return device;
}

CommDevice::CommDevice(const OpenedDevice& opened, int wake_fd, int serve_wake_fd,
                       int look_timer_fd)
    : opened_(opened),
      fd_(opened.fd),
      wake_fd_(wake_fd),
      serve_wake_fd_(serve_wake_fd),
      look_timer_fd_(look_timer_fd),
      has_modem_lines_(opened.has_modem_lines),
      has_counters_(has_modem_lines_ && CountersReadable(fd_)) {
  // The counters' members are constructed after has_counters_, so they are
  // read here and not in its initialiser, where the read would be undone.
  if (has_counters_) GetLineCounters(fd_, &counters_for_clear_);
  counters_for_events_ = counters_for_clear_;
  LineSettings line;
  if (ReadLineSettings(fd_, &line) == 0) dcb_ = DcbFromLine(line);
  // A fresh Windows handle reads with no time-outs at all.
  timeouts_ = COMMTIMEOUTS{};
}

CommDevice::~CommDevice() {
  Close();
  // The eventfds outlive Close(): a call that holds the device may still wake
  // the I/O thread after it left its lock (see StartTransfer).
  ::close(wake_fd_);
  ::close(serve_wake_fd_);
  ::close(look_timer_fd_);
}

bool CommDevice::Close() {
  {
    std::unique_lock lock(mutex_);
    if (closing_) return false;
    closing_ = true;
    FailAll(ERROR_OPERATION_ABORTED);
    WakeWatchers(serving_);
    // A thread serving a transfer polls the descriptors without the lock;
    // they stay open until it has left (FailAll has set its event, which
    // wakes it).
    server_left_.wait(lock, [this] { return !serving_; });
  }
  if (io_thread_.joinable()) io_thread_.join();
  // Without the lock: the I/O thread has ended, and every call checks
  // `closing_` under the lock before it touches a descriptor. close() waits
  // for the output to drain, on a line held by flow control up to the tty's
  // closing wait (30 s by default): what the aborted writes left unsent is
  // dropped first.
  DropUnsentOutput();
  CloseSerialDevice(opened_);
  return true;
}

DWORD CommDevice::Setup(DWORD in_queue, DWORD out_queue) {
  if (in_queue > kMaxQueueSize || out_queue > kMaxQueueSize) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  // 0 asks for no particular size, as on Windows: the queue keeps the one it has.
  if (in_queue != 0) in_queue_ = in_queue;
  if (out_queue != 0) out_queue_ = out_queue;
  return ERROR_SUCCESS;
}

DWORD CommDevice::SetState(const DCB& dcb) {
  LinePlan plan;
  if (const DWORD code = PlanLineSettings(dcb, &plan); code != ERROR_SUCCESS) return code;
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  if (hung_up_) return ERROR_GEN_FAILURE;

  LineSettings previous;
  if (const int err = ReadLineSettings(fd_, &previous); err != 0) return Win32ErrorFromErrno(err);
  const int err = WriteLineSettings(fd_, plan.line);
  // A pseudo-terminal forces CS8, drops parity and may refuse a parity-only
  // change with EINVAL: there is no line to get wrong, so take it as applied.
  if (err != 0 && !(err == EINVAL && !has_modem_lines_)) return Win32ErrorFromErrno(err);

  if (has_modem_lines_) {
    // A real UART must run what was asked; a driver that silently keeps
    // another rate or framing is a refusal.
    LineSettings applied;
    DWORD refusal = ERROR_SUCCESS;
    if (const int read_err = ReadLineSettings(fd_, &applied); read_err != 0) {
      refusal = Win32ErrorFromErrno(read_err);
    } else if (!RateClose(plan.line.baud, applied.baud) ||
               (applied.cflag & kFramingBits) != (plan.line.cflag & kFramingBits)) {
      refusal = ERROR_INVALID_PARAMETER;
    }
    const bool was_toggle = ((dcb_.Flags >> DCB_fRtsControlShift) & 3u) == RTS_CONTROL_TOGGLE;
    if (refusal == ERROR_SUCCESS && (plan.rts_toggle || was_toggle)) {
      const int rs485_err = SetRs485Toggle(fd_, plan.rts_toggle);
      if (rs485_err != 0) {
        refusal =
            IsUnsupported(rs485_err) ? ERROR_INVALID_PARAMETER : Win32ErrorFromErrno(rs485_err);
      }
    }
    for (const auto& [line, level] :
         {std::pair{ModemOutput::kDtr, plan.dtr}, std::pair{ModemOutput::kRts, plan.rts}}) {
      if (refusal != ERROR_SUCCESS || level == LineLevel::kLeave) continue;
      if (const int out_err = SetModemOutput(fd_, line, level == LineLevel::kHigh); out_err != 0) {
        refusal = Win32ErrorFromErrno(out_err);
      }
    }
    if (refusal != ERROR_SUCCESS) {
      WriteLineSettings(fd_, previous);  // keep the device as it was
      return refusal;
    }
  }
  decoder_.Configure({plan.parity_marks, plan.replace_errors, plan.error_char, plan.discard_nul});
  dcb_ = dcb;
  return ERROR_SUCCESS;
}

DWORD CommDevice::GetState(DCB* dcb) {
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  *dcb = dcb_;
  return ERROR_SUCCESS;
}

DWORD CommDevice::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  if (!posix::TimeoutsValid(timeouts)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  timeouts_ = timeouts;
  return ERROR_SUCCESS;
}

DWORD CommDevice::GetTimeouts(COMMTIMEOUTS* timeouts) {
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  *timeouts = timeouts_;
  return ERROR_SUCCESS;
}

DWORD CommDevice::Purge(DWORD flags) {
  constexpr DWORD kAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
  if ((flags & ~kAll) != 0) return ERROR_INVALID_PARAMETER;
  DWORD result = ERROR_SUCCESS;
  {
    std::lock_guard lock(mutex_);
    if (closing_) return ERROR_INVALID_HANDLE;
    if ((flags & PURGE_RXABORT) != 0) {
      while (!reads_.empty()) {
        Complete(&reads_.front(), ERROR_OPERATION_ABORTED);
        reads_.pop_front();
      }
    }
    if ((flags & PURGE_TXABORT) != 0) {
      // What the aborted write had not sent yet stays unsent, as on Windows.
      if (!writes_.empty() && writes_.front().active) {
        writes_.front().done -= std::min(writes_.front().done, DropUnsentOutput());
      }
      while (!writes_.empty()) {
        Complete(&writes_.front(), ERROR_OPERATION_ABORTED);
        writes_.pop_front();
      }
      write_blocked_ = false;
    }
    if ((flags & PURGE_RXCLEAR) != 0) {
      input_.clear();
      decoder_.Reset();
      if (::tcflush(fd_, TCIFLUSH) != 0) result = Win32ErrorFromErrno(errno);
    }
    // PURGE_TXCLEAR has nothing to drop: the layer keeps no output of its
    // own, an ended write has left the port, and a pending one keeps its
    // bytes, as with Windows' driver, which sends from the write itself.
    // The watchers look again only if something still pends: with nothing
    // pending they have nothing to change (the exchange purges between polls).
    if (!reads_.empty() || !writes_.empty() || wait_) WakeWatchers(serving_);
  }
  return result;
}

DWORD CommDevice::ClearErrors(DWORD* errors, COMSTAT* stat) {
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  DWORD word = 0;
  if (has_counters_) {
    LineCounters now;
    if (const int err = GetLineCounters(fd_, &now); err != 0) return Win32ErrorFromErrno(err);
    word = ErrorWordBetween(counters_for_clear_, now);
    counters_for_clear_ = now;
  }
  if (errors != nullptr) *errors = word;
  if (stat != nullptr) {
    DWORD kernel_in = 0;
    DWORD kernel_out = 0;
    if (const int err = InputQueueBytes(fd_, &kernel_in); err != 0) return Win32ErrorFromErrno(err);
    // An ended write leaves nothing queued (ServeWrites), so with none pending the kernel
    // need not be asked once it is known empty: a poll asks before each request.
    if (!writes_.empty() || !output_known_empty_) {
      if (const int err = OutputQueueBytes(fd_, &kernel_out); err != 0) {
        return Win32ErrorFromErrno(err);
      }
      output_known_empty_ = writes_.empty() && kernel_out == 0;
    }
    DWORD unaccepted = 0;
    for (const Transfer& w : writes_) unaccepted += w.count - w.done;
    stat->Flags = 0;
    stat->cbInQue = kernel_in + static_cast<DWORD>(input_.size());
    stat->cbOutQue = kernel_out + unaccepted;
  }
  return ERROR_SUCCESS;
}

DWORD CommDevice::ModemStatus(DWORD* status) {
  std::lock_guard lock(mutex_);
  if (closing_) return ERROR_INVALID_HANDLE;
  *status = 0;
  if (!has_modem_lines_) return ERROR_SUCCESS;  // a pseudo-terminal: all lines off
  if (const int err = GetModemStatus(fd_, status); err != 0) return Win32ErrorFromErrno(err);
  return ERROR_SUCCESS;
}

DWORD CommDevice::SetMask(DWORD mask) {
  if ((mask & ~kAllEvents) != 0) return ERROR_INVALID_PARAMETER;
  {
    std::lock_guard lock(mutex_);
    if (closing_) return ERROR_INVALID_HANDLE;
    if (wait_) CompleteWait(ERROR_SUCCESS, 0);
    mask_ = mask;
    history_ = 0;
    // Changes are reported from here on.
    if (has_modem_lines_) GetModemStatus(fd_, &modem_seen_);
    if (has_counters_) GetLineCounters(fd_, &counters_for_events_);
    WakeWatchers(serving_);
  }
  return ERROR_SUCCESS;
}

}  // namespace platform::linux_backend
