#include "text_properties.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "comport/text_conversions.h"
#include "runtime/exception.h"
#include "runtime/int_text.h"

namespace properties {
namespace {

// Works alike under GoogleTest and libFuzzer: a violated property aborts.
void Require(bool holds, const char* what, std::string_view text) {
  if (holds) return;
  std::fprintf(stderr, "property violated: %s for text \"%.*s\"\n", what,
               static_cast<int>(text.size()), text.data());
  std::abort();
}

template <typename Enum, typename ToText, typename FromText>
void CheckEnumText(std::string_view text, ToText to_text, FromText from_text) {
  const Enum member = from_text(text);
  Require(from_text(to_text(member)) == member, "enumeration text round trip", text);
}

}  // namespace

void CheckIntRoundTrip(std::int32_t value) {
  const std::string decimal = std::to_string(value);
  Require(runtime::StrToInt(decimal) == value, "decimal round trip", decimal);
  char hex[16];
  std::snprintf(hex, sizeof hex, "$%X", static_cast<unsigned>(value));
  Require(runtime::StrToInt(hex) == value, "hexadecimal round trip", hex);
  Require(runtime::StrToInt("  " + decimal) == value, "leading blanks", decimal);
}

void CheckIntText(std::string_view text) {
  const auto parsed = runtime::TryStrToInt(text);
  try {
    const std::int32_t value = runtime::StrToInt(text);
    Require(parsed.has_value() && *parsed == value, "throwing and non-throwing forms agree", text);
  } catch (const runtime::EConvertError& error) {
    Require(!parsed.has_value(), "failure in both forms", text);
    const std::string expected = "'" + std::string(text) + "' is not a valid integer value";
    Require(error.Message() == expected, "conversion error carries the text", text);
  }
}

void CheckSettingTexts(std::string_view text) {
  CheckEnumText<comport::TBaudRate>(text, comport::BaudRateToText, comport::TextToBaudRate);
  CheckEnumText<comport::TStopBits>(text, comport::StopBitsToText, comport::TextToStopBits);
  CheckEnumText<comport::TDataBits>(text, comport::DataBitsToText, comport::TextToDataBits);
  CheckEnumText<comport::TParityBits>(text, comport::ParityToText, comport::TextToParity);
  CheckEnumText<comport::TFlowControl>(text, comport::FlowControlToText,
                                       comport::TextToFlowControl);
  CheckEnumText<comport::TDTRFlowControl>(text, comport::DTRControlToText,
                                          comport::TextToDTRControl);
  CheckEnumText<comport::TRTSFlowControl>(text, comport::RTSControlToText,
                                          comport::TextToRTSControl);
  const bool flag = comport::TextToBool(text);
  Require(comport::TextToBool(comport::BoolToText(flag)) == flag, "boolean round trip", text);
  const char c = comport::TextToChar(text);
  Require(comport::TextToChar(comport::CharToText(c)) == c, "character round trip", text);
}

}  // namespace properties
