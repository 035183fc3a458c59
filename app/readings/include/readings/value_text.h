#pragma once

#include <string>
#include <string_view>

namespace readings {

// The text under which a reading appears on screen: one digit after `separator`, at most three
// significant digits, rounded half up in magnitude on the float's exact decimal digits (so 99.95f,
// stored as 99.94999..., gives "99,9"). Zero is "0,0" whatever its sign; from 999.5 on the value
// is written as mantissa and power of ten ("1E3", "1,23E3"); "INF", "-INF" and "NAN" otherwise.
std::string ValueText(float value, std::string_view separator);

}  // namespace readings
