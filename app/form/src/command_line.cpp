#include "form/command_line.h"

namespace form {

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
  CommandLine line;
  for (std::string_view argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (argument == "--demo") {
      line.demo = true;
    } else if (argument == "--demo-read") {
      line.demo = true;
      line.demo_read = true;
    } else if (argument.starts_with("--")) {
      line.error = "unknown option " + std::string(argument);
    }
  }
  return line;
}

}  // namespace form
