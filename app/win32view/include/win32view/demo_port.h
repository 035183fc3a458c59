// The built-in instrument of --demo: COM1 is served by the simulated instrument on an
// in-process line (simline/instrument_line.h), so the window shows readings on a PC with no
// adapter. The port object opens, sets and transfers through the serial seam exactly as on a
// real port; only the device behind "\\.\COM1" is the line. Every other port, and the events
// and waits, go to the system's own backend.
//
// Thread rule: install (demo_instrument.h) on the window thread before any port is opened, and
// keep it until the port is closed; the calls then come from the window thread and the
// exchange worker, which never overlap on the device.
#pragma once

#include <mutex>
#include <string>

#include "exchange/exchange_port.h"
#include "platform/comm_api.h"

namespace win32view {

// The serial seam with one device served by `line`, the rest by `next`.
class DemoPort : public platform::CommApi {
 public:
  using HANDLE = platform::HANDLE;
  using DWORD = platform::DWORD;
  using BOOL = platform::BOOL;

  // `device_path` as the component opens it ("\\.\COM1").
  DemoPort(platform::CommApi& next, exchange::ExchangePort& line, std::string device_path);

  HANDLE CreateFileA(const char* path, DWORD access, DWORD share_mode, void* security,
                     DWORD disposition, DWORD flags, HANDLE template_file) override;
  BOOL CloseHandle(HANDLE handle) override;
  BOOL SetupComm(HANDLE dev, DWORD in_queue, DWORD out_queue) override;
  BOOL SetCommState(HANDLE dev, const platform::DCB* dcb) override;
  BOOL GetCommState(HANDLE dev, platform::DCB* dcb) override;
  BOOL SetCommTimeouts(HANDLE dev, const platform::COMMTIMEOUTS* timeouts) override;
  BOOL GetCommTimeouts(HANDLE dev, platform::COMMTIMEOUTS* timeouts) override;
  BOOL WriteFile(HANDLE dev, const void* buffer, DWORD count, DWORD* written,
                 platform::OVERLAPPED* ov) override;
  BOOL ReadFile(HANDLE dev, void* buffer, DWORD count, DWORD* read,
                platform::OVERLAPPED* ov) override;
  BOOL GetOverlappedResult(HANDLE dev, platform::OVERLAPPED* ov, DWORD* transferred,
                           BOOL wait) override;
  BOOL PurgeComm(HANDLE dev, DWORD flags) override;
  BOOL ClearCommError(HANDLE dev, DWORD* errors, platform::COMSTAT* stat) override;
  BOOL GetCommModemStatus(HANDLE dev, DWORD* status) override;
  BOOL SetCommMask(HANDLE dev, DWORD mask) override;
  BOOL WaitCommEvent(HANDLE dev, DWORD* mask, platform::OVERLAPPED* ov) override;
  HANDLE CreateEventA(void* security, BOOL manual_reset, BOOL initial_state,
                      const char* name) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms) override;
  DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                               DWORD timeout_ms) override;
  DWORD GetLastError() override;
  void SetLastError(DWORD code) override;
  int GetLastSystemError() override;

 private:
  bool IsDevice(HANDLE handle);
  // A transfer on the line, done at once: the record says so and its event is set.
  BOOL Transfer(bool write, void* buffer, DWORD count, DWORD* done, platform::OVERLAPPED* ov);

  platform::CommApi& next_;
  exchange::ExchangePort& line_;
  const std::string device_path_;
  std::mutex mutex_;
  // The open device's handle: an event of `next_`, so that no other handle has its value.
  HANDLE device_ = platform::INVALID_HANDLE_VALUE;  // guarded by mutex_
  platform::DCB dcb_{};                             // guarded by mutex_
  platform::COMMTIMEOUTS timeouts_{};               // guarded by mutex_
};

}  // namespace win32view
