#include "readings/value_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "instrument/skley_float.h"

namespace readings {
namespace {

using instrument::SKLEY_FLOAT;

struct ValueCase {
  float value;
  const char* text;
};

class ValueTextTest : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueTextTest, WithCommaSeparator) {
  EXPECT_EQ(ValueText(GetParam().value, ","), GetParam().text) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ValueTextTest,
    testing::Values(
        ValueCase{0.0f, "0,0"}, ValueCase{-0.0f, "0,0"}, ValueCase{12.345f, "12,3"},
        ValueCase{0.05f, "0,1"}, ValueCase{0.04f, "0,0"}, ValueCase{-0.04f, "0,0"},
        ValueCase{-5.25f, "-5,3"}, ValueCase{9.96f, "10,0"}, ValueCase{123.45f, "123,0"},
        ValueCase{999.4f, "999,0"}, ValueCase{999.5f, "1E3"}, ValueCase{1000.0f, "1E3"},
        ValueCase{1234.5f, "1,23E3"}, ValueCase{25000.0f, "2,5E4"}, ValueCase{99.95f, "99,9"},
        ValueCase{45.5f, "45,5"}, ValueCase{30.25f, "30,3"}, ValueCase{100.0f, "100,0"},
        ValueCase{250.0f, "250,0"}, ValueCase{0.96f, "1,0"}, ValueCase{0.5f, "0,5"},
        ValueCase{0.005f, "0,0"}, ValueCase{-0.06f, "-0,1"}, ValueCase{-1234.5f, "-1,23E3"},
        ValueCase{-999.5f, "-1E3"}, ValueCase{99.96f, "100,0"}, ValueCase{1.05f, "1,0"},
        ValueCase{FLT_MAX, "3,4E38"}, ValueCase{-FLT_MAX, "-3,4E38"}, ValueCase{FLT_MIN, "0,0"},
        ValueCase{std::numeric_limits<float>::denorm_min(), "0,0"},
        ValueCase{std::numeric_limits<float>::infinity(), "INF"},
        ValueCase{-std::numeric_limits<float>::infinity(), "-INF"},
        ValueCase{std::numeric_limits<float>::quiet_NaN(), "NAN"},
        ValueCase{-std::numeric_limits<float>::quiet_NaN(), "NAN"}));

TEST(ValueTextSeparator, AnySeparatorTextIsUsedAsGiven) {
  EXPECT_EQ(ValueText(12.345f, "."), "12.3");
  EXPECT_EQ(ValueText(1234.5f, "."), "1.23E3");
  EXPECT_EQ(ValueText(0.0f, "٫"), "0٫0");
}

struct PatternCase {
  std::uint32_t word;
  const char* text;
};

class SkleyFloatTest : public testing::TestWithParam<PatternCase> {};

TEST_P(SkleyFloatTest, BytesMostSignificantFirst) {
  const std::uint32_t w = GetParam().word;
  const double value =
      SKLEY_FLOAT(static_cast<std::uint8_t>(w >> 24), static_cast<std::uint8_t>(w >> 16),
                  static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w));
  EXPECT_EQ(ValueText(static_cast<float>(value), ","), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, SkleyFloatTest,
    testing::Values(PatternCase{0x42360000u, "45,5"}, PatternCase{0x41F20000u, "30,3"},
                    PatternCase{0xC0A80000u, "-5,3"}, PatternCase{0x7F800000u, "INF"},
                    PatternCase{0xFF800000u, "-INF"}, PatternCase{0x7FC00000u, "NAN"},
                    PatternCase{0xFFC00001u, "NAN"},
                    // Signalling NaNs: exponent all ones, quiet bit clear, fraction not zero.
                    PatternCase{0x7F800001u, "0,0"}, PatternCase{0xFF800001u, "0,0"},
                    PatternCase{0x7FBFFFFFu, "0,0"}));

TEST(SkleyFloat, SignallingNanGivesPositiveZero) {
  const double value = SKLEY_FLOAT(0x7F, 0x80, 0x00, 0x01);
  EXPECT_EQ(value, 0.0);
  EXPECT_FALSE(std::signbit(value));
}

}  // namespace
}  // namespace readings
