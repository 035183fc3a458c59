// The address field's and TextToChar's integer conversion on arbitrary text.
#include <cstdint>
#include <string_view>

#include "text_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  properties::CheckIntText(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
