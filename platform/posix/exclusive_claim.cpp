#include "posix/exclusive_claim.h"

#include <sys/stat.h>

#include <cerrno>

#include "posix/device_holders.h"
#include "posix/serial_ioctls.h"

namespace platform::posix {

int ClaimExclusive(int fd) {
  bool set = false;
  if (const int err = ReadExclusiveFlag(fd, &set); err != 0) return err;
  if (set) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return errno;
    if (OthersHoldDevice(info.st_rdev, fd)) return EBUSY;
  }
  return SetExclusiveFlag(fd);
}

}  // namespace platform::posix
