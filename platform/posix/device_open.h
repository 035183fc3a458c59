// Opens a serial device the way CreateFileA opens a COM port: exclusive,
// non-blocking, in raw mode, and finds out whether it is a real UART.
#pragma once

#include <string>

#include "platform/comm_api.h"

namespace platform::posix {

struct OpenedDevice {
  int fd = -1;
  // False for pseudo-terminals (TIOCMGET answers ENOTTY/EINVAL): no modem
  // lines, no error counters, and line settings are accepted as applied.
  bool has_modem_lines = false;
};

// ERROR_SUCCESS and the open device, or the Win32 code of the failure:
// missing device 2, in use or forbidden 5, not a tty (regular file,
// /dev/null) 1. Exclusive use takes both flock(LOCK_EX|LOCK_NB), which binds
// root as well, and TIOCEXCL, which keeps out other programs that do not
// flock.
DWORD OpenSerialDevice(const std::string& path, OpenedDevice* device);

}  // namespace platform::posix
