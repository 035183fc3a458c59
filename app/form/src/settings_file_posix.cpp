// The settings file on a POSIX system, through file descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "form/settings_file.h"
#include "storage/file_replace.h"
#include "storage/storage_errors.h"

namespace form {
namespace {

// Only a port name is looked for; a longer first line cannot be one, so the rest is not read.
constexpr std::size_t kLongestFirstLine = 256;

// O_NONBLOCK: a FIFO or device put in the file's place must not hang the window at open.
constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  // Closes now, reporting the error a deferred write may show here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAllAt(int fd, std::string_view bytes) {
  off_t offset = 0;
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
    offset += written;
  }
  return true;
}

// The file's bytes are overwritten first and cut to length after, so no moment leaves it empty.
bool RewriteInPlace(Descriptor& file, std::string_view content) {
  return WriteAllAt(file.get(), content) &&
         ::ftruncate(file.get(), static_cast<off_t>(content.size())) == 0 &&
         ::fsync(file.get()) == 0 && file.Close();
}

// Errors with which a directory refuses a new file or the rename over the old one, while the
// old file itself can still be written.
bool DirectoryRefusesReplacement(int code) {
  return code == EACCES || code == EPERM || code == EROFS || code == EBUSY;
}

bool AnyoneMayWrite(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace

bool SettingsFileExists(const std::filesystem::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path) {
  Descriptor file(::open(path.c_str(), O_RDONLY | kOpenFlags));
  if (file.get() < 0) {
    return {errno == ENOENT ? SettingsReadStatus::kMissing : SettingsReadStatus::kFailed, {}};
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return {SettingsReadStatus::kFailed, {}};
  if (S_ISDIR(status.st_mode)) return {SettingsReadStatus::kMissing, {}};
  if (!S_ISREG(status.st_mode)) return {SettingsReadStatus::kFailed, {}};

  std::string line;
  char c = 0;
  while (line.size() < kLongestFirstLine) {
    const ssize_t got = ::read(file.get(), &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return {SettingsReadStatus::kFailed, {}};
    if (got == 0 || c == '\r' || c == '\n') break;
    line += c;
  }
  return {SettingsReadStatus::kRead, line};
}

bool WriteSettingsFile(const std::filesystem::path& path, std::string_view port_name) {
  const std::string content = std::string(port_name) + "\r\n";
  // Opening the old file for writing tells whether the operator may change it at all.
  Descriptor old_file(::open(path.c_str(), O_WRONLY | kOpenFlags));
  if (old_file.get() < 0 && errno != ENOENT) return false;
  // Root opens any file for writing; a file that nobody may write is meant to be kept all the same.
  if (old_file.get() >= 0 && !AnyoneMayWrite(old_file.get())) return false;
  try {
    storage::ReplaceFile(path, content);
    return true;
  } catch (const storage::EStorageError& error) {
    if (old_file.get() < 0 || !DirectoryRefusesReplacement(error.SystemCode())) return false;
  }
  return RewriteInPlace(old_file, content);
}

}  // namespace form
