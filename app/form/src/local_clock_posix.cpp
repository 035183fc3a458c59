#include <ctime>

#include "form/local_clock.h"

namespace form {

std::int64_t LocalOffsetMs(std::int64_t utc_ms) {
  const std::time_t seconds = static_cast<std::time_t>(utc_ms / 1000);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return 0;
  return static_cast<std::int64_t>(local.tm_gmtoff) * 1000;
}

}  // namespace form
