#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

#include "trace_output.h"

namespace trace {
namespace {

class FileOutput : public TraceOutput {
 public:
  explicit FileOutput(int fd) : fd_(fd) {}
  ~FileOutput() override { ::close(fd_); }
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  // One write per line, so that lines appended by two programs to one file stay whole. A FIFO
  // takes a line up to PIPE_BUF bytes whole or not at all; a full disk may take a part.
  int WriteLine(std::string_view line) override {
    const ssize_t written = Write(line);
    if (written < 0) return errno;
    if (static_cast<std::size_t>(written) == line.size()) return 0;
    const ssize_t rest = Write(line.substr(static_cast<std::size_t>(written)));
    if (rest >= 0 && static_cast<std::size_t>(written + rest) == line.size()) return 0;
    const int error = rest < 0 ? errno : ENOSPC;
    TakeBack(written + (rest > 0 ? rest : 0));
    return error;
  }

 private:
  ssize_t Write(std::string_view bytes) {
    ssize_t written = 0;
    do {
      written = ::write(fd_, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return written;
  }

  // Cuts the end of a partly written line off a regular file, so that the file ends on a whole
  // line. Appending leaves the offset at the end of what this write added.
  void TakeBack(ssize_t written) {
    struct stat file {};
    if (::fstat(fd_, &file) != 0 || !S_ISREG(file.st_mode)) return;
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end >= written) static_cast<void>(::ftruncate(fd_, end - written));
  }

  const int fd_;
};

}  // namespace

std::unique_ptr<TraceOutput> OpenFileOutput(const std::string& path) {
  // Non-blocking: a FIFO without a reader fails here (ENXIO) instead of holding the program
  // before its port opens, and a reader that stops reading cannot hold the polls either.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) throw std::system_error(errno, TraceErrors(), path);
  return std::make_unique<FileOutput>(fd);
}

int WithoutBrokenPipeSignal(const std::function<int()>& write) {
  sigset_t broken_pipe;
  sigemptyset(&broken_pipe);
  sigaddset(&broken_pipe, SIGPIPE);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &broken_pipe, &previous);
  sigset_t pending;
  sigpending(&pending);
  const bool was_pending = sigismember(&pending, SIGPIPE) == 1;
  const int error = write();
  // The signal the failed write raised on this thread is taken before it is unblocked; one
  // that was pending before belongs to someone else and stays.
  if (error == EPIPE && !was_pending) {
    const timespec no_wait{};
    static_cast<void>(sigtimedwait(&broken_pipe, nullptr, &no_wait));
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return error;
}

}  // namespace trace
