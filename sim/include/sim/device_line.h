#pragma once

#include <string>

#include "sim/line_end.h"

namespace sim {

// An existing serial device served as the instrument's end of the line, for
// example the pseudo-terminal behind a virtual machine's serial port. It is
// opened non-blocking and set to raw 9600 bit/s 8E1, the instrument's own line
// settings (a pseudo-terminal ignores the speed and parity). Throws
// std::system_error when the device cannot be opened or is no terminal.
class DeviceLine : public LineEnd {
 public:
  explicit DeviceLine(std::string path);
  ~DeviceLine() override;
  DeviceLine(const DeviceLine&) = delete;
  DeviceLine& operator=(const DeviceLine&) = delete;

  int fd() const override { return fd_; }
  const std::string& path() const override { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace sim
