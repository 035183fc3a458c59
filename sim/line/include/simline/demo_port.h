// The serial seam with one port served by an in-process line (instrument_line.h): the port
// object opens, sets and transfers through the seam exactly as on a real port; only the device
// behind that one port name is the line. Every other port, and the events and waits, go to the
// backend beneath. Transfers on the line end at their start (a read waits first, as the port's
// read time-outs say); the line reports what has arrived unread, but no errors, no modem signals
// and no comm events.
//
// Thread rule: install (demo_line.h) before any port is opened and keep it until the port is
// closed. Calls may come from any thread; the line takes one transfer at a time.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "exchange/exchange_port.h"
#include "platform/comm_api.h"

namespace simline {

// The serial seam with one device served by `line`, the rest by `next`.
class DemoPort : public platform::CommApi {
 public:
  using HANDLE = platform::HANDLE;
  using DWORD = platform::DWORD;
  using BOOL = platform::BOOL;

  // `port_name` as the port object is given it ("COM1"); it opens "\\.\" followed by it.
  DemoPort(platform::CommApi& next, exchange::ExchangePort& line, std::string_view port_name);

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
  // The served port has no device of the system's: none is named for it.
  std::string DevicePath(std::string_view port_name) override;

 private:
  bool IsDevice(HANDLE handle);
  // A transfer on the line, done at once: the record says so and its event is set.
  BOOL Transfer(bool write, void* buffer, DWORD count, DWORD* done, platform::OVERLAPPED* ov);

  platform::CommApi& next_;
  exchange::ExchangePort& line_;
  const std::string device_path_;  // "\\.\" + port_name_
  const std::string port_name_;
  std::mutex mutex_;
  // The open device's handle: an event of `next_`, so that no other handle has its value.
  HANDLE device_ = platform::INVALID_HANDLE_VALUE;  // guarded by mutex_
  platform::DCB dcb_{};                             // guarded by mutex_
  platform::COMMTIMEOUTS timeouts_{};               // guarded by mutex_
  // Held across a transfer, which may wait out the line's read time-out, so that the calls
  // on other handles never wait behind it.
  std::mutex line_mutex_;
};

}  // namespace simline
