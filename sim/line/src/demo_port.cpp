#include "simline/demo_port.h"

#include <chrono>
#include <cstdint>
#include <exception>

#include "platform/port_names.h"
#include "platform/win_errors.h"

namespace simline {

using platform::BOOL;
using platform::DWORD;
using platform::HANDLE;

DemoPort::DemoPort(platform::CommApi& next, exchange::ExchangePort& line,
                   std::string_view port_name)
    : next_(next),
      line_(line),
      device_path_(std::string(platform::kDeviceNamespacePrefix).append(port_name)),
      port_name_(port_name) {}

bool DemoPort::IsDevice(HANDLE handle) {
  const std::lock_guard lock(mutex_);
  return handle != platform::INVALID_HANDLE_VALUE && handle == device_;
}

HANDLE DemoPort::CreateFileA(const char* path, DWORD access, DWORD share_mode, void* security,
                             DWORD disposition, DWORD flags, HANDLE template_file) {
  if (device_path_ != path) {
    return next_.CreateFileA(path, access, share_mode, security, disposition, flags, template_file);
  }
  const std::lock_guard lock(mutex_);
  if (device_ != platform::INVALID_HANDLE_VALUE) {
    next_.SetLastError(platform::ERROR_ACCESS_DENIED);  // opened once at a time, as a port is
    return platform::INVALID_HANDLE_VALUE;
  }
  const HANDLE identity = next_.CreateEventA(nullptr, 1, 0, nullptr);
  if (identity == 0 || identity == platform::INVALID_HANDLE_VALUE) {
    return platform::INVALID_HANDLE_VALUE;
  }
  device_ = identity;
  dcb_ = platform::DCB{};
  dcb_.DCBlength = sizeof dcb_;
  timeouts_ = platform::COMMTIMEOUTS{};
  return device_;
}

BOOL DemoPort::CloseHandle(HANDLE handle) {
  {
    const std::lock_guard lock(mutex_);
    if (handle == device_) device_ = platform::INVALID_HANDLE_VALUE;
  }
  return next_.CloseHandle(handle);
}

BOOL DemoPort::SetupComm(HANDLE dev, DWORD in_queue, DWORD out_queue) {
  return IsDevice(dev) ? 1 : next_.SetupComm(dev, in_queue, out_queue);
}

BOOL DemoPort::SetCommState(HANDLE dev, const platform::DCB* dcb) {
  if (!IsDevice(dev)) return next_.SetCommState(dev, dcb);
  const std::lock_guard lock(mutex_);
  dcb_ = *dcb;
  return 1;
}

BOOL DemoPort::GetCommState(HANDLE dev, platform::DCB* dcb) {
  if (!IsDevice(dev)) return next_.GetCommState(dev, dcb);
  const std::lock_guard lock(mutex_);
  *dcb = dcb_;
  return 1;
}

BOOL DemoPort::SetCommTimeouts(HANDLE dev, const platform::COMMTIMEOUTS* timeouts) {
  if (!IsDevice(dev)) return next_.SetCommTimeouts(dev, timeouts);
  const std::lock_guard lock(mutex_);
  timeouts_ = *timeouts;
  return 1;
}

BOOL DemoPort::GetCommTimeouts(HANDLE dev, platform::COMMTIMEOUTS* timeouts) {
  if (!IsDevice(dev)) return next_.GetCommTimeouts(dev, timeouts);
  const std::lock_guard lock(mutex_);
  *timeouts = timeouts_;
  return 1;
}

namespace {

// What a read of `count` bytes may take under `timeouts`, in the line's terms: the total is
// multiplier times count plus constant, none at all without either; MAXDWORD for the interval
// is no interval. (The special modes of MAXDWORD totals are no port's of ours.)
exchange::ReadLimits LimitsOf(const platform::COMMTIMEOUTS& timeouts, DWORD count) {
  using std::chrono::milliseconds;
  exchange::ReadLimits limits;
  const std::uint64_t total = std::uint64_t{timeouts.ReadTotalTimeoutMultiplier} * count +
                              timeouts.ReadTotalTimeoutConstant;
  constexpr milliseconds kNoLimit = std::chrono::hours(24);
  limits.total = total == 0 && timeouts.ReadIntervalTimeout != platform::MAXDWORD
                     ? kNoLimit
                     : milliseconds(static_cast<milliseconds::rep>(total));
  if (timeouts.ReadIntervalTimeout != platform::MAXDWORD) {
    limits.interval = milliseconds(timeouts.ReadIntervalTimeout);
  }
  return limits;
}

}  // namespace

BOOL DemoPort::Transfer(bool write, void* buffer, DWORD count, DWORD* done,
                        platform::OVERLAPPED* ov) {
  std::int32_t moved = 0;
  try {
    exchange::ReadLimits limits;
    if (!write) {
      const std::lock_guard lock(mutex_);
      limits = LimitsOf(timeouts_, count);
    }
    // The line takes one call at a time; the read waits as the port's time-outs say.
    const std::lock_guard lock(line_mutex_);
    const auto length = static_cast<std::int32_t>(count);
    moved = write ? line_.SendBytes(static_cast<const std::uint8_t*>(buffer), length)
                  : line_.ReceiveBytesWithin(static_cast<std::uint8_t*>(buffer), length, limits);
  } catch (const std::exception&) {
    next_.SetLastError(platform::ERROR_GEN_FAILURE);
    return 0;
  }
  if (done != nullptr) *done = static_cast<DWORD>(moved);
  if (ov != nullptr) {
    ov->Internal = platform::ERROR_SUCCESS;
    ov->InternalHigh = static_cast<std::uintptr_t>(moved);
    next_.SetEvent(ov->hEvent);
  }
  return 1;
}

BOOL DemoPort::WriteFile(HANDLE dev, const void* buffer, DWORD count, DWORD* written,
                         platform::OVERLAPPED* ov) {
  if (!IsDevice(dev)) return next_.WriteFile(dev, buffer, count, written, ov);
  return Transfer(true, const_cast<void*>(buffer), count, written, ov);
}

BOOL DemoPort::ReadFile(HANDLE dev, void* buffer, DWORD count, DWORD* read,
                        platform::OVERLAPPED* ov) {
  if (!IsDevice(dev)) return next_.ReadFile(dev, buffer, count, read, ov);
  return Transfer(false, buffer, count, read, ov);
}

BOOL DemoPort::GetOverlappedResult(HANDLE dev, platform::OVERLAPPED* ov, DWORD* transferred,
                                   BOOL wait) {
  if (!IsDevice(dev)) return next_.GetOverlappedResult(dev, ov, transferred, wait);
  *transferred = static_cast<DWORD>(ov->InternalHigh);  // every transfer ended at its start
  return 1;
}

BOOL DemoPort::PurgeComm(HANDLE dev, DWORD flags) {
  if (!IsDevice(dev)) return next_.PurgeComm(dev, flags);
  const std::lock_guard lock(line_mutex_);
  line_.PurgeBuffers((flags & platform::PURGE_RXCLEAR) != 0,
                     (flags & platform::PURGE_TXCLEAR) != 0);
  return 1;
}

BOOL DemoPort::ClearCommError(HANDLE dev, DWORD* errors, platform::COMSTAT* stat) {
  if (!IsDevice(dev)) return next_.ClearCommError(dev, errors, stat);
  if (errors != nullptr) *errors = 0;
  if (stat != nullptr) {
    *stat = platform::COMSTAT{};
    // What has arrived and is not read yet: a late reply waits here as in a driver's queue.
    const std::lock_guard lock(line_mutex_);
    stat->cbInQue = static_cast<DWORD>(line_.BytesWaiting());
  }
  return 1;
}

BOOL DemoPort::GetCommModemStatus(HANDLE dev, DWORD* status) {
  if (!IsDevice(dev)) return next_.GetCommModemStatus(dev, status);
  *status = 0;  // a line without modem signals
  return 1;
}

BOOL DemoPort::SetCommMask(HANDLE dev, DWORD mask) {
  return IsDevice(dev) ? 1 : next_.SetCommMask(dev, mask);
}

BOOL DemoPort::WaitCommEvent(HANDLE dev, DWORD* mask, platform::OVERLAPPED* ov) {
  if (!IsDevice(dev)) return next_.WaitCommEvent(dev, mask, ov);
  // The window's port watches no events; the line has none to report.
  next_.SetLastError(platform::ERROR_NOT_SUPPORTED);
  return 0;
}

HANDLE DemoPort::CreateEventA(void* security, BOOL manual_reset, BOOL initial_state,
                              const char* name) {
  return next_.CreateEventA(security, manual_reset, initial_state, name);
}

BOOL DemoPort::SetEvent(HANDLE event) { return next_.SetEvent(event); }

BOOL DemoPort::ResetEvent(HANDLE event) { return next_.ResetEvent(event); }

DWORD DemoPort::WaitForSingleObject(HANDLE handle, DWORD timeout_ms) {
  return next_.WaitForSingleObject(handle, timeout_ms);
}

DWORD DemoPort::WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                                       DWORD timeout_ms) {
  return next_.WaitForMultipleObjects(count, handles, wait_all, timeout_ms);
}

DWORD DemoPort::GetLastError() { return next_.GetLastError(); }

void DemoPort::SetLastError(DWORD code) { next_.SetLastError(code); }

int DemoPort::GetLastSystemError() { return next_.GetLastSystemError(); }

std::string DemoPort::DevicePath(std::string_view port_name) {
  return port_name == port_name_ ? std::string() : next_.DevicePath(port_name);
}

}  // namespace simline
