#include "linux/serial_ioctls.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace platform::linux_backend {
namespace {

template <typename Arg>
int Ioctl(int fd, unsigned long request, Arg arg) {
  for (;;) {
    if (ioctl(fd, request, arg) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

}  // namespace

static_assert(ENOTTY == 25 && EINVAL == 22, "IsUnsupported spells out errno values");

int GetModemStatus(int fd, DWORD* ms_bits) {
  int lines = 0;
  if (const int err = Ioctl(fd, TIOCMGET, &lines); err != 0) return err;
  *ms_bits =
      ((lines & TIOCM_CTS) != 0 ? MS_CTS_ON : 0) | ((lines & TIOCM_DSR) != 0 ? MS_DSR_ON : 0) |
      ((lines & TIOCM_RI) != 0 ? MS_RING_ON : 0) | ((lines & TIOCM_CD) != 0 ? MS_RLSD_ON : 0);
  return 0;
}

int SetModemOutput(int fd, ModemOutput line, bool high) {
  const int bit = line == ModemOutput::kDtr ? TIOCM_DTR : TIOCM_RTS;
  return Ioctl(fd, high ? TIOCMBIS : TIOCMBIC, &bit);
}

int ReadExclusiveFlag(int fd, bool* set) {
  int flag = 0;
  if (const int err = Ioctl(fd, TIOCGEXCL, &flag); err != 0 && !IsUnsupported(err)) return err;
  *set = flag != 0;
  return 0;
}

int SetExclusiveFlag(int fd) { return Ioctl(fd, TIOCEXCL, nullptr); }

int ClearExclusiveFlag(int fd) { return Ioctl(fd, TIOCNXCL, nullptr); }

int SetRs485Toggle(int fd, bool enabled) {
  serial_rs485 rs485{};
  if (const int err = Ioctl(fd, TIOCGRS485, &rs485); err != 0) return err;
  if (enabled) {
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~static_cast<__u32>(SER_RS485_RTS_AFTER_SEND);
  } else {
    rs485.flags &= ~static_cast<__u32>(SER_RS485_ENABLED);
  }
  return Ioctl(fd, TIOCSRS485, &rs485);
}

int GetLineCounters(int fd, LineCounters* counters) {
  serial_icounter_struct icount{};
  if (const int err = Ioctl(fd, TIOCGICOUNT, &icount); err != 0) return err;
  counters->frame = static_cast<std::uint32_t>(icount.frame);
  counters->overrun = static_cast<std::uint32_t>(icount.overrun);
  counters->parity = static_cast<std::uint32_t>(icount.parity);
  counters->brk = static_cast<std::uint32_t>(icount.brk);
  counters->buf_overrun = static_cast<std::uint32_t>(icount.buf_overrun);
  return 0;
}

DWORD ErrorWordBetween(const LineCounters& before, const LineCounters& now) {
  return (now.frame != before.frame ? CE_FRAME : 0) |
         (now.overrun != before.overrun ? CE_OVERRUN : 0) |
         (now.parity != before.parity ? CE_RXPARITY : 0) | (now.brk != before.brk ? CE_BREAK : 0) |
         (now.buf_overrun != before.buf_overrun ? CE_RXOVER : 0);
}

int InputQueueBytes(int fd, DWORD* bytes) {
  int n = 0;
  if (const int err = Ioctl(fd, FIONREAD, &n); err != 0) return err;
  *bytes = n > 0 ? static_cast<DWORD>(n) : 0;
  return 0;
}

int OutputQueueBytes(int fd, DWORD* bytes) {
  int n = 0;
  if (const int err = Ioctl(fd, TIOCOUTQ, &n); err != 0) return err;
  *bytes = n > 0 ? static_cast<DWORD>(n) : 0;
  return 0;
}

}  // namespace platform::linux_backend
