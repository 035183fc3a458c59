// Construction, destruction, opening and closing of the port.
#include <exception>
#include <string>

#include "com_thread.h"
#include "comport/com_port.h"
#include "listener_walk.h"
#include "platform_error.h"
#include "runtime/event_receiver.h"

namespace comport {

using platform::Comm;
using platform::INVALID_HANDLE_VALUE;

TCustomComPort::TCustomComPort(runtime::TComponent* owner) : runtime::TComponent(owner) {
  parity_ = std::make_unique<TComParity>(this);
  flow_control_ = std::make_unique<TComFlowControl>(this);
  timeouts_ = std::make_unique<TComTimeouts>(this);
  buffer_ = std::make_unique<TComBuffer>(this);
}

TCustomComPort::~TCustomComPort() {
  // A destructor cannot pass an error on: a failed close is reported, and the
  // device is released all the same so that no handle outlives the port.
  if (DeviceHandle() != INVALID_HANDLE_VALUE) {
    try {
      ClosePort();
    } catch (const std::exception& error) {
      runtime::CurrentToolkit().HandleException(error);
    }
    if (thread_created_) StopEventThread();
    CloseDevice();
  }
  connected_.store(false, std::memory_order_release);
  // Kept by a transfer that ended while another thread closed the port.
  FreeSpareOp();
  buffer_.reset();
  flow_control_.reset();
  timeouts_.reset();
  parity_.reset();
}

void TCustomComPort::OpenPort() {
  if (Connected() || Designing()) return;
  FireBeforeOpen();
  OpenDevice();
  connected_.store(true, std::memory_order_release);
  try {
    ApplyAllSettings();
  } catch (...) {
    CloseDevice();
    connected_.store(false, std::memory_order_release);
    throw;
  }
  if (!events_.Empty()) StartEventThread();
  NotifyListeners(&TPortListener::StateChanged, true);
  FireAfterOpen();
  AnnounceSignals(true);
}

void TCustomComPort::ClosePort() {
  if (!Connected() || Designing()) return;
  AnnounceSignals(false);
  FireBeforeClose();
  CancelTransfers();
  if (thread_created_) StopEventThread();
  CloseDevice();
  connected_.store(false, std::memory_order_release);
  NotifyListeners(&TPortListener::StateChanged, false);
  FireAfterClose();
}

void TCustomComPort::AfterLoad() {
  runtime::TComponent::AfterLoad();
  const bool connect = connect_after_load_;
  connect_after_load_ = false;
  if (!connect || Designing() || DeviceHandle() != INVALID_HANDLE_VALUE) return;
  connected_.store(false, std::memory_order_release);
  try {
    OpenPort();
  } catch (const std::exception& error) {
    runtime::CurrentToolkit().HandleException(error);
  }
}

void TCustomComPort::OpenDevice() {
  const std::string path = "\\\\.\\" + port_;
  const platform::HANDLE handle =
      Comm().CreateFileA(path.c_str(), platform::GENERIC_READ | platform::GENERIC_WRITE, 0, nullptr,
                         platform::OPEN_EXISTING, platform::FILE_FLAG_OVERLAPPED, 0);
  handle_.store(handle, std::memory_order_release);
  if (handle == INVALID_HANDLE_VALUE) detail::RaiseLastError(kErrOpenFailed);
}

void TCustomComPort::CloseDevice() {
  // Forgetting the handle keeps calls on a closed port from reaching whatever
  // device later receives the same handle number.
  const platform::HANDLE handle = handle_.exchange(INVALID_HANDLE_VALUE, std::memory_order_acq_rel);
  if (handle != INVALID_HANDLE_VALUE) Comm().CloseHandle(handle);
  // The spare transfer record goes with the device: its event is the backend's in force now.
  FreeSpareOp();
}

void TCustomComPort::FreeSpareOp() {
  PAsyncOp spare = spare_op_.exchange(nullptr, std::memory_order_acquire);
  FreeAsyncOp(spare);
}

}  // namespace comport
