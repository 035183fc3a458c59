#include "argument_text.h"

#include <cstdio>

#include "utf8_character.h"

namespace reader {
namespace {

// Enough to recognise the argument by.
constexpr std::size_t kShownCharacters = 40;

std::string Escaped(std::string_view bytes) {
  std::string escaped;
  for (const char byte : bytes) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned char>(byte));
    escaped += text;
  }
  return escaped;
}

}  // namespace

std::string QuotedArgument(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t shown = 0; !text.empty(); ++shown) {
    if (shown == kShownCharacters) {
      quoted += "…";
      break;
    }
    const std::optional<Utf8Character> character = FirstCharacter(text);
    const std::size_t length = character ? character->length : 1;
    const std::string_view bytes = text.substr(0, length);
    quoted += character && !IsControlOrLineBreak(character->code_point) ? std::string(bytes)
                                                                        : Escaped(bytes);
    text.remove_prefix(length);
  }
  return quoted + "\"";
}

}  // namespace reader
