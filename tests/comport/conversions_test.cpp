// Integer text, enumeration and character text forms, and the error texts.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "comport/com_errors.h"
#include "comport/text_conversions.h"
#include "runtime/int_text.h"
#include "runtime/toolkit.h"

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
    EXPECT_EQ(runtime::StrToInt(text), value) << text;
  }
}

TEST(StrToInt, RejectedFormsNameTheText) {
  for (const std::string text : {"12 ", "", " ", "+", "-", "$", "0x", "2147483648", "-2147483649",
                                 "$100000000", "1x", "12a", "\t1", "1.0", "--1"}) {
    EXPECT_FALSE(runtime::TryStrToInt(text).has_value()) << text;
    try {
      runtime::StrToInt(text);
      ADD_FAILURE() << text;
    } catch (const runtime::EConvertError& error) {
      EXPECT_EQ(error.Message(), "'" + text + "' is not a valid integer value");
    }
  }
}

// Each member's text, written out here rather than taken from the table under
// test; read back in its own spelling and in lower case.
template <typename E>
void ExpectTexts(std::string (*to_text)(E), E (*from_text)(std::string_view),
                 const std::vector<std::pair<E, std::string>>& members) {
  for (const auto& [member, text] : members) {
    EXPECT_EQ(to_text(member), text) << static_cast<int>(member);
    EXPECT_EQ(from_text(text), member) << text;
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(from_text(lower), member) << lower;
  }
}

TEST(TextConversions, EnumerationsRoundTripEveryMember) {
  ExpectTexts<TBaudRate>(BaudRateToText, TextToBaudRate,
                         {{brCustom, "Custom"},
                          {br110, "110"},
                          {br300, "300"},
                          {br600, "600"},
                          {br1200, "1200"},
                          {br2400, "2400"},
                          {br4800, "4800"},
                          {br9600, "9600"},
                          {br14400, "14400"},
                          {br19200, "19200"},
                          {br38400, "38400"},
                          {br56000, "56000"},
                          {br57600, "57600"},
                          {br115200, "115200"},
                          {br128000, "128000"},
                          {br256000, "256000"}});
  ExpectTexts<TStopBits>(StopBitsToText, TextToStopBits,
                         {{sbOneStopBit, "1"}, {sbOne5StopBits, "1.5"}, {sbTwoStopBits, "2"}});
  ExpectTexts<TDataBits>(DataBitsToText, TextToDataBits,
                         {{dbFive, "5"}, {dbSix, "6"}, {dbSeven, "7"}, {dbEight, "8"}});
  ExpectTexts<TParityBits>(
      ParityToText, TextToParity,
      {{prNone, "None"}, {prOdd, "Odd"}, {prEven, "Even"}, {prMark, "Mark"}, {prSpace, "Space"}});
  ExpectTexts<TFlowControl>(
      FlowControlToText, TextToFlowControl,
      {{fcHardware, "Hardware"}, {fcSoftware, "Software"}, {fcNone, "None"}, {fcCustom, "Custom"}});
  ExpectTexts<TDTRFlowControl>(
      DTRControlToText, TextToDTRControl,
      {{dtrDisable, "Disable"}, {dtrEnable, "Enable"}, {dtrHandshake, "Handshake"}});
  ExpectTexts<TRTSFlowControl>(RTSControlToText, TextToRTSControl,
                               {{rtsDisable, "Disable"},
                                {rtsEnable, "Enable"},
                                {rtsHandshake, "Handshake"},
                                {rtsToggle, "Toggle"}});
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

// Each code's number and text as the component documents them; the raising sites use the
// names, so a name on the wrong number shows the wrong message.
TEST(PortErrors, EveryCodeHasItsMessage) {
  struct Row {
    TPortError name;
    std::int32_t code;
    std::string text;
  };
  const std::vector<Row> rows = {
      {kErrOpenFailed, 1, "Unable to open com port"},
      {kErrWriteFailed, 2, "WriteFile function failed"},
      {kErrReadFailed, 3, "ReadFile function failed"},
      {kErrInvalidAsync, 4, "Invalid Async parameter"},
      {kErrPurgeFailed, 5, "PurgeComm function failed"},
      {kErrAsyncStatus, 6, "Unable to get async status"},
      {kErrSetStateFailed, 7, "SetCommState function failed"},
      {kErrTimeoutsFailed, 8, "SetCommTimeouts failed"},
      {kErrSetupCommFailed, 9, "SetupComm function failed"},
      {kErrClearErrorFailed, 10, "ClearCommError function failed"},
      {kErrModemStatusFailed, 11, "GetCommModemStatus function failed"},
      {kErrEscapeFailed, 12, "EscapeCommFunction function failed"},
      {kErrTransmitFailed, 13, "TransmitCommChar function failed"},
      {kErrConnectedProperty, 14, "Cannot set property while connected"},
      {kErrEnumPortsFailed, 15, "EnumPorts function failed"},
      {kErrStoreFailed, 16, "Failed to store settings"},
      {kErrLoadFailed, 17, "Failed to load settings"},
      {kErrLinkFailed, 18, "Link (un)registration failed"},
      {kErrLedState, 19, "Cannot change led state if ComPort is selected"},
      {kErrThreadCreated, 20, "Cannot wait for event if event thread is created"},
      {kErrWaitFailed, 21, "WaitForEvent method failed"},
      {kErrRxBufLinked, 22, "A component is linked to OnRxBuf event"},
      {kErrRegistry, 23, "Registry error"},
  };
  ASSERT_EQ(rows.size(), 23u);
  for (const auto& [name, code, text] : rows) {
    EXPECT_EQ(static_cast<std::int32_t>(name), code) << text;
    const EComPort plain(name);
    EXPECT_EQ(plain.PortErrorCode(), code);
    EXPECT_EQ(plain.SystemErrorCode(), -1);
    EXPECT_EQ(plain.Message(), text) << code;
    const EComPort with_system(code, 87);
    EXPECT_EQ(with_system.SystemErrorCode(), 87);
    EXPECT_EQ(with_system.Message(), text + " (win error code: 87)") << code;
  }
  EXPECT_EQ(PortErrorMessage(0), "");
  EXPECT_EQ(PortErrorMessage(24), "");
  EXPECT_EQ(EComPort(1, 2).Message(), "Unable to open com port (win error code: 2)");
  EXPECT_EQ(EComPort(3, -536870912).Message(),
            "ReadFile function failed (win error code: -536870912)");
  EXPECT_STREQ(EComPort(4).what(), "Invalid Async parameter");
}

TEST(ToolkitReport, FullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(runtime::ExceptionReportText("Unable to open com port (win error code: 2)"),
            "Unable to open com port (win error code: 2)");
  EXPECT_EQ(runtime::ExceptionReportText("Registry error"), "Registry error.");
  EXPECT_EQ(runtime::ExceptionReportText("Done."), "Done.");
  EXPECT_EQ(runtime::ExceptionReportText(""), "");
}

}  // namespace
}  // namespace comport
