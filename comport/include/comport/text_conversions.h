// Text forms of the port settings, used by the settings storage. Conversions
// from text never fail: an unrecognised text gives the conversion's default.
//
// Enumerations: the member's text; from text, the first member whose text
// equals the input with ASCII letters upper-cased on both sides (no trimming).
#pragma once

#include <string>
#include <string_view>

#include "comport/com_types.h"

namespace comport {

std::string BaudRateToText(TBaudRate value);
TBaudRate TextToBaudRate(std::string_view text);  // default br9600
std::string StopBitsToText(TStopBits value);
TStopBits TextToStopBits(std::string_view text);  // default sbOneStopBit
std::string DataBitsToText(TDataBits value);
TDataBits TextToDataBits(std::string_view text);  // default dbEight
std::string ParityToText(TParityBits value);
TParityBits TextToParity(std::string_view text);  // default prNone
std::string FlowControlToText(TFlowControl value);
TFlowControl TextToFlowControl(std::string_view text);  // default fcCustom
std::string DTRControlToText(TDTRFlowControl value);
TDTRFlowControl TextToDTRControl(std::string_view text);  // default dtrDisable
std::string RTSControlToText(TRTSFlowControl value);
TRTSFlowControl TextToRTSControl(std::string_view text);  // default rtsDisable

// "Yes" / "No"; from text, true exactly for "yes" in any letter case.
std::string BoolToText(bool value);
bool TextToBool(std::string_view text);

// Codes 33 to 127 as the character itself, others as "#" and the decimal code.
std::string CharToText(char value);
// "" gives 0; "#" followed by an integer (runtime/int_text.h rules) gives its low 8
// bits, or 0 when no integer follows; any other text gives its first character.
char TextToChar(std::string_view text);

}  // namespace comport
