#include "readings/record_fields.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace readings {

std::string IsoTime(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  // The calendar of the standard library: gmtime_r is not everywhere, gmtime not thread-safe.
  const auto day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{floor<milliseconds>(time - day)};
  char text[40];
  std::snprintf(
      text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
      static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
      static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
  return text;
}

std::string FloatText(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string ByteList(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += std::to_string(byte);
  }
  return text;
}

}  // namespace readings
