// A pseudo-terminal pair for tests and benchmarks: the slave's absolute path
// serves as a port name, the master end plays the instrument.
//
// Thread rule: Write and ReadSome may run on different threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vlk_test {

class PseudoTerminal {
 public:
  // Opens the master end; raises std::runtime_error when the system has none.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // The slave device, e.g. "/dev/pts/5".
  const std::string& SlavePath() const { return slave_path_; }
  // Writes all of `bytes` to the master end (they arrive at the slave).
  void Write(const std::vector<std::uint8_t>& bytes);
  // Hangs up: the slave side sees the line gone, as when an adapter is pulled.
  void CloseMaster();
  // What the slave sent, waiting up to `timeout_ms` for the first byte.
  std::vector<std::uint8_t> ReadSome(int timeout_ms);

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace vlk_test
