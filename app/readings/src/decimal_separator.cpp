#include "readings/decimal_separator.h"

#include <langinfo.h>
#include <locale.h>

#include <mutex>
#include <optional>
#include <utility>

namespace readings {
namespace {

constexpr const char* kFallback = ".";

std::mutex separator_mutex;
std::optional<std::string> process_separator;  // guarded by separator_mutex

}  // namespace

std::string SeparatorOfLocale(const char* locale_name) {
  locale_t numeric = newlocale(LC_NUMERIC_MASK, locale_name, static_cast<locale_t>(nullptr));
  if (numeric == static_cast<locale_t>(nullptr)) return kFallback;
  const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
  std::string separator = (radix != nullptr && radix[0] != '\0') ? radix : kFallback;
  freelocale(numeric);
  return separator;
}

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
