// CommApi on Windows: every call goes to its kernel32 namesake with the same arguments. The
// seam's types only change shape on the way (a HANDLE travels as its value in an intptr_t; the
// DCB, COMMTIMEOUTS and COMSTAT records are copied field for field; an OVERLAPPED is the system's
// own, which the kernel keeps writing after the call returns). One result is put the way Windows
// gives it where Wine does not, see GetOverlappedResult; and a failure's code is kept from the
// failure on, see t_last_failure.
#include <cstddef>
#include <cstring>
#include <string>

#include "native_backend.h"
#include "platform/comm_api.h"
#include "platform/port_names.h"

namespace platform {
namespace {
// The seam's invalid handle, named before <windows.h> turns INVALID_HANDLE_VALUE into a macro.
constexpr HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;
}  // namespace
}  // namespace platform

// Last: <windows.h> defines ERROR_*, EV_*, PURGE_*, CE_*, MS_*, NOPARITY, INFINITE... as macros,
// which would rewrite the seam's own constants had its headers come after it. Below, those names
// are the system's macros (with the same values); the seam's types are reached unqualified from
// inside namespace platform, the system's with "::".
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace platform {
namespace {

// The layouts that are handed over by pointer rather than copied.
static_assert(sizeof(HANDLE) == sizeof(::HANDLE));
static_assert(sizeof(DWORD) == sizeof(::DWORD));
static_assert(sizeof(OVERLAPPED) == sizeof(::OVERLAPPED));
static_assert(offsetof(OVERLAPPED, Internal) == offsetof(::OVERLAPPED, Internal));
static_assert(offsetof(OVERLAPPED, InternalHigh) == offsetof(::OVERLAPPED, InternalHigh));
static_assert(offsetof(OVERLAPPED, Offset) == offsetof(::OVERLAPPED, Offset));
static_assert(offsetof(OVERLAPPED, hEvent) == offsetof(::OVERLAPPED, hEvent));
// Copied byte for byte.
static_assert(sizeof(DCB) == sizeof(::DCB));
static_assert(sizeof(COMMTIMEOUTS) == sizeof(::COMMTIMEOUTS));
static_assert(sizeof(COMSTAT) == sizeof(::COMSTAT));

// NTSTATUS of a transfer that ended at its time-out; a success code.
constexpr ULONG_PTR kStatusTimeout = 0x00000102;

// The Win32 code of the calling thread's last failed call through this backend, taken at the
// failure. The seam's GetLastError answers with it rather than with the system's own, which a
// call in between (freeing memory, under Wine) may have reset before the component asks.
thread_local DWORD t_last_failure = 0;

// A driver's answer that it does not implement a request.
bool IsNotSupported(::DWORD code) {
  return code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION;
}

::HANDLE Native(HANDLE handle) { return reinterpret_cast<::HANDLE>(handle); }
HANDLE Seam(::HANDLE handle) { return reinterpret_cast<HANDLE>(handle); }
// The kernel writes the OVERLAPPED (status, count) while the transfer runs; both structures have
// one layout, checked above.
::OVERLAPPED* Native(OVERLAPPED* ov) { return reinterpret_cast<::OVERLAPPED*>(ov); }

BOOL Checked(::BOOL ok) {
  if (!ok) t_last_failure = ::GetLastError();
  return ok ? 1 : 0;
}

class Win32CommApi final : public CommApi {
 public:
  HANDLE CreateFileA(const char* path, DWORD access, DWORD share_mode, void* security,
                     DWORD disposition, DWORD flags, HANDLE template_file) override {
    // The device path the operator's VLK240_COMn names, or the port itself.
    const std::string device = path != nullptr ? ResolvePortName(path) : std::string();
    if (device.empty()) {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      t_last_failure = ERROR_FILE_NOT_FOUND;
      return kInvalidHandle;
    }
    const ::HANDLE handle = ::CreateFileA(device.c_str(), access, share_mode,
                                          static_cast<LPSECURITY_ATTRIBUTES>(security), disposition,
                                          flags, Native(template_file));
    if (Seam(handle) == kInvalidHandle) t_last_failure = ::GetLastError();
    return Seam(handle);
  }
  BOOL CloseHandle(HANDLE handle) override { return Checked(::CloseHandle(Native(handle))); }

  BOOL SetupComm(HANDLE dev, DWORD in_queue, DWORD out_queue) override {
    return Checked(::SetupComm(Native(dev), in_queue, out_queue));
  }
  BOOL SetCommState(HANDLE dev, const DCB* dcb) override {
    if (dcb == nullptr) return Checked(::SetCommState(Native(dev), nullptr));
    ::DCB native;
    std::memcpy(&native, dcb, sizeof native);
    return Checked(::SetCommState(Native(dev), &native));
  }
  BOOL GetCommState(HANDLE dev, DCB* dcb) override {
    if (dcb == nullptr) return Checked(::GetCommState(Native(dev), nullptr));
    ::DCB native{};
    native.DCBlength = sizeof native;
    const BOOL ok = Checked(::GetCommState(Native(dev), &native));
    if (ok) std::memcpy(dcb, &native, sizeof native);
    return ok;
  }
  BOOL SetCommTimeouts(HANDLE dev, const COMMTIMEOUTS* timeouts) override {
    if (timeouts == nullptr) return Checked(::SetCommTimeouts(Native(dev), nullptr));
    ::COMMTIMEOUTS native;
    std::memcpy(&native, timeouts, sizeof native);
    return Checked(::SetCommTimeouts(Native(dev), &native));
  }
  BOOL GetCommTimeouts(HANDLE dev, COMMTIMEOUTS* timeouts) override {
    if (timeouts == nullptr) return Checked(::GetCommTimeouts(Native(dev), nullptr));
    ::COMMTIMEOUTS native{};
    const BOOL ok = Checked(::GetCommTimeouts(Native(dev), &native));
    if (ok) std::memcpy(timeouts, &native, sizeof native);
    return ok;
  }

  // The count of an overlapped transfer is written at the call only when it ended at once, so
  // a local copy serves.
  BOOL WriteFile(HANDLE dev, const void* buffer, DWORD count, DWORD* written,
                 OVERLAPPED* ov) override {
    ::DWORD done = 0;
    const BOOL ok = Checked(::WriteFile(Native(dev), buffer, count, &done, Native(ov)));
    if (written != nullptr) *written = done;
    return ok;
  }
  BOOL ReadFile(HANDLE dev, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) override {
    ::DWORD done = 0;
    const BOOL ok = Checked(::ReadFile(Native(dev), buffer, count, &done, Native(ov)));
    if (read != nullptr) *read = done;
    return ok;
  }

  BOOL GetOverlappedResult(HANDLE dev, OVERLAPPED* ov, DWORD* transferred, BOOL wait) override {
    ::DWORD done = 0;
    ::BOOL ok = ::GetOverlappedResult(Native(dev), Native(ov), &done, wait);
    // A read or write that ended at its time-out is a success with a short count: the kernel
    // records STATUS_TIMEOUT, a success code, and Windows' GetOverlappedResult returns TRUE.
    // Wine's reports it as a failure, ERROR_TIMEOUT (1460), with the same count; that is the
    // short read the exchange waits for at every unanswered poll.
    if (!ok && ::GetLastError() == ERROR_TIMEOUT && ov != nullptr &&
        ov->Internal == kStatusTimeout) {
      ::SetLastError(ERROR_SUCCESS);
      ok = TRUE;
    }
    if (transferred != nullptr) *transferred = done;
    return Checked(ok);
  }

  BOOL PurgeComm(HANDLE dev, DWORD flags) override {
    return Checked(::PurgeComm(Native(dev), flags));
  }
  BOOL ClearCommError(HANDLE dev, DWORD* errors, COMSTAT* stat) override {
    ::DWORD word = 0;
    ::COMSTAT native{};
    const BOOL ok = Checked(::ClearCommError(Native(dev), &word, &native));
    if (ok && errors != nullptr) *errors = word;
    if (ok && stat != nullptr) std::memcpy(stat, &native, sizeof native);
    return ok;
  }
  // The seam's row "a device without modem lines reports all off", as the Linux backend gives it
  // for a pseudo-terminal: a driver that has no modem lines to report answers "not supported"
  // (50, or 1), which is no failure of the port; the component reads the lines as it opens a
  // port, so without this such a port would not open at all. Windows' USB serial drivers report
  // the lines, so there the call is forwarded as it is; under Wine a pseudo-terminal answers 50.
  // Every other failure (a port that is gone, a bad handle) is reported unchanged, never as
  // lines that are off.
  BOOL GetCommModemStatus(HANDLE dev, DWORD* status) override {
    ::DWORD lines = 0;
    ::BOOL ok = ::GetCommModemStatus(Native(dev), &lines);
    if (!ok && IsNotSupported(::GetLastError())) {
      ::SetLastError(ERROR_SUCCESS);
      lines = 0;
      ok = TRUE;
    }
    if (ok && status != nullptr) *status = lines;
    return Checked(ok);
  }

  BOOL SetCommMask(HANDLE dev, DWORD mask) override {
    return Checked(::SetCommMask(Native(dev), mask));
  }
  // The mask word is written when the wait ends, possibly after the call returned: it goes over
  // as it is (a 32-bit unsigned both sides, checked above).
  BOOL WaitCommEvent(HANDLE dev, DWORD* mask, OVERLAPPED* ov) override {
    return Checked(::WaitCommEvent(Native(dev), reinterpret_cast<::DWORD*>(mask), Native(ov)));
  }

  HANDLE CreateEventA(void* security, BOOL manual_reset, BOOL initial_state,
                      const char* name) override {
    const ::HANDLE event = ::CreateEventA(static_cast<LPSECURITY_ATTRIBUTES>(security),
                                          manual_reset, initial_state, name);
    if (event == nullptr) t_last_failure = ::GetLastError();
    return Seam(event);
  }
  BOOL SetEvent(HANDLE event) override { return Checked(::SetEvent(Native(event))); }
  BOOL ResetEvent(HANDLE event) override { return Checked(::ResetEvent(Native(event))); }
  DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms) override {
    const DWORD result = ::WaitForSingleObject(Native(handle), timeout_ms);
    if (result == WAIT_FAILED) t_last_failure = ::GetLastError();
    return result;
  }
  DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                               DWORD timeout_ms) override {
    ::HANDLE native[MAXIMUM_WAIT_OBJECTS];
    if (count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      t_last_failure = ERROR_INVALID_PARAMETER;
      return WAIT_FAILED;
    }
    for (DWORD i = 0; i < count; ++i) native[i] = Native(handles[i]);
    const DWORD result = ::WaitForMultipleObjects(count, native, wait_all, timeout_ms);
    if (result == WAIT_FAILED) t_last_failure = ::GetLastError();
    return result;
  }

  DWORD GetLastError() override { return t_last_failure; }
  void SetLastError(DWORD code) override {
    ::SetLastError(code);
    t_last_failure = code;
  }
  // On Windows the system's own code is the Win32 code itself.
  int GetLastSystemError() override { return static_cast<int>(t_last_failure); }
};

}  // namespace

CommApi& NativeBackend() {
  static Win32CommApi* const backend = new Win32CommApi;  // outlives static destructors
  return *backend;
}

}  // namespace platform
