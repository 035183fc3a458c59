// The separator of a locale as glibc defines it.
#include <langinfo.h>
#include <locale.h>

#include "readings/decimal_separator.h"

namespace readings {
namespace {

constexpr const char* kFallback = ".";

}  // namespace

std::string SeparatorOfLocale(const char* locale_name) {
  locale_t numeric = newlocale(LC_NUMERIC_MASK, locale_name, static_cast<locale_t>(nullptr));
  if (numeric == static_cast<locale_t>(nullptr)) return kFallback;
  const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
  std::string separator = (radix != nullptr && radix[0] != '\0') ? radix : kFallback;
  freelocale(numeric);
  return separator;
}

}  // namespace readings
