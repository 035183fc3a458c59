// The grammar the programs share. An option is "--name" (or its alias): a switch, or one that
// takes a value, as the next argument ("--port COM1", even one that starts with "-") or after
// "=" ("--port=COM1"); an optional value only after "=". Each option may be given once unless its row says otherwise. There are
// no bundled short options and no "--" that ends the options.
// Plain functions; any thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/option.h"

namespace cli {

// What becomes of an argument that is no option of the table.
enum class Strangers {
  kRefuse,  // an error
  kLeave,   // skipped when it does not start with "--": another parser's (Qt's "-platform x")
};

enum class Problem {
  kUnknown,       // no option of the table
  kRepeated,      // given again, and the row does not allow it
  kValueUnasked,  // a switch given as "--name=..."
  kValueMissing,  // the last argument, and it takes a value
  kValueRefused,  // its Apply gave an error text
};

struct ArgumentError {
  Problem problem = Problem::kUnknown;
  std::string_view argument;       // as it was given, "=value" included
  const Option* option = nullptr;  // null for kUnknown
  std::string text;                // Apply's error text, for kValueRefused
};

// Applies the options of `arguments` in their order; stops at the first error and returns it.
std::optional<ArgumentError> ParseArguments(std::span<const Option> table,
                                            std::span<const std::string_view> arguments,
                                            Strangers strangers);

}  // namespace cli
