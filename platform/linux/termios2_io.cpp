// Deliberately without <termios.h>: <asm/termbits.h> defines the same names
// with the kernel's layout.
#include "linux/termios2_io.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace platform::linux_backend {
namespace {

constexpr std::uint32_t kSpeedBits = CBAUD | CIBAUD;

int Ioctl(int fd, unsigned long request, termios2* t) {
  for (;;) {
    if (ioctl(fd, request, t) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

}  // namespace

int ReadLineSettings(int fd, LineSettings* settings) {
  termios2 t{};
  if (const int err = Ioctl(fd, TCGETS2, &t); err != 0) return err;
  settings->iflag = t.c_iflag;
  settings->oflag = t.c_oflag;
  settings->cflag = t.c_cflag & ~kSpeedBits;
  settings->lflag = t.c_lflag;
  settings->baud = t.c_ospeed;
  settings->start_char = t.c_cc[VSTART];
  settings->stop_char = t.c_cc[VSTOP];
  return 0;
}

int WriteLineSettings(int fd, const LineSettings& settings) {
  termios2 t{};
  if (const int err = Ioctl(fd, TCGETS2, &t); err != 0) return err;
  t.c_iflag = settings.iflag;
  t.c_oflag = settings.oflag;
  t.c_cflag = (settings.cflag & ~kSpeedBits) | BOTHER | (BOTHER << IBSHIFT);
  t.c_lflag = settings.lflag;
  t.c_ispeed = settings.baud;
  t.c_ospeed = settings.baud;
  t.c_cc[VSTART] = settings.start_char;
  t.c_cc[VSTOP] = settings.stop_char;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  return Ioctl(fd, TCSETS2, &t);
}

}  // namespace platform::linux_backend
