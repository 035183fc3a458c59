#include <ctime>

#include "form/local_clock.h"

namespace form {

std::int64_t LocalOffsetMs(std::int64_t utc_ms) {
  const std::time_t seconds = static_cast<std::time_t>(utc_ms / 1000);
  std::tm local{};
  std::tm utc{};
  if (localtime_s(&local, &seconds) != 0 || gmtime_s(&utc, &seconds) != 0) return 0;
  // Both broken down the same way: their difference as calendar times is the offset.
  local.tm_isdst = 0;
  utc.tm_isdst = 0;
  return static_cast<std::int64_t>(std::difftime(std::mktime(&local), std::mktime(&utc))) * 1000;
}

}  // namespace form
