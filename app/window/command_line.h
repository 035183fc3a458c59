// The program's command line (form/command_line.h) and its usage text on Linux. Qt's own
// options (single dash) are left for Qt.
#pragma once

#include <string>
#include <string_view>

#include "form/command_line.h"

namespace window {

using form::CommandLine;
using form::ParseCommandLine;

// The text printed for --help.
std::string UsageText(std::string_view program);

}  // namespace window
