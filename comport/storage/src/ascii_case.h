// Name comparison that ignores the letter case of ASCII letters only, as the
// INI and registry name lookups do; other bytes (UTF-8 included) compare as is.
#pragma once

#include <string_view>

namespace storage {

bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace storage
