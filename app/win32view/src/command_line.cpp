#include "win32view/command_line.h"

namespace win32view {
namespace {

// How far an option's help is indented under its name.
constexpr std::string_view kHelpIndent = "      ";

std::string_view TrimmedLeft(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
  return form::ParseCommandLine(arguments, /*leave_toolkit_options=*/false);
}

std::string BoxUsageText(std::string_view usage) {
  std::string text;
  bool in_option = false;
  while (!usage.empty()) {
    const std::size_t end = usage.find('\n');
    const std::string_view line = usage.substr(0, end);
    const std::string_view ending = end == std::string_view::npos ? "" : "\n";
    usage.remove_prefix(end == std::string_view::npos ? usage.size() : end + 1);
    if (line.starts_with("  -")) {
      // The name and its value are apart by one blank, the padding before the help by two.
      const std::size_t padding = line.find("  ", 2);
      text.append(line.substr(2, padding - 2)).append("\n");
      if (padding != std::string_view::npos) {
        text.append(kHelpIndent).append(TrimmedLeft(line.substr(padding))).append(ending);
      }
      in_option = true;
    } else if (in_option && line.starts_with("   ")) {
      text.append(kHelpIndent).append(TrimmedLeft(line)).append(ending);
    } else {
      text.append(line).append(ending);
      in_option = false;
    }
  }
  return text;
}

std::string UsageText() {
  return BoxUsageText(form::UsageText(
      "vlk240", "The chosen port is saved in user.ini in the current directory.\n"));
}

}  // namespace win32view
