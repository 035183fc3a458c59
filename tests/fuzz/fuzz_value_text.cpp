// The value text against the independent reference for any four reply bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "instrument/skley_float.h"
#include "readings/value_text.h"
#include "reference_value_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const float value =
      static_cast<float>(instrument::SKLEY_FLOAT(data[0], data[1], data[2], data[3]));
  if (readings::ValueText(value, ",") != reference::ValueText(value, ",")) {
    std::fprintf(stderr, "value text differs for %02X %02X %02X %02X\n", data[0], data[1], data[2],
                 data[3]);
    std::abort();
  }
  return 0;
}
