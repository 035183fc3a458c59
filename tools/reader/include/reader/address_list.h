// The instruments a read polls: "--address 1,3,7-9".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reader {

struct AddressList {
  std::vector<std::uint8_t> addresses;  // in the order given
  std::string error;                    // empty when the text was usable
};

// Parts separated by commas, each an address or a range "FIRST-LAST" (FIRST at most LAST),
// every address a decimal number 1..247 and none given twice. A single address out of range is
// refused with the window's own message; otherwise the message names the part.
AddressList ParseAddressList(std::string_view text);

}  // namespace reader
