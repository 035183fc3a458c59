#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/config.h"

namespace sim {

// Command-line options of the simulator program (and of anything embedding
// the simulator that wants the same spelling).
struct Options {
  Config config;
  std::string device;  // an existing device to serve; empty: an own pty
  std::string trace;   // the frame trace's file, "-": standard error; empty: no trace
  bool help = false;
};

// Thrown for an unusable argument; what() names it.
class OptionError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// normal | silent | exception[:code] | bad-crc | stray:N | other-address |
// cut:N | noise | late[:ms] | split[:ms] | repeat[:ms] | extra:N |
// pause:N:ms | babble[:ms]
Behaviour ParseBehaviour(std::string_view text);

// ADDRESS[:BEHAVIOUR], e.g. "2:exception:4"; the behaviour defaults to normal.
Neighbour ParseNeighbour(std::string_view text);

// Parses the arguments after the program name. Throws OptionError.
Options ParseOptions(std::span<const std::string_view> args);

std::string Usage(std::string_view program);

}  // namespace sim
