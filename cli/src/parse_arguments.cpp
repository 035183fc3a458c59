#include "cli/parse_arguments.h"

#include <vector>

namespace cli {
namespace {

std::optional<std::size_t> FindOption(std::span<const Option> table, std::string_view name) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name || (!table[i].alias.empty() && table[i].alias == name)) return i;
  }
  return std::nullopt;
}

ArgumentError Refused(Problem problem, std::string_view argument, const Option* option,
                      std::string text = {}) {
  ArgumentError error;
  error.problem = problem;
  error.argument = argument;
  error.option = option;
  error.text = std::move(text);
  return error;
}

}  // namespace

std::optional<ArgumentError> ParseArguments(std::span<const Option> table,
                                            std::span<const std::string_view> arguments,
                                            Strangers strangers) {
  std::vector<bool> given(table.size(), false);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const std::size_t equals = argument.find('=');
    const std::optional<std::size_t> found = FindOption(table, argument.substr(0, equals));
    if (!found) {
      if (strangers == Strangers::kLeave && !argument.starts_with("--")) continue;
      return Refused(Problem::kUnknown, argument, nullptr);
    }
    const Option& option = table[*found];
    if (given[*found] && !option.repeatable) return Refused(Problem::kRepeated, argument, &option);
    given[*found] = true;
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (option.value_name.empty()) return Refused(Problem::kValueUnasked, argument, &option);
      value = argument.substr(equals + 1);
    } else if (!option.value_name.empty() && !option.value_optional) {
      if (i + 1 == arguments.size()) return Refused(Problem::kValueMissing, argument, &option);
      value = arguments[++i];
    }
    std::string refusal = option.apply(value);
    if (!refusal.empty()) {
      return Refused(Problem::kValueRefused, argument, &option, std::move(refusal));
    }
  }
  return std::nullopt;
}

}  // namespace cli
