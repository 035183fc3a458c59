#pragma once

#include <string>

namespace sim {

// The simulator's end of a line: the descriptor it reads requests from and
// writes replies to, and the device path that names the line.
class LineEnd {
 public:
  virtual ~LineEnd() = default;
  virtual int fd() const = 0;  // non-blocking
  virtual const std::string& path() const = 0;
};

}  // namespace sim
