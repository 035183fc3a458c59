// The window program's command line, the same in every view, in the grammar every program of
// the project shares (cli/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace form {

struct CommandLine {
  bool help = false;
  bool demo = false;       // run against the built-in instrument simulator on COM1
  bool demo_read = false;  // with demo: choose COM 1 and read once right after start
  std::string error;       // what is wrong with the line; empty when it is fine
};

// With `leave_toolkit_options`, single-dash options are left for the toolkit (Qt's
// "-platform x"); without it they are errors.
CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments,
                             bool leave_toolkit_options);

// The --help text of `program`, closed by what this system's build adds (`notes`).
std::string UsageText(std::string_view program, std::string_view notes);

}  // namespace form
