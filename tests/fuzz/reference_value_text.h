// A second, independent rendering of the reading value text, built on the exact
// decimal string that printf gives for a double, for cross-checking the
// production routine over arbitrary bit patterns.
#pragma once

#include <string>
#include <string_view>

namespace reference {

std::string ValueText(float value, std::string_view separator);

}  // namespace reference
