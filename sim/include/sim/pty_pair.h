#pragma once

#include <string>

#include "sim/line_end.h"

namespace sim {

// A pseudo-terminal pair: the master is the instrument's end of the line, the
// slave the device a client opens. The slave is put in raw mode at once, so
// nothing echoes before a client configures it, and kept open here, so a
// client closing it never hangs up the master. Throws std::system_error.
class PtyPair : public LineEnd {
 public:
  PtyPair();
  ~PtyPair() override;
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int master() const { return master_; }  // non-blocking
  const std::string& slave_path() const { return slave_path_; }

  int fd() const override { return master_; }
  const std::string& path() const override { return slave_path_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_path_;
};

}  // namespace sim
