#include "trace_line.h"

#include <cstdio>

namespace trace {

std::string MillisecondsText(std::chrono::steady_clock::time_point when) {
  const auto microseconds =
      std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(microseconds / 1000),
                static_cast<long long>(microseconds % 1000));
  return text;
}

std::string CountedHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = std::to_string(bytes.size());
  for (const std::uint8_t byte : bytes) {
    text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace trace
