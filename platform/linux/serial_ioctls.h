// Thin wrappers over the serial ioctls the layer uses. Each returns 0 or the
// errno of the failed call; IsUnsupported() tells "this device has no such
// thing" (a pseudo-terminal has no modem lines and no error counters) from a
// real failure.
#pragma once

#include <cstdint>

#include "platform/comm_api.h"

namespace platform::linux_backend {

inline bool IsUnsupported(int err) { return err == 25 /*ENOTTY*/ || err == 22 /*EINVAL*/; }

// Modem input lines as MS_*_ON bits.
int GetModemStatus(int fd, DWORD* ms_bits);

enum class ModemOutput { kDtr, kRts };
int SetModemOutput(int fd, ModemOutput line, bool high);

// The tty's exclusive flag: while set, open() refuses everyone but root
// (CAP_SYS_ADMIN) with EBUSY. A kernel that cannot report it (no TIOCGEXCL)
// reads as not set.
int ReadExclusiveFlag(int fd, bool* set);
int SetExclusiveFlag(int fd);    // TIOCEXCL
int ClearExclusiveFlag(int fd);  // TIOCNXCL

// Driver-side RS485 direction control by RTS (RTS high while sending).
int SetRs485Toggle(int fd, bool enabled);

// The kernel's cumulative line-error counters.
struct LineCounters {
  std::uint32_t frame = 0;
  std::uint32_t overrun = 0;
  std::uint32_t parity = 0;
  std::uint32_t brk = 0;
  std::uint32_t buf_overrun = 0;
};
int GetLineCounters(int fd, LineCounters* counters);

// The CE_* word for the errors counted between `before` and `now` (counters
// wrap, so unsigned differences are right).
DWORD ErrorWordBetween(const LineCounters& before, const LineCounters& now);

// Bytes in the kernel's input and output queues.
int InputQueueBytes(int fd, DWORD* bytes);
int OutputQueueBytes(int fd, DWORD* bytes);

}  // namespace platform::linux_backend
