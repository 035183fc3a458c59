// The reading value text against an independent rendering, over random bit
// patterns (a fresh seed each run, printed on failure) and the patterns next to
// every rounding and notation boundary.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

#include "instrument/skley_float.h"
#include "readings/value_text.h"
#include "reference_value_text.h"

namespace {

// What the decoder shows for a pattern: loaded through SKLEY_FLOAT, stored as a single.
float Loaded(std::uint32_t pattern) {
  return static_cast<float>(instrument::SKLEY_FLOAT(
      static_cast<std::uint8_t>(pattern >> 24), static_cast<std::uint8_t>(pattern >> 16),
      static_cast<std::uint8_t>(pattern >> 8), static_cast<std::uint8_t>(pattern)));
}

void ExpectAgrees(std::uint32_t pattern) {
  const float value = Loaded(pattern);
  ASSERT_EQ(readings::ValueText(value, ","), reference::ValueText(value, ","))
      << "pattern 0x" << std::hex << pattern;
}

TEST(ValueTextProperty, AgreesWithReferenceOnRandomPatterns) {
  const auto seed = std::random_device{}();
  SCOPED_TRACE(testing::Message() << "seed " << seed);
  std::mt19937 random(seed);
  for (int i = 0; i < 200000; ++i) ExpectAgrees(static_cast<std::uint32_t>(random()));
}

TEST(ValueTextProperty, AgreesAroundEveryBoundary) {
  // Neighbours of x.x5 and 999.5-like values at every power of ten, both signs.
  for (int exponent = -45; exponent <= 38; ++exponent) {
    for (double mantissa : {1.0, 0.95, 0.995, 0.9995, 0.5, 0.05, 0.15, 0.25}) {
      const float centre = static_cast<float>(mantissa * std::pow(10.0, exponent));
      const std::uint32_t bits = std::bit_cast<std::uint32_t>(centre);
      for (std::uint32_t delta = 0; delta < 3; ++delta) {
        for (std::uint32_t sign : {0u, 0x80000000u}) {
          ExpectAgrees((bits + delta) | sign);
          ExpectAgrees((bits - delta) | sign);
        }
      }
    }
  }
}

TEST(ValueTextProperty, SignallingNanShowsZeroAndSpecialsPassThrough) {
  EXPECT_EQ(readings::ValueText(Loaded(0x7F800001u), ","), "0,0");
  EXPECT_EQ(readings::ValueText(Loaded(0x7FC00000u), ","), "NAN");
  EXPECT_EQ(readings::ValueText(Loaded(0x7F800000u), ","), "INF");
  EXPECT_EQ(readings::ValueText(Loaded(0xFF800000u), ","), "-INF");
}

}  // namespace
