#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace reader {

struct ReaderOptions {
  bool help = false;
  std::optional<std::string> decode_hex;  // --decode: a reply frame to decode offline
  std::optional<std::string> separator;   // --separator: overrides the regional separator
};

struct ParsedOptions {
  ReaderOptions options;
  std::string error;  // empty when the arguments were usable
};

// Parses the arguments after the program name. Options take their value as the next argument
// or after "=" ("--separator ," or "--separator=,"); each may be given once.
ParsedOptions ParseReaderOptions(std::span<const std::string_view> args);

// One line per option, generated from the same table the parser uses.
std::string ReaderUsage();

}  // namespace reader
