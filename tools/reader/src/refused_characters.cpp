#include "refused_characters.h"

#include <algorithm>
#include <iterator>

#include "refused_characters_table.h"

namespace reader {

bool IsRefusedCharacter(char32_t c) {
  // The first range that does not end below `c`.
  const auto range =
      std::lower_bound(std::begin(kRefusedCharacters), std::end(kRefusedCharacters), c,
                       [](const CodePointRange& r, char32_t code) { return r.last < code; });
  return range != std::end(kRefusedCharacters) && range->first <= c;
}

}  // namespace reader
