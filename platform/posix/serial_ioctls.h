// Thin wrappers over the serial ioctls the layer uses. Each returns 0 or the
// errno of the failed call; IsUnsupported() tells "this device has no such
// thing" (a pseudo-terminal has no modem lines and no error counters) from a
// real failure.
#pragma once

#include <cstdint>

#include "platform/comm_api.h"

namespace platform::posix {

inline bool IsUnsupported(int err) { return err == 25 /*ENOTTY*/ || err == 22 /*EINVAL*/; }

// Modem input lines as MS_*_ON bits.
int GetModemStatus(int fd, DWORD* ms_bits);

enum class ModemOutput { kDtr, kRts };
int SetModemOutput(int fd, ModemOutput line, bool high);

// Keeps other programs from opening the tty (TIOCEXCL); *taken tells whether
// this call set the flag. Root may open a tty that another program already
// holds so; that claim is not ours to give back.
int TakeExclusive(int fd, bool* taken);
// Gives the claim back (TIOCNXCL). The kernel keeps the flag while any
// descriptor of the tty stays open, such as a pseudo-terminal's master, so a
// claim left behind would lock out every later open.
int GiveBackExclusive(int fd);

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

}  // namespace platform::posix
