// The option lines of a usage text, from the same table the parser reads.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "cli/option.h"

namespace cli {

// One line per option in table order: two blanks, the name and its value name, padded to
// `help_column` (or two blanks when longer), then the help; a help's continuation lines start
// at `help_column`.
std::string OptionLines(std::span<const Option> table, std::size_t help_column);

}  // namespace cli
