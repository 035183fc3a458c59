// The fields of a trace line.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace trace {

// Milliseconds since the clock's epoch with three decimals: "5123456.789".
std::string MillisecondsText(std::chrono::steady_clock::time_point when);

// "N HEX...": the count, then each byte as two upper-case hexadecimal digits.
std::string CountedHex(std::span<const std::uint8_t> bytes);

// `text` with its line breaks turned into blanks, so that it stays on one trace line.
std::string OneLine(std::string_view text);

}  // namespace trace
