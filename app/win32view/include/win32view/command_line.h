// vlk240.exe's command line: the window's options, with no toolkit to leave any to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form/command_line.h"

namespace win32view {

using form::CommandLine;

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text of the --help box.
std::string UsageText();

}  // namespace win32view
