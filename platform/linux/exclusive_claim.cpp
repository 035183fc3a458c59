#include "linux/exclusive_claim.h"

#include <sys/stat.h>

#include <cerrno>

#include "linux/device_holders.h"
#include "linux/serial_ioctls.h"

namespace platform::linux_backend {

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

}  // namespace platform::linux_backend
