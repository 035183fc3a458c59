#include "storage/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "storage/storage_errors.h"

namespace storage {
namespace {

[[noreturn]] void Fail(std::string_view what, const std::filesystem::path& path, int code) {
  throw EStorageError(std::string(what) + " \"" + path.string() + "\": " + std::strerror(code),
                      code);
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
 public:
  TempFile(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  int fd() const { return fd_; }
  const std::filesystem::path& path() const { return path_; }
  // Closes the descriptor, reporting the error a deferred write may show here.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void Release() { path_.clear(); }

 private:
  std::filesystem::path path_;
  int fd_;
};

TempFile CreateTempBeside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path temp = target;
    temp += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // 0666 so the process umask decides, as for any newly created file.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return TempFile(temp, fd);
    if (errno != EEXIST || attempt == 100) Fail("Cannot create a file beside", target, errno);
  }
}

void WriteAll(const TempFile& file, std::string_view contents,
              const std::filesystem::path& target) {
  while (!contents.empty()) {
    const ssize_t written = ::write(file.fd(), contents.data(), contents.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write", target, errno);
    }
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
}

// The rename is already visible; syncing the directory only makes it survive
// a power loss, so a failure here is not reported as a failed write.
void SyncDirectoryOf(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail("Cannot open", path, errno);
  }
  std::string contents;
  char chunk[8192];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      ::close(fd);
      Fail("Cannot read", path, code);
    }
    contents.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return contents;
}

void ReplaceFile(const std::filesystem::path& path, std::string_view contents) {
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) Fail("Cannot follow the link", path, ec.value());
  }

  TempFile temp = CreateTempBeside(target);
  WriteAll(temp, contents, target);
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && ::fchmod(temp.fd(), old.st_mode & 07777) != 0) {
    Fail("Cannot keep the permissions of", target, errno);
  }
  if (::fsync(temp.fd()) != 0) Fail("Cannot write", target, errno);
  if (temp.Close() != 0) Fail("Cannot write", target, errno);
  if (::rename(temp.path().c_str(), target.c_str()) != 0) Fail("Cannot replace", target, errno);
  temp.Release();
  SyncDirectoryOf(target);
}

}  // namespace storage
