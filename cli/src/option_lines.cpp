#include "cli/option_lines.h"

#include <algorithm>

namespace cli {

std::string OptionLines(std::span<const Option> table, std::size_t help_column) {
  std::string lines;
  for (const Option& option : table) {
    std::string line = std::string("  ").append(option.name);
    if (option.value_optional) {
      line.append("[=").append(option.value_name).append("]");
    } else if (!option.value_name.empty()) {
      line.append(" ").append(option.value_name);
    }
    line.resize(std::max(line.size() + 2, help_column), ' ');
    for (const char c : option.help) {
      line += c;
      if (c == '\n') line.append(help_column, ' ');
    }
    lines.append(line).append("\n");
  }
  return lines;
}

}  // namespace cli
