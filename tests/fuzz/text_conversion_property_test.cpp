// Conversions of text from outside (the address field, stored settings) never
// crash, agree with their non-throwing forms, and round-trip where they must.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "comport/text_conversions.h"
#include "runtime/exception.h"
#include "runtime/int_text.h"
#include "text_properties.h"

namespace {

TEST(IntTextProperty, DecimalAndHexRoundTripOverRandomValues) {
  std::mt19937 random(std::random_device{}());
  for (int i = 0; i < 100000; ++i) {
    const auto value = static_cast<std::int32_t>(random());
    properties::CheckIntRoundTrip(value);
  }
  for (std::int32_t edge : {0, 1, -1, std::numeric_limits<std::int32_t>::max(),
                            std::numeric_limits<std::int32_t>::min()}) {
    properties::CheckIntRoundTrip(edge);
  }
}

TEST(IntTextProperty, RandomTextsBehaveAlikeInBothForms) {
  // A text with an embedded NUL still appears whole in the error message.
  properties::CheckIntText(std::string_view("\n\0\xff", 3));
  std::mt19937 random(std::random_device{}());
  const std::string alphabet = " +-$xX0123456789abcdefABCDEFgG\t";
  for (int i = 0; i < 100000; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    properties::CheckIntText(text);
  }
}

TEST(SettingTextProperty, RandomTextsNeverFailAndCharsRoundTrip) {
  std::mt19937 random(std::random_device{}());
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 8);
    for (int k = 0; k < length; ++k) text += static_cast<char>(random() % 256);
    properties::CheckSettingTexts(text);
  }
}

}  // namespace
