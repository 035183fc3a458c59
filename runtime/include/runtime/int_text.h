// Text to 32-bit integer, the toolkit's conversion rules.
//
// Accepted: leading blanks (spaces), an optional "+" or "-", then decimal
// digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X"; at least one
// digit and nothing after the digits. Decimal values must lie in the signed
// 32-bit range. Hexadecimal values take up to 32 bits and are read as two's
// complement ("$FFFFFFFF" is -1, "$80000000" is -2147483648); a sign before the
// prefix negates that value modulo 2^32.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace runtime {

// Raises EConvertError "'<text>' is not a valid integer value" on failure.
std::int32_t StrToInt(std::string_view text);

std::optional<std::int32_t> TryStrToInt(std::string_view text);

}  // namespace runtime
