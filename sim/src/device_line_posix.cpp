#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "sim/device_line.h"

namespace sim {

DeviceLine::DeviceLine(std::string path) : path_(std::move(path)) {
  fd_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "open " + path_);
  termios line{};
  if (tcgetattr(fd_, &line) != 0) {
    const int error = errno;
    close(fd_);
    throw std::system_error(error, std::generic_category(), path_ + " is no serial device");
  }
  cfmakeraw(&line);
  line.c_cflag |= CLOCAL | CREAD | PARENB;
  line.c_cflag &= ~(PARODD | CSTOPB | CRTSCTS);
  cfsetspeed(&line, B9600);
  int set = tcsetattr(fd_, TCSANOW, &line);
  if (set != 0 && errno == EINVAL) {
    // A pseudo-terminal carries no parity: it drops PARENB, and once the line is
    // already as asked but for that, the set is refused. Ask it without parity.
    line.c_cflag &= ~PARENB;
    set = tcsetattr(fd_, TCSANOW, &line);
  }
  if (set != 0) {
    const int error = errno;
    close(fd_);
    throw std::system_error(error, std::generic_category(), "set the line of " + path_);
  }
}

DeviceLine::~DeviceLine() { close(fd_); }

}  // namespace sim
