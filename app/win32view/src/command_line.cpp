#include "win32view/command_line.h"

#include "cli/option_lines.h"
#include "cli/parse_arguments.h"

namespace win32view {
namespace {

constexpr std::size_t kHelpColumn = 15;

cli::Apply Setting(bool& flag) {
  return [&flag](std::string_view) {
    flag = true;
    return std::string();
  };
}

std::vector<cli::Option> OptionTable(CommandLine& line) {
  return {
      {"--demo", "",
       "COM1 is the built-in instrument simulator;\n"
       "choose \"COM 1\" in the port menu and press the read button",
       Setting(line.demo)},
      {"--demo-read", "", "as --demo, and read the simulator once right after start",
       [&line](std::string_view) {
         line.demo = true;
         line.demo_read = true;
         return std::string();
       }},
      {"--help", "", "show this text", Setting(line.help), "-h"},
  };
}

// The window's options are all switches.
std::string ErrorText(const cli::ArgumentError& error) {
  if (error.problem == cli::Problem::kUnknown) {
    return "unknown option " + std::string(error.argument);
  }
  const std::string name(error.option->name);
  if (error.problem == cli::Problem::kRepeated) return name + " is given more than once";
  return name + " takes no value";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments) {
  CommandLine line;
  const std::vector<cli::Option> table = OptionTable(line);
  if (const auto error = cli::ParseArguments(table, arguments, cli::Strangers::kRefuse)) {
    line.error = ErrorText(*error);
  }
  return line;
}

std::string UsageText() {
  CommandLine unused;
  return "Usage: vlk240 [--demo | --demo-read] [--help]\n"
         "Reads a VLK240T level gauge over RS485 (Modbus RTU, 9600 8E1) and shows its "
         "readings.\n"
         "\n" +
         cli::OptionLines(OptionTable(unused), kHelpColumn) +
         "\n"
         "The chosen port is saved in user.ini in the current directory.\n";
}

}  // namespace win32view
