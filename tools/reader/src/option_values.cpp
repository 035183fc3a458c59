#include "option_values.h"

#include <algorithm>
#include <cstdio>

#include "argument_text.h"
#include "platform/port_names.h"
#include "refused_characters.h"
#include "system_text.h"
#include "utf8_character.h"

namespace reader {

std::string PortNameError(std::string_view name) {
  if (!name.empty() &&
      name.substr(0, system_text::kDevicePathStart.size()) == system_text::kDevicePathStart) {
    // No device path holds a control character; one in the argument is a
    // slip of the keyboard or of a script. The path's other bytes need not
    // be UTF-8.
    const bool has_control = std::any_of(name.begin(), name.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x20 || byte == 0x7F;
    });
    if (!has_control) return {};
    return "--port: a device path holds no control characters: " + QuotedArgument(name);
  }
  if (platform::ComPortNumber(name) != 0) return {};
  return "--port takes COM1 to COM255 (without leading zeros) or a device path starting with "
         "\"" +
         std::string(system_text::kDevicePathStart) + "\", not " + QuotedArgument(name);
}

std::string SeparatorError(std::string_view separator) {
  const std::optional<Utf8Character> character = FirstCharacter(separator);
  if (!character || character->length != separator.size()) {
    return "--separator takes exactly one character, in UTF-8, not " + QuotedArgument(separator);
  }
  if (IsRefusedCharacter(character->code_point)) {
    // The code point too, since an invisible one shows as nothing between the quotes.
    char code[16];
    std::snprintf(code, sizeof code, " (U+%04X)", static_cast<unsigned>(character->code_point));
    return "--separator takes a visible character that is no digit of any script, no space and "
           "no mark, not " +
           QuotedArgument(separator) + code;
  }
  return {};
}

}  // namespace reader
