// The operator program's command line, the same on every system. Options of a single dash are
// left to the toolkit (Qt takes some).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace form {

struct CommandLine {
  bool help = false;
  bool demo = false;       // run against the built-in instrument simulator on COM1
  bool demo_read = false;  // with demo: choose COM 1 and read once right after start
  std::string error;       // an unknown option, empty when the line is fine
};

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

}  // namespace form
