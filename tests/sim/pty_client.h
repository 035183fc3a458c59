#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The client side of the line for simulator tests: raw POSIX on the pty slave,
// so the simulator is checked without any of our own serial code.
class PtyClient {
 public:
  using Bytes = std::vector<std::uint8_t>;
  using Clock = std::chrono::steady_clock;

  explicit PtyClient(const std::string& path)
      : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0) return;
    termios raw{};
    tcgetattr(fd_, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd_, TCSANOW, &raw);
  }
  ~PtyClient() {
    if (fd_ >= 0) close(fd_);
  }
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  bool ok() const { return fd_ >= 0; }

  bool Send(const Bytes& bytes) {
    return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Reads until `count` bytes came or `limit` passed since the call.
  Bytes Receive(std::size_t count, std::chrono::milliseconds limit) {
    Bytes got;
    const auto deadline = Clock::now() + limit;
    while (got.size() < count) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
      std::uint8_t buffer[64];
      const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
      if (n > 0) got.insert(got.end(), buffer, buffer + n);
    }
    return got;
  }

 private:
  int fd_;
};
