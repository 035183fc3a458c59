// The program's command line. Qt's own options (single dash) are left for Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form/command_line.h"

namespace window {

using form::CommandLine;

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text printed for --help.
std::string UsageText(std::string_view program);

}  // namespace window
