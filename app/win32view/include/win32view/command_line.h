// vlk240.exe's command line: the window's options, with no toolkit to leave any to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form/command_line.h"

namespace win32view {

using form::CommandLine;

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// `usage` laid out for a box's proportional font, where blanks cannot line up columns: each
// option line's name on a line of its own, its help on the lines after, all indented alike.
std::string BoxUsageText(std::string_view usage);

// The text of the --help box.
std::string UsageText();

}  // namespace win32view
