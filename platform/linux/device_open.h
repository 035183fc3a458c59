// Opens a serial device the way CreateFileA opens a COM port: exclusive,
// non-blocking, in raw mode, and finds out whether it is a real UART.
#pragma once

#include <string>

#include "platform/comm_api.h"
#include "posix/uucp_lock.h"

namespace platform::linux_backend {

struct OpenedDevice {
  int fd = -1;
  // False for pseudo-terminals (TIOCMGET answers ENOTTY/EINVAL): no modem
  // lines, no error counters, and line settings are accepted as applied.
  bool has_modem_lines = false;
  // This open set the tty's exclusive flag, so closing must clear it.
  bool owns_exclusive = false;
  // The lock file this open created, removed at close.
  posix::UucpLock lock;
};

// Why an open failed: the Win32 code, and the errno behind it (0 when none).
struct OpenError {
  DWORD code = 0;
  int system_error = 0;
};

// ERROR_SUCCESS and the open device, or the failure: missing device 2, in use
// or forbidden 5, not a tty (regular file, /dev/null) 1. Exclusive use takes
// flock(LOCK_EX|LOCK_NB), which binds root as well; the lock file of the
// terminal programs that use one; and the exclusive flag, which keeps out
// other programs that use neither, and which root respects here as well
// while another program holds the device.
OpenError OpenSerialDevice(const std::string& path, OpenedDevice* device);

// Closes what OpenSerialDevice opened, giving the exclusive claim back first.
void CloseSerialDevice(const OpenedDevice& device);

}  // namespace platform::linux_backend
