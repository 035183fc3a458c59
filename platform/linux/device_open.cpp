#include "linux/device_open.h"

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "linux/dcb_mapping.h"
#include "linux/exclusive_claim.h"
#include "linux/serial_ioctls.h"
#include "linux/termios2_io.h"
#include "platform/win_errors.h"

namespace platform::linux_backend {
namespace {

int OpenRetrying(const char* path) {
  for (;;) {
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

OpenError Failure(int err) { return {Win32ErrorFromErrno(err), err}; }

// Gives up a device half-way through opening it. `error` is taken before, as
// closing may change errno.
OpenError Abandon(const OpenedDevice& device, OpenError error) {
  CloseSerialDevice(device);
  return error;
}

}  // namespace

OpenError OpenSerialDevice(const std::string& path, OpenedDevice* device) {
  // A name that resolves to no device fails as open("") would.
  if (path.empty()) return Failure(ENOENT);
  OpenedDevice opening;
  opening.fd = OpenRetrying(path.c_str());
  if (opening.fd < 0) return Failure(errno);

  termios probe{};
  if (::tcgetattr(opening.fd, &probe) != 0) return Abandon(opening, Failure(errno));
  if (::flock(opening.fd, LOCK_EX | LOCK_NB) != 0) {
    return Abandon(opening, {ERROR_ACCESS_DENIED, errno});
  }
  if (int err = posix::TakeUucpLock(path, &opening.lock); err != 0) {
    return Abandon(opening, Failure(err));
  }
  if (int err = ClaimExclusive(opening.fd); err != 0) return Abandon(opening, Failure(err));
  opening.owns_exclusive = true;

  DWORD lines = 0;
  const int modem_err = GetModemStatus(opening.fd, &lines);
  if (modem_err != 0 && !IsUnsupported(modem_err)) return Abandon(opening, Failure(modem_err));

  // A fresh tty is in canonical mode with echo; the layer needs raw bytes
  // from the first read on, whatever the rate and framing left there.
  LineSettings line;
  if (int err = ReadLineSettings(opening.fd, &line); err != 0) {
    return Abandon(opening, Failure(err));
  }
  if (int err = WriteLineSettings(opening.fd, RawLine(line)); err != 0) {
    return Abandon(opening, Failure(err));
  }
  opening.has_modem_lines = modem_err == 0;
  *device = opening;
  return {ERROR_SUCCESS, 0};
}

void CloseSerialDevice(const OpenedDevice& device) {
  if (device.owns_exclusive) ClearExclusiveFlag(device.fd);
  ::close(device.fd);
  // Last, so that whoever finds the lock file gone finds the device free too.
  posix::ReleaseUucpLock(device.lock);
}

}  // namespace platform::linux_backend
