// Win32-shaped serial communications calls, the one seam between the serial
// port component and the operating system.
//
// The component is written against the Win32 communications interface
// (CreateFileA on "\\.\NAME", DCB, COMMTIMEOUTS, overlapped transfers with
// events, PurgeComm, ClearCommError, modem status, comm events). Linux has none
// of it, so `LinuxCommApi` gives the behaviour the component relies on over
// termios, poll() and Linux ioctls; on Windows the win32/ backend forwards each
// call to kernel32 unchanged. Tests replace the current backend with a
// recording fake through `ScopedCommApi`. The table below is what the Linux
// backend does; on Windows the system's serial driver does it.
//
// Semantics the component relies on (each row has a test in tests/platform):
// | call                 | behaviour                                                         |
// |----------------------|-------------------------------------------------------------------|
// | CreateFileA          | "\\.\COMn" resolves by port_names.h; exclusive (second open: 5,  |
// |                      | flock + TIOCEXCL); missing 2, not a tty 1; errno mapped by the one |
// |                      | table of win_errors.h; non-blocking fd; the line is put in raw mode |
// | SetupComm            | queue sizes in bytes; 0 keeps the size a queue has; above         |
// |                      | 0x7FFFFFFF fails with 87; the input size sets where EV_RX80FULL   |
// |                      | fires (80 per cent of it)                                         |
// | SetCommState         | DCB -> termios2 (any rate via BOTHER); what Linux cannot honour    |
// |                      | fails with 87 and leaves the line as it was; on a pseudo-terminal  |
// |                      | the settings are taken as applied (it has no line to set)          |
// | GetCommState         | the last DCB set (before that: the device's settings)             |
// | SetCommTimeouts      | read ends at Count bytes, at Mult*Count+Const ms, or at an        |
// |                      | inter-byte gap > Interval; MAXDWORD/0/0 returns what is queued;   |
// |                      | MAXDWORD/m/c only turns the gap timer off; 0/0/0 waits without    |
// |                      | limit; writes end at WriteMult*Count+WriteConst ms; millisecond   |
// |                      | precision on CLOCK_MONOTONIC                                      |
// | ReadFile/WriteFile   | overlapped: reset the event, then TRUE when done at once, else    |
// |                      | FALSE + 997; the event is set when the transfer ends; a time-out  |
// |                      | is success with a short count; reads form a FIFO and only the     |
// |                      | head runs (its time-outs start then); so do writes; a write ends  |
// |                      | once its bytes have left the port (the kernel's output queue      |
// |                      | drained, looked at every 1 ms; a pty has none), and on its        |
// |                      | time-out drops and does not count what had not left; fNull drops  |
// |                      | NULs; a hung-up device fails the transfer with 31 (hang-up: the   |
// |                      | kernel's POLLHUP/POLLERR or EIO; input that another thread took   |
// |                      | first is none)                                                    |
// | ...AndWait           | the transfer and its wait as above; the waiting thread serves it  |
// |                      | from its start, with no look by the I/O thread prepared meanwhile |
// | GetOverlappedResult  | count and status of an ended transfer; 996 while pending and      |
// |                      | wait FALSE; wait TRUE blocks, from any thread                     |
// | PurgeComm            | RXCLEAR drops queued input; TXCLEAR drops nothing, as ended       |
// |                      | writes have left the port and a pending one keeps its bytes (on a |
// |                      | pty a flush would drop what the other end has not read yet);      |
// |                      | RXABORT/TXABORT end pending transfers at once with 995, and what  |
// |                      | an aborted write had not sent stays unsent; no aborted transfer   |
// |                      | touches its buffer after the call returned                        |
// | ClearCommError       | error word as deltas of the kernel counters (none on a pty);      |
// |                      | cbInQue = kernel + layer queue; cbOutQue = kernel + unaccepted    |
// | GetCommModemStatus   | MS_*_ON bits; a device without modem lines reports all off        |
// | WaitCommEvent        | one pending wait (a second: 87); completes with the events seen   |
// |                      | since the last wait ended; fails with 31 when the device is gone  |
// | SetCommMask          | ends a pending WaitCommEvent successfully with mask 0             |
// | CloseHandle          | aborts pending transfers and drops what they left unsent, so it   |
// |                      | never waits on a stalled line; nothing touches the handle after;  |
// |                      | the tty is free for other programs again (TIOCNXCL, also after a  |
// |                      | failed open); an unknown handle fails with 6, and so does a       |
// |                      | second close while the first runs; the closing call returns once  |
// |                      | the device is free                                                |
// | CreateEventA, Wait*  | manual/auto-reset events; waits with and without time-out, on one |
// |                      | or several events; SetEvent wakes only that event's waiters; a    |
// |                      | wait for the event of one pending transfer serves it on the       |
// |                      | waiting thread (same outcome, one wake-up fewer), and the         |
// |                      | transfer ends on time also when its waiter gives up               |
// | GetLastError         | per thread                                                        |
// | GetLastSystemError   | per thread, set with GetLastError: the errno of a failed open;    |
// |                      | 0 for failures the layer reports without one                      |
//
// While a transfer pends its OVERLAPPED's Internal holds ERROR_IO_PENDING.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/port_names.h"

namespace platform {

using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using BOOL = int;
// A handle's value: on Linux a small integer of the layer's own handle table,
// on Windows the system's HANDLE itself (a pointer-sized value, which intptr_t
// holds whole). -1 is invalid on both, as INVALID_HANDLE_VALUE is on Windows.
using HANDLE = std::intptr_t;

inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;
inline constexpr DWORD MAXDWORD = 0xFFFFFFFFu;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;

// CreateFileA arguments the component passes.
inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;

// Wait results.
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// PurgeComm flags.
inline constexpr DWORD PURGE_TXABORT = 0x0001;
inline constexpr DWORD PURGE_RXABORT = 0x0002;
inline constexpr DWORD PURGE_TXCLEAR = 0x0004;
inline constexpr DWORD PURGE_RXCLEAR = 0x0008;

// ClearCommError error word.
inline constexpr DWORD CE_RXOVER = 0x0001;
inline constexpr DWORD CE_OVERRUN = 0x0002;
inline constexpr DWORD CE_RXPARITY = 0x0004;
inline constexpr DWORD CE_FRAME = 0x0008;
inline constexpr DWORD CE_BREAK = 0x0010;
inline constexpr DWORD CE_TXFULL = 0x0100;
inline constexpr DWORD CE_IOE = 0x0400;
inline constexpr DWORD CE_MODE = 0x8000;

// GetCommModemStatus bits.
inline constexpr DWORD MS_CTS_ON = 0x0010;
inline constexpr DWORD MS_DSR_ON = 0x0020;
inline constexpr DWORD MS_RING_ON = 0x0040;
inline constexpr DWORD MS_RLSD_ON = 0x0080;

// Comm event mask bits (SetCommMask / WaitCommEvent).
inline constexpr DWORD EV_RXCHAR = 0x0001;
inline constexpr DWORD EV_RXFLAG = 0x0002;
inline constexpr DWORD EV_TXEMPTY = 0x0004;
inline constexpr DWORD EV_CTS = 0x0008;
inline constexpr DWORD EV_DSR = 0x0010;
inline constexpr DWORD EV_RLSD = 0x0020;
inline constexpr DWORD EV_BREAK = 0x0040;
inline constexpr DWORD EV_ERR = 0x0080;
inline constexpr DWORD EV_RING = 0x0100;
inline constexpr DWORD EV_PERR = 0x0200;
inline constexpr DWORD EV_RX80FULL = 0x0400;

// DCB values.
inline constexpr BYTE NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
inline constexpr BYTE ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;
inline constexpr DWORD DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2,
                       RTS_CONTROL_TOGGLE = 3;

// Bits of the DCB flag word.
inline constexpr DWORD DCB_fBinary = 1u << 0;
inline constexpr DWORD DCB_fParity = 1u << 1;
inline constexpr DWORD DCB_fOutxCtsFlow = 1u << 2;
inline constexpr DWORD DCB_fOutxDsrFlow = 1u << 3;
inline constexpr DWORD DCB_fDtrControlShift = 4;  // two bits
inline constexpr DWORD DCB_fDsrSensitivity = 1u << 6;
inline constexpr DWORD DCB_fTXContinueOnXoff = 1u << 7;
inline constexpr DWORD DCB_fOutX = 1u << 8;
inline constexpr DWORD DCB_fInX = 1u << 9;
inline constexpr DWORD DCB_fErrorChar = 1u << 10;
inline constexpr DWORD DCB_fNull = 1u << 11;
inline constexpr DWORD DCB_fRtsControlShift = 12;  // two bits
inline constexpr DWORD DCB_fAbortOnError = 1u << 14;

// The 28-byte device control block, field for field.
struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD Flags;  // DCB_f* bits
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
static_assert(sizeof(DCB) == 28, "DCB must keep the 28-byte Win32 layout");

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};

struct COMSTAT {
  DWORD Flags;
  DWORD cbInQue;
  DWORD cbOutQue;
};

struct OVERLAPPED {
  std::uintptr_t Internal;      // status of the transfer (0 success, else a Win32 code)
  std::uintptr_t InternalHigh;  // bytes transferred
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;  // manual-reset event, set when the transfer ends
};

// The calls of the seam. Each returns and reports exactly as its Win32
// namesake; failures leave their code for GetLastError on the calling thread.
class CommApi {
 public:
  virtual ~CommApi() = default;

  virtual HANDLE CreateFileA(const char* path, DWORD access, DWORD share_mode, void* security,
                             DWORD disposition, DWORD flags, HANDLE template_file) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;

  virtual BOOL SetupComm(HANDLE dev, DWORD in_queue, DWORD out_queue) = 0;
  virtual BOOL SetCommState(HANDLE dev, const DCB* dcb) = 0;
  virtual BOOL GetCommState(HANDLE dev, DCB* dcb) = 0;
  virtual BOOL SetCommTimeouts(HANDLE dev, const COMMTIMEOUTS* timeouts) = 0;
  virtual BOOL GetCommTimeouts(HANDLE dev, COMMTIMEOUTS* timeouts) = 0;

  virtual BOOL WriteFile(HANDLE dev, const void* buffer, DWORD count, DWORD* written,
                         OVERLAPPED* ov) = 0;
  virtual BOOL ReadFile(HANDLE dev, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov) = 0;
  virtual BOOL GetOverlappedResult(HANDLE dev, OVERLAPPED* ov, DWORD* transferred, BOOL wait) = 0;
  // An overlapped WriteFile or ReadFile on `ov`, which has an event, then WaitForSingleObject on
  // that event without a time limit: the transfer of a caller that waits for it at once. False
  // when the start failed (its code for GetLastError, never 997); otherwise true, with the wait's
  // result in *wait (WAIT_FAILED leaves the wait's code for GetLastError). By default exactly
  // those calls; a backend that serves a transfer on the thread that waits for it (Linux) need
  // not prepare, as after a bare start, for a starter that does not come to wait.
  virtual BOOL WriteFileAndWait(HANDLE dev, const void* buffer, DWORD count, OVERLAPPED* ov,
                                DWORD* wait);
  virtual BOOL ReadFileAndWait(HANDLE dev, void* buffer, DWORD count, OVERLAPPED* ov, DWORD* wait);

  virtual BOOL PurgeComm(HANDLE dev, DWORD flags) = 0;
  virtual BOOL ClearCommError(HANDLE dev, DWORD* errors, COMSTAT* stat) = 0;
  virtual BOOL GetCommModemStatus(HANDLE dev, DWORD* status) = 0;

  virtual BOOL SetCommMask(HANDLE dev, DWORD mask) = 0;
  virtual BOOL WaitCommEvent(HANDLE dev, DWORD* mask, OVERLAPPED* ov) = 0;

  // Events: CreateEventA(no attributes, manual_reset, initial_state, no name).
  virtual HANDLE CreateEventA(void* security, BOOL manual_reset, BOOL initial_state,
                              const char* name) = 0;
  virtual BOOL SetEvent(HANDLE event) = 0;
  virtual BOOL ResetEvent(HANDLE event) = 0;
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms) = 0;
  virtual DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                                       DWORD timeout_ms) = 0;

  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD code) = 0;
  // The operating system's own code (errno) behind the calling thread's last
  // failure, which tells apart what one Win32 code covers ("access denied" is
  // a forbidden device and a busy one alike); 0 when the backend knows none.
  // On Windows the system's own code is the Win32 code of that failure.
  virtual int GetLastSystemError() { return 0; }

  // The system's device behind `port_name`, for traces and messages: by the system's rule
  // (port_names.h), or "" where the backend serves the port without one.
  virtual std::string DevicePath(std::string_view port_name) { return ResolvePortName(port_name); }
};

// The backend in force for the whole process: the system's own (Linux or
// Win32) unless a test installed another with ScopedCommApi.
CommApi& Comm();

// Installs `api` as the backend for its lifetime: a test's fake, or the demo's
// line (simline/demo_line.h). Install before any thread that uses the seam
// starts and remove after the last has ended (not safe against calls in flight).
class ScopedCommApi {
 public:
  explicit ScopedCommApi(CommApi& api);
  ~ScopedCommApi();
  ScopedCommApi(const ScopedCommApi&) = delete;
  ScopedCommApi& operator=(const ScopedCommApi&) = delete;

 private:
  CommApi* previous_;
};

}  // namespace platform
