#include "window/command_line.h"

namespace window {

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
  return form::ParseCommandLine(arguments, /*leave_toolkit_options=*/true);
}

std::string UsageText(std::string_view program) {
  return form::UsageText(
      program,
      "Ports COM1..COM4 are /dev/ttyS0../dev/ttyS3; the environment variable VLK240_COMn\n"
      "names another device for COMn, e.g. VLK240_COM1=/dev/ttyUSB0.\n"
      "The chosen port is saved in user.ini in the current directory.\n"
      "VLK240_TRACE=FILE appends a line per frame sent or received and per port event to\n"
      "FILE (\"-\": standard error), as the trace of vlk240-read does.\n");
}

}  // namespace window
