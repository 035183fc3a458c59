// Checks of option values that take more than a number conversion. Each gives
// the error text, empty when the value is usable.
#pragma once

#include <string>
#include <string_view>

namespace reader {

// COM1..COM255 or a device path.
std::string PortNameError(std::string_view name);

// One well-formed UTF-8 character that neither reads as part of a number nor
// hides or breaks the line: none of refused_characters.h.
std::string SeparatorError(std::string_view separator);

}  // namespace reader
