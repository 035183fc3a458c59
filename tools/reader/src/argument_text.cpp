#include "argument_text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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

struct Escape {
  char byte;
  std::string_view text;
};
constexpr Escape kEscapes[] = {{'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}, {'\\', "\\\\"}};

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

std::string PrintableText(std::string_view text) {
  std::string printable;
  while (!text.empty()) {
    const std::optional<Utf8Character> character = FirstCharacter(text);
    const std::size_t length = character ? character->length : 1;
    const std::string_view bytes = text.substr(0, length);
    text.remove_prefix(length);
    const auto escape =
        std::find_if(std::begin(kEscapes), std::end(kEscapes),
                     [&](const Escape& e) { return bytes == std::string_view(&e.byte, 1); });
    if (escape != std::end(kEscapes)) {
      printable += escape->text;
    } else if (character && !IsControlOrLineBreak(character->code_point)) {
      printable += bytes;
    } else {
      printable += Escaped(bytes);
    }
  }
  return printable;
}

}  // namespace reader
