#include "readings/decimal_separator.h"

#include <mutex>
#include <optional>
#include <utility>

namespace readings {
namespace {

std::mutex separator_mutex;
std::optional<std::string> process_separator;  // guarded by separator_mutex

}  // namespace

std::string DecimalSeparator() {
  const std::lock_guard lock(separator_mutex);
  if (!process_separator) process_separator = SeparatorOfLocale("");
  return *process_separator;
}

void SetDecimalSeparator(std::string separator) {
  const std::lock_guard lock(separator_mutex);
  process_separator = std::move(separator);
}

}  // namespace readings
