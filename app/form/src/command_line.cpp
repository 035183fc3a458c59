#include "form/command_line.h"

#include "cli/option_lines.h"
#include "cli/parse_arguments.h"

namespace form {
namespace {

// Where the help column of the usage's option lines starts.
constexpr std::size_t kHelpColumn = 15;

cli::Apply Setting(bool& flag) {
  return [&flag](std::string_view) {
    flag = true;
    return std::string();
  };
}

// The options, each storing into `line`.
std::vector<cli::Option> OptionTable(CommandLine& line) {
  return {
      {"--demo", "",
       "start with the built-in instrument simulator on COM1;\n"
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

CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments,
                             bool leave_toolkit_options) {
  CommandLine line;
  const std::vector<cli::Option> table = OptionTable(line);
  const cli::Strangers strangers =
      leave_toolkit_options ? cli::Strangers::kLeave : cli::Strangers::kRefuse;
  if (const auto error = cli::ParseArguments(table, arguments, strangers)) {
    line.error = ErrorText(*error);
  }
  return line;
}

std::string UsageText(std::string_view program, std::string_view notes) {
  CommandLine unused;
  return "Usage: " + std::string(program) +
         " [--demo | --demo-read] [--help]\n"
         "Reads a VLK240T level gauge over RS485 (Modbus RTU, 9600 8E1) and shows its "
         "readings.\n"
         "\n" +
         cli::OptionLines(OptionTable(unused), kHelpColumn) + "\n" + std::string(notes);
}

}  // namespace form
