// A line that answers every 8-byte request with one fixed byte string, for
// reply shapes the simulator does not combine (stray bytes before an
// exception reply).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "sim/pty_pair.h"

namespace faults {

// Thread rule: construct and destroy on one thread; the answering runs on a
// thread of its own.
class ScriptedInstrument {
 public:
  explicit ScriptedInstrument(std::vector<std::uint8_t> answer);
  ~ScriptedInstrument();
  ScriptedInstrument(const ScriptedInstrument&) = delete;
  ScriptedInstrument& operator=(const ScriptedInstrument&) = delete;

  const std::string& SlavePath() const { return pty_.slave_path(); }

 private:
  void Serve();

  sim::PtyPair pty_;
  std::vector<std::uint8_t> answer_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace faults
