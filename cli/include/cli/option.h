// One row of a program's option table.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cli {

// Stores an option's value (empty for a switch) in the program's settings. Returns an error
// text, empty when the value is usable; an exception it throws passes through the parser.
using Apply = std::function<std::string(std::string_view value)>;

struct Option {
  std::string_view name;        // "--port"
  std::string_view value_name;  // "NAME", as the usage shows it; empty for a switch
  std::string_view help;        // the usage's text; a "\n" starts a continuation line
  Apply apply;
  std::string_view alias = {};  // a second spelling such as "-h"; the usage leaves it out
  bool repeatable = false;      // may be given more than once, each value applied in turn
  // The value is optional and then comes only after "=" ("--name" or "--name=VALUE"); without
  // one, `apply` gets an empty value. The usage shows "--name[=VALUE]".
  bool value_optional = false;
};

}  // namespace cli
