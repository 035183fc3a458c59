// Integer text, enumeration and character text forms, and the error texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comport/com_errors.h"
#include "comport/int_text.h"
#include "comport/text_conversions.h"
#include "comport/toolkit.h"

namespace comport {
namespace {

TEST(StrToInt, AcceptedForms) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {" 12", 12},
      {"+7", 7},
      {"-5", -5},
      {"$0A", 10},
      {"0x0A", 10},
      {"x1f", 31},
      {"0X1F", 31},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"007", 7},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(StrToInt(text), value) << text;
  }
}

TEST(StrToInt, RejectedFormsNameTheText) {
  for (const std::string text : {"12 ", "", " ", "+", "-", "$", "0x", "2147483648", "-2147483649",
                                 "$100000000", "1x", "12a", "\t1", "1.0", "--1"}) {
    EXPECT_FALSE(TryStrToInt(text).has_value()) << text;
    try {
      StrToInt(text);
      ADD_FAILURE() << text;
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.Message(), "'" + text + "' is not a valid integer value");
    }
  }
}

TEST(TextConversions, EnumerationsRoundTripEveryMember) {
  for (int i = 0; i < 16; ++i) {
    const auto rate = static_cast<TBaudRate>(i);
    EXPECT_EQ(TextToBaudRate(BaudRateToText(rate)), rate);
  }
  EXPECT_EQ(BaudRateToText(brCustom), "Custom");
  EXPECT_EQ(BaudRateToText(br256000), "256000");
  EXPECT_EQ(StopBitsToText(sbOne5StopBits), "1.5");
  EXPECT_EQ(DataBitsToText(dbFive), "5");
  EXPECT_EQ(ParityToText(prSpace), "Space");
  EXPECT_EQ(FlowControlToText(fcSoftware), "Software");
  EXPECT_EQ(DTRControlToText(dtrHandshake), "Handshake");
  EXPECT_EQ(RTSControlToText(rtsToggle), "Toggle");
}

TEST(TextConversions, TextToEnumerationIgnoresCaseAndFallsBack) {
  EXPECT_EQ(TextToParity("mark"), prMark);
  EXPECT_EQ(TextToParity("EVEN"), prEven);
  EXPECT_EQ(TextToParity("Even "), prNone);
  EXPECT_EQ(TextToBaudRate(""), br9600);
  EXPECT_EQ(TextToBaudRate("12345"), br9600);
  EXPECT_EQ(TextToBaudRate("custom"), brCustom);
  EXPECT_EQ(TextToFlowControl("none"), fcNone);
  EXPECT_EQ(TextToFlowControl("x"), fcCustom);
  EXPECT_EQ(TextToDataBits("9"), dbEight);
  EXPECT_EQ(TextToStopBits("2"), sbTwoStopBits);
  EXPECT_EQ(TextToStopBits("3"), sbOneStopBit);
  EXPECT_EQ(TextToDTRControl("enable"), dtrEnable);
  EXPECT_EQ(TextToRTSControl("toggle"), rtsToggle);
  EXPECT_EQ(TextToRTSControl("?"), rtsDisable);
}

TEST(TextConversions, Booleans) {
  EXPECT_EQ(BoolToText(true), "Yes");
  EXPECT_EQ(BoolToText(false), "No");
  EXPECT_TRUE(TextToBool("yEs"));
  EXPECT_FALSE(TextToBool("true"));
  EXPECT_FALSE(TextToBool(""));
}

TEST(TextConversions, Characters) {
  const std::vector<std::pair<int, std::string>> to_text = {
      {0, "#0"},     {17, "#17"},   {32, "#32"},   {33, "!"},    {65, "A"},
      {127, "\x7f"}, {128, "#128"}, {200, "#200"}, {255, "#255"}};
  for (const auto& [code, text] : to_text) {
    EXPECT_EQ(CharToText(static_cast<char>(code)), text) << code;
  }
  const std::vector<std::pair<std::string, int>> from_text = {
      {"", 0},    {"#17", 17}, {"#$41", 65}, {"#300", 44}, {"#-1", 255},
      {"#", '#'}, {"#1x", 0},  {"Ab", 'A'},  {"# 9", 9},   {"#0x7F", 127}};
  for (const auto& [text, code] : from_text) {
    EXPECT_EQ(static_cast<unsigned char>(TextToChar(text)), code) << text;
  }
}

TEST(PortErrors, EveryCodeHasItsMessage) {
  ASSERT_EQ(PortErrorMessages.size(), 23u);
  for (std::int32_t code = 1; code <= 23; ++code) {
    const EComPort plain(code);
    EXPECT_EQ(plain.PortErrorCode(), code);
    EXPECT_EQ(plain.SystemErrorCode(), -1);
    EXPECT_EQ(plain.Message(), PortErrorMessage(code));
    EXPECT_FALSE(plain.Message().empty());
    const EComPort with_system(code, 87);
    EXPECT_EQ(with_system.Message(), std::string(PortErrorMessage(code)) + " (win error code: 87)");
  }
  EXPECT_EQ(EComPort(1, 2).Message(), "Unable to open com port (win error code: 2)");
  EXPECT_EQ(EComPort(8, 5).Message(), "SetCommTimeouts failed (win error code: 5)");
  EXPECT_EQ(EComPort(14).Message(), "Cannot set property while connected");
  EXPECT_EQ(EComPort(18).Message(), "Link (un)registration failed");
  EXPECT_EQ(EComPort(3, -536870912).Message(),
            "ReadFile function failed (win error code: -536870912)");
  EXPECT_STREQ(EComPort(4).what(), "Invalid Async parameter");
}

TEST(ToolkitReport, FullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(ExceptionReportText("Unable to open com port (win error code: 2)"),
            "Unable to open com port (win error code: 2)");
  EXPECT_EQ(ExceptionReportText("Registry error"), "Registry error.");
  EXPECT_EQ(ExceptionReportText("Done."), "Done.");
  EXPECT_EQ(ExceptionReportText(""), "");
}

}  // namespace
}  // namespace comport
