// Properties of the text conversions, shared by the property tests and the
// fuzz targets. Each check aborts (through a failed assertion) when violated.
#pragma once

#include <cstdint>
#include <string_view>

namespace properties {

// StrToInt reads back the decimal and "$"-hexadecimal texts of `value`.
void CheckIntRoundTrip(std::int32_t value);
// StrToInt and TryStrToInt agree on `text`; a failure carries the text.
void CheckIntText(std::string_view text);
// Every text-to-setting conversion accepts `text`; each result's text maps
// back to the same member; CharToText round-trips through TextToChar.
void CheckSettingTexts(std::string_view text);

}  // namespace properties
