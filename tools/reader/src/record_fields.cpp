#include "record_fields.h"

#include <charconv>
#include <cmath>
#include <ctime>

namespace reader {

std::string IsoTime(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto since_epoch = duration_cast<milliseconds>(time.time_since_epoch());
  const std::time_t seconds =
      static_cast<std::time_t>(floor<std::chrono::seconds>(since_epoch).count());
  const auto millis = static_cast<int>(since_epoch.count() - seconds * 1000LL);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03dZ", millis);
  return std::string(text, length) + fraction;
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

}  // namespace reader
