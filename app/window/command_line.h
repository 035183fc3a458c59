// The program's command line. Qt's own options (single dash) are left for Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace window {

struct CommandLine {
  bool help = false;
  bool demo = false;       // run against the built-in instrument simulator on COM1
  bool demo_read = false;  // with demo: choose COM 1 and read once right after start
  std::string error;       // what is wrong with the line; empty when it is fine
};

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text printed for --help.
std::string UsageText(std::string_view program);

}  // namespace window
