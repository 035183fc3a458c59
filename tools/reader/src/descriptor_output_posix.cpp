#include "reader/descriptor_output.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace reader {

DescriptorOutput::DescriptorOutput(int fd) : fd_(fd) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorOutput::~DescriptorOutput() { WriteBuffered(); }

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!WriteBuffered()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int DescriptorOutput::sync() { return WriteBuffered() ? 0 : -1; }

bool DescriptorOutput::WriteBuffered() {
  const char* next = pbase();
  while (error_ == 0 && next < pptr()) {
    const ssize_t written = ::write(fd_, next, static_cast<std::size_t>(pptr() - next));
    if (written > 0) {
      next += written;
    } else if (written < 0 && errno == EAGAIN) {
      // A descriptor shared with a program that made it non-blocking.
      pollfd writable{fd_, POLLOUT, 0};
      ::poll(&writable, 1, -1);
    } else if (written == 0 || errno != EINTR) {
      // Nothing taken from a non-empty buffer is no progress either.
      error_ = written < 0 ? errno : EIO;
    }
  }
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return error_ == 0;
}

void ReserveStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number, which is `fd`: the ones below are taken by now.
    const int reserved = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    static_cast<void>(reserved);
  }
}

void IgnoreBrokenPipeSignal() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace reader
