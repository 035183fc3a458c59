// CommApi over Linux's serial devices: argument checks, handle lookup and Win32 result
// conventions; the work is done by CommDevice and WinEvent.
#include "linux/linux_comm_api.h"

#include "linux/comm_device.h"
#include "linux/handle_table.h"
#include "linux/win_event.h"
#include "platform/port_names.h"
#include "platform/win_errors.h"

namespace platform {
namespace {

using linux_backend::CommDevice;
using linux_backend::WinEvent;

constexpr BOOL kTrue = 1;
constexpr BOOL kFalse = 0;

// Windows' limit for WaitForMultipleObjects.
constexpr DWORD kMaxWaitObjects = 64;

thread_local DWORD t_last_error = ERROR_SUCCESS;
// The errno behind t_last_error; 0 when the failure had none or it stayed with
// the layer's I/O thread.
thread_local int t_last_system_error = 0;

Deadline DeadlineFor(DWORD timeout_ms) {
  return timeout_ms == INFINITE ? Deadline::Never() : Deadline::AfterMs(timeout_ms);
}

class LinuxCommApi final : public CommApi {
 public:
  HANDLE CreateFileA(const char* path, DWORD access, DWORD share_mode, void*, DWORD disposition,
                     DWORD, HANDLE) override {
    if (path == nullptr) return FailHandle(ERROR_PATH_NOT_FOUND);
    // Serial devices exist or do not: only OPEN_EXISTING makes sense, and
    // they are never shared (Windows requires share mode 0 for them too).
    if (disposition != OPEN_EXISTING || share_mode != 0 ||
        (access & (GENERIC_READ | GENERIC_WRITE)) == 0) {
      return FailHandle(ERROR_INVALID_PARAMETER);
    }
    linux_backend::OpenError error;
    auto device = CommDevice::Open(ResolvePortName(path), &error);
    if (!device) return FailHandle(error.code, error.system_error);
    return handles_.Add(std::move(device));
  }

  BOOL CloseHandle(HANDLE handle) override {
    // Shut the device down before its handle disappears, so that whoever
    // finds the handle gone also finds every transfer on it ended. Of two
    // callers only the one that closes it succeeds, once the device is free.
    if (auto device = handles_.Device(handle); device && !device->Close()) {
      return Fail(ERROR_INVALID_HANDLE);
    }
    return handles_.Remove(handle) ? kTrue : Fail(ERROR_INVALID_HANDLE);
  }

  BOOL SetupComm(HANDLE dev, DWORD in_queue, DWORD out_queue) override {
    return OnDevice(dev, [&](CommDevice& d) { return d.Setup(in_queue, out_queue); });
  }
  BOOL SetCommState(HANDLE dev, const DCB* dcb) override {
    if (dcb == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    return OnDevice(dev, [&](CommDevice& d) { return d.SetState(*dcb); });
  }
  BOOL GetCommState(HANDLE dev, DCB* dcb) override {
    if (dcb == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    return OnDevice(dev, [&](CommDevice& d) { return d.GetState(dcb); });
  }
  BOOL SetCommTimeouts(HANDLE dev, const COMMTIMEOUTS* timeouts) override {
    if (timeouts == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    return OnDevice(dev, [&](CommDevice& d) { return d.SetTimeouts(*timeouts); });
  }
  BOOL GetCommTimeouts(HANDLE dev, COMMTIMEOUTS* timeouts) override {
    if (timeouts == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    return OnDevice(dev, [&](CommDevice& d) { return d.GetTimeouts(timeouts); });
  }

  BOOL WriteFile(HANDLE dev, const void* buffer, DWORD count, DWORD* written,
                 OVERLAPPED* ov) override {
    return Transfer(dev, buffer, count, written, ov,
                    [&](CommDevice& d, OVERLAPPED* o, std::shared_ptr<WinEvent> e, DWORD* done) {
                      return d.StartWrite(buffer, count, o, std::move(e), done);
                    });
  }
  BOOL ReadFile(HANDLE dev, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) override {
    return Transfer(dev, buffer, count, read, ov,
                    [&](CommDevice& d, OVERLAPPED* o, std::shared_ptr<WinEvent> e, DWORD* done) {
                      return d.StartRead(buffer, count, o, std::move(e), done);
                    });
  }

  BOOL WriteFileAndWait(HANDLE dev, const void* buffer, DWORD count, OVERLAPPED* ov,
                        DWORD* wait) override {
    return TransferAndWait(dev, buffer, count, ov, wait,
                           [&](CommDevice& d, std::shared_ptr<WinEvent> e, DWORD* done) {
                             return d.StartWrite(buffer, count, ov, std::move(e), done, true);
                           });
  }
  BOOL ReadFileAndWait(HANDLE dev, void* buffer, DWORD count, OVERLAPPED* ov,
                       DWORD* wait) override {
    return TransferAndWait(dev, buffer, count, ov, wait,
                           [&](CommDevice& d, std::shared_ptr<WinEvent> e, DWORD* done) {
                             return d.StartRead(buffer, count, ov, std::move(e), done, true);
                           });
  }

  BOOL GetOverlappedResult(HANDLE dev, OVERLAPPED* ov, DWORD* transferred, BOOL wait) override {
    if (ov == nullptr || transferred == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    DWORD status = ERROR_SUCCESS;
    if (auto device = handles_.Device(dev)) {
      status = device->Result(ov, transferred, wait != kFalse);
    } else {
      // The handle was closed, which ended every transfer on it: the result
      // stands in the OVERLAPPED.
      *transferred = static_cast<DWORD>(ov->InternalHigh);
      status = static_cast<DWORD>(ov->Internal);
    }
    return status == ERROR_SUCCESS ? kTrue : Fail(status);
  }

  BOOL PurgeComm(HANDLE dev, DWORD flags) override {
    return OnDevice(dev, [&](CommDevice& d) { return d.Purge(flags); });
  }
  BOOL ClearCommError(HANDLE dev, DWORD* errors, COMSTAT* stat) override {
    return OnDevice(dev, [&](CommDevice& d) { return d.ClearErrors(errors, stat); });
  }
  BOOL GetCommModemStatus(HANDLE dev, DWORD* status) override {
    if (status == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    return OnDevice(dev, [&](CommDevice& d) { return d.ModemStatus(status); });
  }

  BOOL SetCommMask(HANDLE dev, DWORD mask) override {
    return OnDevice(dev, [&](CommDevice& d) { return d.SetMask(mask); });
  }
  BOOL WaitCommEvent(HANDLE dev, DWORD* mask, OVERLAPPED* ov) override {
    if (mask == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    auto device = handles_.Device(dev);
    if (!device) return Fail(ERROR_INVALID_HANDLE);
    OVERLAPPED own{};
    std::shared_ptr<WinEvent> event;
    if (!EventOf(ov, &event)) return Fail(ERROR_INVALID_HANDLE);
    DWORD status = device->StartWaitEvent(mask, ov != nullptr ? ov : &own, std::move(event));
    if (status == ERROR_IO_PENDING && ov == nullptr) {
      DWORD unused = 0;
      status = device->Result(&own, &unused, true);
    }
    return status == ERROR_SUCCESS ? kTrue : Fail(status);
  }

  HANDLE CreateEventA(void*, BOOL manual_reset, BOOL initial_state, const char* name) override {
    if (name != nullptr) return FailHandle(ERROR_NOT_SUPPORTED);  // no named events
    return handles_.Add(
        std::make_shared<WinEvent>(manual_reset != kFalse, initial_state != kFalse));
  }
  BOOL SetEvent(HANDLE event) override {
    auto e = handles_.Event(event);
    if (!e) return Fail(ERROR_INVALID_HANDLE);
    e->Set();
    return kTrue;
  }
  BOOL ResetEvent(HANDLE event) override {
    auto e = handles_.Event(event);
    if (!e) return Fail(ERROR_INVALID_HANDLE);
    e->Reset();
    return kTrue;
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms) override {
    // The wait of every transfer: one event, without the arrays of a wait for several.
    const std::shared_ptr<WinEvent> event = handles_.Event(handle);
    if (!event) {
      Fail(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    WinEvent* const events[] = {event.get()};
    const int index = WinEvent::Wait(events, 1, false, DeadlineFor(timeout_ms));
    return index < 0 ? WAIT_TIMEOUT : WAIT_OBJECT_0;
  }
  DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                               DWORD timeout_ms) override {
    if (count == 0 || count > kMaxWaitObjects || handles == nullptr) {
      Fail(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
    std::shared_ptr<WinEvent> owned[kMaxWaitObjects];
    WinEvent* events[kMaxWaitObjects];
    for (DWORD i = 0; i < count; ++i) {
      owned[i] = handles_.Event(handles[i]);
      if (!owned[i]) {
        Fail(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
      }
      events[i] = owned[i].get();
    }
    const int index = WinEvent::Wait(events, count, wait_all != kFalse, DeadlineFor(timeout_ms));
    return index < 0 ? WAIT_TIMEOUT : WAIT_OBJECT_0 + static_cast<DWORD>(index);
  }

  DWORD GetLastError() override { return t_last_error; }
  void SetLastError(DWORD code) override {
    t_last_error = code;
    t_last_system_error = 0;
  }
  int GetLastSystemError() override { return t_last_system_error; }

 private:
  static BOOL Fail(DWORD code) {
    t_last_error = code;
    t_last_system_error = 0;
    return kFalse;
  }
  static HANDLE FailHandle(DWORD code, int system_error = 0) {
    t_last_error = code;
    t_last_system_error = system_error;
    return INVALID_HANDLE_VALUE;
  }

  template <typename Op>
  BOOL OnDevice(HANDLE dev, Op op) {
    auto device = handles_.Device(dev);
    if (!device) return Fail(ERROR_INVALID_HANDLE);
    const DWORD status = op(*device);
    return status == ERROR_SUCCESS ? kTrue : Fail(status);
  }

  // The event of `ov` (none for a null OVERLAPPED or hEvent 0); false when
  // hEvent names no event.
  bool EventOf(const OVERLAPPED* ov, std::shared_ptr<WinEvent>* event) const {
    if (ov == nullptr || ov->hEvent == 0) return true;
    *event = handles_.Event(ov->hEvent);
    return *event != nullptr;
  }

  // ReadFile/WriteFile: overlapped when `ov` is given, else started on an
  // OVERLAPPED of our own and waited for, as on a non-overlapped handle.
  template <typename Start>
  BOOL Transfer(HANDLE dev, const void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov,
                Start start) {
    auto device = handles_.Device(dev);
    if (!device) return Fail(ERROR_INVALID_HANDLE);
    if (buffer == nullptr && count != 0) return Fail(ERROR_INVALID_PARAMETER);
    std::shared_ptr<WinEvent> event;
    if (!EventOf(ov, &event)) return Fail(ERROR_INVALID_HANDLE);
    OVERLAPPED own{};
    DWORD count_now = 0;
    DWORD status = start(*device, ov != nullptr ? ov : &own, std::move(event), &count_now);
    if (status == ERROR_IO_PENDING && ov == nullptr) {
      status = device->Result(&own, &count_now, true);
    }
    if (done != nullptr) *done = count_now;
    return status == ERROR_SUCCESS ? kTrue : Fail(status);
  }

  // WriteFileAndWait/ReadFileAndWait: the start, told that the wait for the
  // event follows at once, then that wait as WaitForSingleObject's.
  template <typename Start>
  BOOL TransferAndWait(HANDLE dev, const void* buffer, DWORD count, OVERLAPPED* ov, DWORD* wait,
                       Start start) {
    auto device = handles_.Device(dev);
    if (!device) return Fail(ERROR_INVALID_HANDLE);
    if ((buffer == nullptr && count != 0) || ov == nullptr || wait == nullptr) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    const std::shared_ptr<WinEvent> event = handles_.Event(ov->hEvent);
    if (!event) return Fail(ERROR_INVALID_HANDLE);
    DWORD count_now = 0;
    const DWORD status = start(*device, event, &count_now);
    if (status != ERROR_SUCCESS && status != ERROR_IO_PENDING) return Fail(status);
    device.reset();  // held no longer than a plain start holds it
    WinEvent* const events[] = {event.get()};
    *wait = WinEvent::Wait(events, 1, false, Deadline::Never()) < 0 ? WAIT_TIMEOUT : WAIT_OBJECT_0;
    return kTrue;
  }

  linux_backend::HandleTable handles_;
};

}  // namespace

CommApi& LinuxBackend() {
  static LinuxCommApi* const backend = new LinuxCommApi;  // outlives static destructors
  return *backend;
}

}  // namespace platform
