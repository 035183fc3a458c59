// One character of UTF-8 text, well-formed as Unicode defines it: no overlong
// forms, no surrogates, nothing above U+10FFFF.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace reader {

struct Utf8Character {
  char32_t code_point = 0;
  std::size_t length = 0;  // in bytes
};

// The character `text` starts with; nothing when `text` is empty or does not
// start with a well-formed sequence.
std::optional<Utf8Character> FirstCharacter(std::string_view text);

// C0 and C1 controls, DEL, and the Unicode line and paragraph separators:
// characters that would break a line or do something on a terminal.
bool IsControlOrLineBreak(char32_t c);

}  // namespace reader
