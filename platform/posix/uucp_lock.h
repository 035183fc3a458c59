// The lock file that terminal programs on Unix systems agree on: "LCK..<tty>" in the
// lock folder, holding its owner's process id as ten ASCII characters,
// right-aligned, and a newline. A file whose process is alive means the port
// is in use; one whose process is gone is stale and may be replaced.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The lock folder: $VLK240_LOCK_DIR when set, else /run/lock, else /var/lock.
std::string UucpLockDir();

// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3: the device's
// name under /dev with '/' as '_', after resolving links (a by-id name locks
// the same file as the node it points to); the base name outside /dev.
std::string UucpLockName(const std::string& device_path);

// The owner a lock file names; nothing when the text is not a process id.
std::optional<pid_t> ParseLockPid(std::string_view text);
// "      4242\n" for 4242.
std::string FormatLockPid(pid_t pid);

// A lock file this process created; an empty path when it holds none.
struct UucpLock {
  std::string path;
};

// Creates this process's lock file for `device_path`. 0 with *lock set, also
// with no file when the folder is missing or not writable (the port then goes
// without one); EBUSY when a live process holds the port's lock file or the
// file names no process (its owner may be writing it right now). A file of a
// process that is gone is replaced.
int TakeUucpLock(const std::string& device_path, UucpLock* lock);

// Removes the lock file, but only while it still names this process.
void ReleaseUucpLock(const UucpLock& lock);

}  // namespace platform::posix
