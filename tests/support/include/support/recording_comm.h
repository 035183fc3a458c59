// A recording fake of the communications seam for tests: every call is logged
// with its arguments, results and last-error codes can be scripted, and
// overlapped transfers complete at once or stay pending until completed or
// aborted. Install it with platform::ScopedCommApi.
//
// Thread rule: any thread; one mutex guards the fake's state, and a waiting
// WaitForSingleObject does not hold it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/comm_api.h"

namespace vlk_test {

struct CommCall {
  std::string name;                 // the seam's function name
  std::vector<std::uint64_t> args;  // numeric arguments in order (pointers left out)
  std::string path;                 // CreateFileA's path
};

class RecordingComm : public platform::CommApi {
 public:
  using DWORD = platform::DWORD;
  using HANDLE = platform::HANDLE;
  using BOOL = platform::BOOL;

  // --- Scripting ---
  // The next call of `name` fails with `error` (queued per name).
  void FailNext(std::string_view name, DWORD error);
  // Bytes that reads take from, in order.
  void QueueInput(const std::vector<std::uint8_t>& bytes);
  // Reads stay pending (ERROR_IO_PENDING) until CompletePendingRead or an abort.
  void SetReadsPending(bool pending);
  // Completes the oldest pending read with whatever input is queued.
  void CompletePendingRead();
  void SetModemStatus(DWORD status);
  // The error word the next ClearCommError reports (then cleared) and the
  // input queue count it reports (default: the queued input).
  void SetLineErrors(DWORD errors);
  void SetInputQueueCount(DWORD count);
  // Ends the pending WaitCommEvent with `mask`, or, when none is pending,
  // lets the next one complete at once with it (queued in order).
  void CompleteCommEvent(DWORD mask);

  // --- Inspection ---
  std::vector<CommCall> Calls() const;
  std::vector<std::string> CallNames() const;
  std::size_t CountOf(std::string_view name) const;
  void ClearCalls();
  std::vector<platform::DCB> Dcbs() const;
  std::vector<platform::COMMTIMEOUTS> Timeouts() const;
  std::vector<std::uint8_t> Written() const;
  std::size_t OpenHandles() const;
  std::size_t PendingReads() const;
  bool CommEventPending() const;

  // --- The seam ---
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

 private:
  enum class Kind { kDevice, kEvent };
  struct Object {
    Kind kind;
    bool signalled = false;
  };
  struct PendingRead {
    std::uint8_t* buffer;
    DWORD count;
    platform::OVERLAPPED* ov;
  };

  // Logs the call; true when a scripted failure applies (last error set).
  bool Enter(std::string_view name, std::vector<std::uint64_t> args, std::string path = {});
  bool IsDevice(HANDLE handle) const;
  BOOL Fail(DWORD error);
  void Complete(platform::OVERLAPPED* ov, DWORD status, DWORD count);
  DWORD TakeInput(std::uint8_t* buffer, DWORD count);

  mutable std::mutex mutex_;
  std::condition_variable signalled_;
  std::vector<CommCall> calls_;
  std::map<std::string, std::deque<DWORD>, std::less<>> failures_;
  std::map<HANDLE, Object> objects_;
  HANDLE next_handle_ = 100;
  std::map<std::thread::id, DWORD> last_error_;
  std::deque<std::uint8_t> input_;
  bool reads_pending_ = false;
  std::deque<PendingRead> pending_reads_;
  struct PendingWait {
    DWORD* mask;
    platform::OVERLAPPED* ov;
  };
  std::optional<PendingWait> pending_wait_;
  std::deque<DWORD> comm_events_;
  DWORD modem_status_ = 0;
  DWORD line_errors_ = 0;
  bool in_queue_scripted_ = false;
  DWORD in_queue_ = 0;
  std::vector<platform::DCB> dcbs_;
  std::vector<platform::COMMTIMEOUTS> timeouts_;
  std::vector<std::uint8_t> written_;
};

}  // namespace vlk_test
