#include "linux/device_holders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <memory>
#include <string>
#include <string_view>

namespace platform::linux_backend {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

// The number a /proc entry or descriptor entry is named by; -1 for any other name.
long NumberNamed(const char* name) {
  const std::string_view text = name;
  long number = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() ? number : -1;
}

bool TableHoldsDevice(const std::string& fd_dir, dev_t device, long skipped_fd) {
  const Dir table(::opendir(fd_dir.c_str()));
  if (!table) return false;
  while (const dirent* entry = ::readdir(table.get())) {
    const long fd = NumberNamed(entry->d_name);
    if (fd < 0 || fd == skipped_fd) continue;
    // stat follows the descriptor's link to the open file itself.
    struct stat info {};
    if (::fstatat(::dirfd(table.get()), entry->d_name, &info, 0) == 0 && S_ISCHR(info.st_mode) &&
        info.st_rdev == device) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool OthersHoldDevice(dev_t device, int own_fd) {
  const Dir proc(::opendir("/proc"));
  // Without /proc nobody can be seen: the device counts as held, never taken from a holder.
  if (!proc) return true;
  const long self = ::getpid();
  while (const dirent* entry = ::readdir(proc.get())) {
    const long pid = NumberNamed(entry->d_name);
    if (pid <= 0) continue;
    const std::string fd_dir = "/proc/" + std::string(entry->d_name) + "/fd";
    if (TableHoldsDevice(fd_dir, device, pid == self ? own_fd : -1)) return true;
  }
  return false;
}

}  // namespace platform::linux_backend
