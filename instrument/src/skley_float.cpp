#include "instrument/skley_float.h"

#include <bit>

namespace instrument {
namespace {

constexpr std::uint32_t kExponentMask = 0x7F800000u;
constexpr std::uint32_t kQuietBit = 0x00400000u;
constexpr std::uint32_t kFractionMask = 0x007FFFFFu;

bool IsSignallingNan(std::uint32_t word) {
  return (word & kExponentMask) == kExponentMask && (word & kQuietBit) == 0 &&
         (word & kFractionMask) != 0;
}

}  // namespace

double SKLEY_FLOAT(std::uint8_t b3, std::uint8_t b2, std::uint8_t b1, std::uint8_t b0) {
  const std::uint32_t word = (std::uint32_t{b3} << 24) | (std::uint32_t{b2} << 16) |
                             (std::uint32_t{b1} << 8) | std::uint32_t{b0};
  if (IsSignallingNan(word)) return 0.0;
  return static_cast<double>(std::bit_cast<float>(word));
}

}  // namespace instrument
