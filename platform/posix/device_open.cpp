#include "posix/device_open.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/win_errors.h"
#include "posix/dcb_mapping.h"
#include "posix/serial_ioctls.h"
#include "posix/termios2_io.h"

namespace platform::posix {
namespace {

int OpenRetrying(const char* path) {
  for (;;) {
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

// The Win32 code for the failure `err` of the step after open(); closes `fd`.
DWORD Fail(int fd, DWORD code) {
  ::close(fd);
  return code;
}

}  // namespace

DWORD OpenSerialDevice(const std::string& path, OpenedDevice* device) {
  if (path.empty()) return ERROR_FILE_NOT_FOUND;
  const int fd = OpenRetrying(path.c_str());
  if (fd < 0) return Win32ErrorFromErrno(errno);

  termios probe{};
  if (::tcgetattr(fd, &probe) != 0) {
    return Fail(fd, errno == ENOTTY ? ERROR_INVALID_FUNCTION : Win32ErrorFromErrno(errno));
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return Fail(fd, ERROR_ACCESS_DENIED);
  if (::ioctl(fd, TIOCEXCL) != 0) return Fail(fd, Win32ErrorFromErrno(errno));

  DWORD lines = 0;
  const int modem_err = GetModemStatus(fd, &lines);
  if (modem_err != 0 && !IsUnsupported(modem_err)) return Fail(fd, Win32ErrorFromErrno(modem_err));

  // A fresh tty is in canonical mode with echo; the layer needs raw bytes
  // from the first read on, whatever the rate and framing left there.
  LineSettings line;
  if (int err = ReadLineSettings(fd, &line); err != 0) return Fail(fd, Win32ErrorFromErrno(err));
  if (int err = WriteLineSettings(fd, RawLine(line)); err != 0) {
    return Fail(fd, Win32ErrorFromErrno(err));
  }
  device->fd = fd;
  device->has_modem_lines = modem_err == 0;
  return ERROR_SUCCESS;
}

}  // namespace platform::posix
