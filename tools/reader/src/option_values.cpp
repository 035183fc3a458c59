#include "option_values.h"

#include <algorithm>

#include "argument_text.h"
#include "platform/port_names.h"
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
  const char32_t c = character->code_point;
  if ((c >= U'0' && c <= U'9') || IsControlOrLineBreak(c)) {
    return "--separator takes a character that is neither a digit nor a control character, "
           "not " +
           QuotedArgument(separator);
  }
  return {};
}

}  // namespace reader
