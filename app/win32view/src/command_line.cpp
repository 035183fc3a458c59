#include "win32view/command_line.h"

namespace win32view {

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
  return form::ParseCommandLine(arguments, /*leave_toolkit_options=*/false);
}

std::string UsageText() {
  return form::UsageText("vlk240",
                         "The chosen port is saved in user.ini in the current directory.\n");
}

}  // namespace win32view
