// Overlapped and blocking transfers, purging and the device queries.
#include <array>
#include <atomic>
#include <utility>

#include "comport/com_port.h"
#include "listener_walk.h"
#include "platform/win_errors.h"
#include "platform_error.h"

namespace comport {

using platform::Comm;
using platform::DWORD;

namespace {

// The record of a blocking transfer: the port's spare one when it has it, else a new one. A
// poll is a write and a read back to back, and each record is an event to create and close, so
// the record of a transfer that ended normally is kept for the next while the port is open. One
// whose transfer raised is freed however it ended: an aborted transfer may still be completing
// on it.
class BlockingAsyncOp {
 public:
  explicit BlockingAsyncOp(std::atomic<PAsyncOp>& spare)
      : spare_(spare), op_(spare.exchange(nullptr, std::memory_order_acquire)) {
    if (op_ == nullptr) NewAsyncOp(op_);
  }
  ~BlockingAsyncOp() { FreeAsyncOp(op_); }
  BlockingAsyncOp(const BlockingAsyncOp&) = delete;
  BlockingAsyncOp& operator=(const BlockingAsyncOp&) = delete;
  PAsyncOp get() const { return op_; }
  // The transfer ended normally: the record becomes the spare unless the port was closed
  // meanwhile or another transfer left one.
  void Keep(bool port_open) {
    PAsyncOp none = nullptr;
    if (port_open && spare_.compare_exchange_strong(none, op_, std::memory_order_release,
                                                    std::memory_order_relaxed)) {
      op_ = nullptr;
    }
  }

 private:
  std::atomic<PAsyncOp>& spare_;
  PAsyncOp op_;
};

// A start succeeded when it completed at once or is pending; otherwise raise.
void CheckStarted(platform::BOOL started, std::int32_t port_code) {
  if (started) return;
  const DWORD error = Comm().GetLastError();
  if (error != platform::ERROR_IO_PENDING)
    throw EComPort(port_code, static_cast<std::int32_t>(error));
}

constexpr std::array<std::pair<DWORD, TModemSignal>, 4> kModemBits{{
    {platform::MS_CTS_ON, msCTS},
    {platform::MS_DSR_ON, msDSR},
    {platform::MS_RING_ON, msRing},
    {platform::MS_RLSD_ON, msRLSD},
}};

// Parity (CE_RXPARITY) counts only when the port checks parity.
constexpr std::array<std::pair<DWORD, TComError>, 8> kLineErrorBits{{
    {platform::CE_FRAME, erFrame},
    {platform::CE_RXPARITY, erRxParity},
    {platform::CE_OVERRUN, erOverrun},
    {platform::CE_RXOVER, erRxOver},
    {platform::CE_TXFULL, erTxFull},
    {platform::CE_BREAK, erBreak},
    {platform::CE_IOE, erIO},
    {platform::CE_MODE, erMode},
}};

}  // namespace

std::int32_t TCustomComPort::SendBytesAsync(const void* buffer, std::int32_t count, PAsyncOp op) {
  if (op == nullptr) throw EComPort(kErrInvalidAsync);
  // A negative count would reach the platform as a length of about 4 GiB.
  if (count < 0) throw EComPort(kErrWriteFailed, platform::ERROR_INVALID_PARAMETER);
  PrepareAsyncOp(akWrite, buffer, count, *op);
  DWORD written = 0;
  const platform::BOOL done_at_once = Comm().WriteFile(
      DeviceHandle(), buffer, static_cast<DWORD>(count), &written, &op->Overlapped);
  CheckStarted(done_at_once, kErrWriteFailed);
  try {
    NotifyListeners(&TPortListener::TxActivity, true);
  } catch (...) {
    // The caller takes the raise as a failed start and frees the record and
    // the buffer, which a pending write still holds: end it first, as a
    // failed wait does (every pending write ends with it).
    if (!done_at_once) Comm().PurgeComm(DeviceHandle(), platform::PURGE_TXABORT);
    throw;
  }
  return static_cast<std::int32_t>(written);
}

std::int32_t TCustomComPort::ReceiveBytesAsync(void* buffer, std::int32_t count, PAsyncOp op) {
  if (op == nullptr) throw EComPort(kErrInvalidAsync);
  if (count < 0) throw EComPort(kErrReadFailed, platform::ERROR_INVALID_PARAMETER);
  op->Kind = akRead;
  DWORD read = 0;
  CheckStarted(
      Comm().ReadFile(DeviceHandle(), buffer, static_cast<DWORD>(count), &read, &op->Overlapped),
      kErrReadFailed);
  return static_cast<std::int32_t>(read);
}

std::int32_t TCustomComPort::AwaitAsync(PAsyncOp op) {
  if (op == nullptr) throw EComPort(kErrInvalidAsync);
  return EndTransfer(op, Comm().WaitForSingleObject(op->Overlapped.hEvent, platform::INFINITE));
}

std::int32_t TCustomComPort::EndTransfer(PAsyncOp op, DWORD wait_result) {
  platform::CommApi& comm = Comm();
  if (wait_result != platform::WAIT_OBJECT_0) {
    // The transfer may still be pending, with the platform holding the record and the caller's
    // buffer. Abort it before raising, so neither is freed or reused under the platform. The
    // platform has no per-transfer cancel, so every pending transfer in that direction ends.
    const DWORD error = comm.GetLastError();
    comm.PurgeComm(DeviceHandle(),
                   op->Kind == akRead ? platform::PURGE_RXABORT : platform::PURGE_TXABORT);
    throw EComPort(AsyncErrorCode(*op), static_cast<std::int32_t>(error));
  }
  DWORD transferred = 0;
  if (!comm.GetOverlappedResult(DeviceHandle(), &op->Overlapped, &transferred, 0)) {
    detail::RaiseLastError(AsyncErrorCode(*op));
  }
  // Only a write reports its data: a read on a reused record must not hand the
  // earlier write's bytes to the listeners as sent.
  if (op->Kind == akRead) {
    if (!listeners_.empty()) {
      if (BytesAvailable() == 0) NotifyListeners(&TPortListener::RxActivity, false);
    } else {
      // Nobody to tell that the input went idle, so the queue is not measured (which costs the
      // system a look at it after every reply); the line errors are still taken as before.
      DWORD errors = 0;
      if (!comm.ClearCommError(DeviceHandle(), &errors, nullptr)) {
        detail::RaiseLastError(kErrClearErrorFailed);
      }
    }
  } else if (op->Data != nullptr) {
    NotifyListeners(&TPortListener::BytesSent, static_cast<const std::uint8_t*>(op->Data.get()),
                    op->Size);
  }
  return static_cast<std::int32_t>(transferred);
}

// A blocking transfer is started and waited for in one call to the platform (WriteFileAndWait),
// which then need not prepare for a starter that does not wait: the same steps as
// SendBytesAsync and AwaitAsync. Only listeners, which hear of a write between its start and
// the wait, take the two calls.
std::int32_t TCustomComPort::SendBytes(const void* buffer, std::int32_t count) {
  BlockingAsyncOp op(spare_op_);
  std::int32_t sent = 0;
  if (!listeners_.empty()) {
    SendBytesAsync(buffer, count, op.get());
    sent = AwaitAsync(op.get());
  } else {
    if (count < 0) throw EComPort(kErrWriteFailed, platform::ERROR_INVALID_PARAMETER);
    PrepareAsyncOp(akWrite, buffer, count, *op.get());
    DWORD wait = 0;
    CheckStarted(Comm().WriteFileAndWait(DeviceHandle(), buffer, static_cast<DWORD>(count),
                                         &op.get()->Overlapped, &wait),
                 kErrWriteFailed);
    sent = EndTransfer(op.get(), wait);
  }
  op.Keep(DeviceHandle() != platform::INVALID_HANDLE_VALUE);
  return sent;
}

std::int32_t TCustomComPort::ReceiveBytes(void* buffer, std::int32_t count) {
  BlockingAsyncOp op(spare_op_);
  if (count < 0) throw EComPort(kErrReadFailed, platform::ERROR_INVALID_PARAMETER);
  op.get()->Kind = akRead;
  DWORD wait = 0;
  CheckStarted(Comm().ReadFileAndWait(DeviceHandle(), buffer, static_cast<DWORD>(count),
                                      &op.get()->Overlapped, &wait),
               kErrReadFailed);
  const std::int32_t received = EndTransfer(op.get(), wait);
  op.Keep(DeviceHandle() != platform::INVALID_HANDLE_VALUE);
  return received;
}

void TCustomComPort::CancelTransfers() {
  if (!Comm().PurgeComm(DeviceHandle(), platform::PURGE_TXABORT | platform::PURGE_RXABORT)) {
    detail::RaiseLastError(kErrPurgeFailed);
  }
}

void TCustomComPort::PurgeBuffers(bool input, bool output) {
  DWORD flags = 0;
  if (input) flags |= platform::PURGE_RXCLEAR;
  if (output) flags |= platform::PURGE_TXCLEAR;
  if (!Comm().PurgeComm(DeviceHandle(), flags)) detail::RaiseLastError(kErrPurgeFailed);
}

std::int32_t TCustomComPort::BytesAvailable() {
  DWORD errors = 0;
  platform::COMSTAT stat{};
  if (!Comm().ClearCommError(DeviceHandle(), &errors, &stat)) {
    detail::RaiseLastError(kErrClearErrorFailed);
  }
  return static_cast<std::int32_t>(stat.cbInQue);
}

TModemSignals TCustomComPort::ModemSignals() {
  DWORD status = 0;
  if (!Comm().GetCommModemStatus(DeviceHandle(), &status)) {
    detail::RaiseLastError(kErrModemStatusFailed);
  }
  TModemSignals signals;
  for (const auto& [bit, signal] : kModemBits) {
    if ((status & bit) != 0) signals.Include(signal);
  }
  return signals;
}

TComErrors TCustomComPort::LineErrors() {
  DWORD word = 0;
  // No queue sizes asked for: the system need not look at the queues, which the exchange
  // would pay for after every reply.
  if (!Comm().ClearCommError(DeviceHandle(), &word, nullptr)) {
    detail::RaiseLastError(kErrClearErrorFailed);
  }
  TComErrors errors;
  for (const auto& [bit, error] : kLineErrorBits) {
    if ((word & bit) == 0) continue;
    if (error == erRxParity && !parity_->Check()) continue;
    errors.Include(error);
  }
  return errors;
}

}  // namespace comport
