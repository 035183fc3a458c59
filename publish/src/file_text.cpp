#include "file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace publish {
namespace {

// Far beyond any key, certificate chain or password; a larger file is not one of them.
constexpr off_t kLargestFile = 1 << 20;

std::string SystemReason() { return std::system_category().message(errno); }

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

FileText ReadRegularFile(const std::string& path) {
  FileText file;
  // Non-blocking, so that a FIFO in its place is refused below instead of holding the start.
  const Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) {
    file.error = "cannot be read: " + SystemReason();
    return file;
  }
  struct stat status {};
  if (fstat(fd.get(), &status) != 0) {
    file.error = "cannot be read: " + SystemReason();
    return file;
  }
  if (S_ISDIR(status.st_mode)) {
    file.error = "is a directory, not a file";
    return file;
  }
  if (!S_ISREG(status.st_mode)) {
    file.error = "is not a regular file";
    return file;
  }
  if (status.st_size > kLargestFile) {
    file.error = "is larger than 1 MiB, too large for what it should hold";
    return file;
  }
  file.mode = status.st_mode;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd.get(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      file.error = "cannot be read: " + SystemReason();
      file.text.clear();
      return file;
    }
    file.text.append(buffer, static_cast<std::size_t>(got));
  }
  return file;
}

}  // namespace publish
