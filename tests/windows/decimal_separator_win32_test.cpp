// The decimal separator from Windows' regional settings, by locale name.
#include <gtest/gtest.h>

#include "readings/decimal_separator.h"

namespace readings {
namespace {

TEST(SeparatorOfLocaleOnWindows, CommaForRussianFullStopForEnglishAndForUnknownNames) {
  EXPECT_EQ(SeparatorOfLocale("ru-RU"), ",");
  EXPECT_EQ(SeparatorOfLocale("de-DE"), ",");
  EXPECT_EQ(SeparatorOfLocale("en-US"), ".");
  EXPECT_EQ(SeparatorOfLocale("xx-NOWHERE"), ".");
  EXPECT_EQ(SeparatorOfLocale("r\xD1\x83-RU"), ".");  // not a locale name at all
}

TEST(SeparatorOfLocaleOnWindows, TheUsersOwnSettingsGiveOneCharacter) {
  const std::string separator = SeparatorOfLocale("");
  EXPECT_FALSE(separator.empty());
  EXPECT_NE(separator.find_first_of(".,"), std::string::npos) << separator;
}

TEST(DecimalSeparatorOnWindows, AnOverrideIsWhatEveryoneReads) {
  SetDecimalSeparator(",");
  EXPECT_EQ(DecimalSeparator(), ",");
  SetDecimalSeparator(".");
  EXPECT_EQ(DecimalSeparator(), ".");
}

}  // namespace
}  // namespace readings
