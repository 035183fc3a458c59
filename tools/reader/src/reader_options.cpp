#include "reader/reader_options.h"

#include <algorithm>
#include <array>
#include <set>

namespace reader {
namespace {

struct OptionSpec {
  std::string_view name;
  std::string_view value_name;  // empty for a switch
  std::string_view help;
  // Stores the value; returns an error text, empty when the value is usable.
  std::string (*apply)(ReaderOptions&, std::string_view value);
};

// A separator is one character, which may take several bytes in UTF-8.
bool IsOneCharacter(std::string_view text) {
  if (text.empty()) return false;
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead < 0x80    ? 1
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC0 ? 2
                                            : 0;
  if (length != text.size()) return false;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

const std::array<OptionSpec, 3> kOptions = {{
    {"--decode", "HEX",
     "decode one reply frame given in hexadecimal (\"01 04 1A ...\" or \"01041A...\")",
     [](ReaderOptions& o, std::string_view value) {
       o.decode_hex = std::string(value);
       return std::string();
     }},
    {"--separator", "C", "decimal separator of the readings (default: the regional setting)",
     [](ReaderOptions& o, std::string_view value) {
       if (!IsOneCharacter(value))
         return "--separator takes one character, not \"" + std::string(value) + "\"";
       o.separator = std::string(value);
       return std::string();
     }},
    {"--help", "", "show this help and exit",
     [](ReaderOptions& o, std::string_view) {
       o.help = true;
       return std::string();
     }},
}};

const OptionSpec* FindOption(std::string_view name) {
  for (const OptionSpec& spec : kOptions) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

}  // namespace

ParsedOptions ParseReaderOptions(std::span<const std::string_view> args) {
  ParsedOptions parsed;
  std::set<std::string_view> seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const OptionSpec* spec = FindOption(name);
    if (spec == nullptr) {
      parsed.error = "unknown argument \"" + std::string(arg) + "\"";
      return parsed;
    }
    if (!seen.insert(spec->name).second) {
      parsed.error = std::string(name) + " is given more than once";
      return parsed;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (spec->value_name.empty()) {
        parsed.error = std::string(name) + " takes no value";
        return parsed;
      }
      value = arg.substr(equals + 1);
    } else if (!spec->value_name.empty()) {
      if (i + 1 == args.size()) {
        parsed.error = std::string(name) + " needs a value (" + std::string(spec->value_name) + ")";
        return parsed;
      }
      value = args[++i];
    }
    parsed.error = spec->apply(parsed.options, value);
    if (!parsed.error.empty()) return parsed;
  }
  return parsed;
}

std::string ReaderUsage() {
  std::string usage = "Usage: vlk240-read --decode HEX [--separator C]\n";
  for (const OptionSpec& spec : kOptions) {
    std::string left = "  " + std::string(spec.name);
    if (!spec.value_name.empty()) left += " " + std::string(spec.value_name);
    left.resize(std::max<std::size_t>(left.size() + 2, 20), ' ');
    usage += left + std::string(spec.help) + "\n";
  }
  return usage;
}

}  // namespace reader
