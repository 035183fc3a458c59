// vlk240.exe's command line, in the grammar every program of the project shares (cli/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win32view {

struct CommandLine {
  bool help = false;
  bool demo = false;       // COM1 is the built-in simulated instrument
  bool demo_read = false;  // with demo: choose COM 1 and read once right after start
  std::string error;       // what is wrong with the line; empty when it is fine
};

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text of the --help box.
std::string UsageText();

}  // namespace win32view
