#include "posix/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace platform::posix {
namespace {

// Enough for ten digits, a newline and some slack; a longer file names no process.
constexpr std::size_t kMaxLockText = 32;
// Rounds of "stale, removed, created by someone else meanwhile" before giving up as busy.
constexpr int kTakeAttempts = 3;

enum class Holder { kNone, kUnknown, kAlive, kGone };

bool Alive(pid_t pid) {
  // A lock file naming this process is left over from an earlier process
  // that had the same id: this process's own handles are kept apart by
  // flock before their lock file is taken.
  if (pid == ::getpid()) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The lock file's text: 0, or the errno of the failed read (EFBIG: too long to name a process).
int ReadLockFile(const std::string& path, std::string* text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return errno;
  char buffer[kMaxLockText + 1];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  const int err = got < 0 ? errno : 0;
  ::close(fd);
  if (err != 0) return err;
  if (static_cast<std::size_t>(got) > kMaxLockText) return EFBIG;
  text->assign(buffer, static_cast<std::size_t>(got));
  return 0;
}

Holder LockHolder(const std::string& path) {
  std::string text;
  if (const int err = ReadLockFile(path, &text); err != 0) {
    return err == ENOENT ? Holder::kNone : Holder::kUnknown;
  }
  const std::optional<pid_t> pid = ParseLockPid(text);
  if (!pid) return Holder::kUnknown;
  return Alive(*pid) ? Holder::kAlive : Holder::kGone;
}

// Fills the file just created; a file that cannot say who we are is no lock.
void WriteOwnPid(int fd, const std::string& path, UucpLock* lock) {
  const std::string text = FormatLockPid(::getpid());
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (written) {
    lock->path = path;
  } else {
    ::unlink(path.c_str());
  }
}

bool IsDirectory(const char* path) {
  struct stat info {};
  return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string UucpLockDir() {
  if (const char* chosen = std::getenv("VLK240_LOCK_DIR"); chosen != nullptr && *chosen != '\0') {
    return chosen;
  }
  return IsDirectory("/run/lock") ? "/run/lock" : "/var/lock";
}

std::string UucpLockName(const std::string& device_path) {
  std::string name = device_path;
  if (char* resolved = ::realpath(device_path.c_str(), nullptr); resolved != nullptr) {
    name = resolved;
    std::free(resolved);
  }
  constexpr std::string_view kDev = "/dev/";
  if (name.rfind(kDev, 0) == 0) {
    name.erase(0, kDev.size());
    for (char& c : name) {
      if (c == '/') c = '_';
    }
  } else {
    name.erase(0, name.find_last_of('/') + 1);
  }
  return "LCK.." + name;
}

std::optional<pid_t> ParseLockPid(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const std::size_t digits = text.find_first_not_of(' ');
  if (digits == std::string_view::npos) return std::nullopt;
  text.remove_prefix(digits);
  long long pid = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
  if (error != std::errc() || end != text.data() + text.size() || pid <= 0 || pid > INT_MAX) {
    return std::nullopt;
  }
  return static_cast<pid_t>(pid);
}

std::string FormatLockPid(pid_t pid) {
  char text[kMaxLockText];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
  return text;
}

int TakeUucpLock(const std::string& device_path, UucpLock* lock) {
  const std::string path = UucpLockDir() + "/" + UucpLockName(device_path);
  for (int attempt = 0; attempt < kTakeAttempts; ++attempt) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd >= 0) {
      // Readable by every program that asks whose the port is, whatever our umask (a service
      // with UMask=0077 would make it 0600).
      ::fchmod(fd, 0644);
      WriteOwnPid(fd, path, lock);
      return 0;
    }
    // No lock folder, or not ours to write in: the port goes without a lock file.
    if (errno != EEXIST) return 0;
    switch (LockHolder(path)) {
      case Holder::kNone:
        continue;
      case Holder::kGone:
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) return 0;
        continue;
      case Holder::kAlive:
      case Holder::kUnknown:
        return EBUSY;
    }
  }
  return EBUSY;
}

void ReleaseUucpLock(const UucpLock& lock) {
  if (lock.path.empty()) return;
  std::string text;
  if (ReadLockFile(lock.path, &text) == 0 && ParseLockPid(text) == ::getpid()) {
    ::unlink(lock.path.c_str());
  }
}

}  // namespace platform::posix
