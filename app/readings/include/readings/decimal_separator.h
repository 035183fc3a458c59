#pragma once

#include <string>

namespace readings {

// The decimal separator of the locale `locale_name`, read without touching the process-wide C
// locale, which would change every other number conversion in the program. A full stop when the
// locale cannot be loaded or names no separator. On Linux a glibc locale ("ru_RU.UTF-8"; ""
// means the user's regional settings from LC_ALL, LC_NUMERIC or LANG); on Windows a locale name
// ("ru-RU"; "" means the user's regional settings, LOCALE_SDECIMAL as the user may have changed
// it), in UTF-8.
std::string SeparatorOfLocale(const char* locale_name);

// The separator readings are shown with, shared by the whole process. Taken from the user's
// regional settings on first use unless SetDecimalSeparator came first. Any thread may call.
std::string DecimalSeparator();

// Overrides the regional separator, for a command-line option or a test.
void SetDecimalSeparator(std::string separator);

}  // namespace readings
