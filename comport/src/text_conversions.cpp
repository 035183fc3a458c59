#include "comport/text_conversions.h"

#include "enum_tables.h"
#include "runtime/int_text.h"

namespace comport {
namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

template <typename E, std::size_t N>
std::string ToText(const detail::EnumTable<E, N>& table, E value) {
  return std::string(table.Text(value));
}

template <typename E, std::size_t N>
E FromText(const detail::EnumTable<E, N>& table, std::string_view text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (EqualIgnoringAsciiCase(text, table.texts[i])) return static_cast<E>(i);
  }
  return table.fallback;
}

}  // namespace

std::string BaudRateToText(TBaudRate value) { return ToText(detail::kBaudRates, value); }
TBaudRate TextToBaudRate(std::string_view text) { return FromText(detail::kBaudRates, text); }
std::string StopBitsToText(TStopBits value) { return ToText(detail::kStopBits, value); }
TStopBits TextToStopBits(std::string_view text) { return FromText(detail::kStopBits, text); }
std::string DataBitsToText(TDataBits value) { return ToText(detail::kDataBits, value); }
TDataBits TextToDataBits(std::string_view text) { return FromText(detail::kDataBits, text); }
std::string ParityToText(TParityBits value) { return ToText(detail::kParityBits, value); }
TParityBits TextToParity(std::string_view text) { return FromText(detail::kParityBits, text); }
std::string FlowControlToText(TFlowControl value) { return ToText(detail::kFlowControls, value); }
TFlowControl TextToFlowControl(std::string_view text) {
  return FromText(detail::kFlowControls, text);
}
std::string DTRControlToText(TDTRFlowControl value) { return ToText(detail::kDTRControls, value); }
TDTRFlowControl TextToDTRControl(std::string_view text) {
  return FromText(detail::kDTRControls, text);
}
std::string RTSControlToText(TRTSFlowControl value) { return ToText(detail::kRTSControls, value); }
TRTSFlowControl TextToRTSControl(std::string_view text) {
  return FromText(detail::kRTSControls, text);
}

std::string BoolToText(bool value) { return value ? "Yes" : "No"; }
bool TextToBool(std::string_view text) { return EqualIgnoringAsciiCase(text, "YES"); }

std::string CharToText(char value) {
  const auto code = static_cast<unsigned char>(value);
  if (code >= 33 && code <= 127) return std::string(1, value);
  return std::string("#").append(std::to_string(code));
}

char TextToChar(std::string_view text) {
  if (text.empty()) return 0;
  if (text.size() >= 2 && text.front() == '#') {
    const auto code = runtime::TryStrToInt(text.substr(1));
    return code ? static_cast<char>(static_cast<std::uint32_t>(*code) & 0xFFu) : char{0};
  }
  return text.front();
}

}  // namespace comport
