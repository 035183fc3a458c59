// Field texts shared by the machine-readable formats: the reader's records and the saved trend.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace readings {

// ISO 8601 in UTC with milliseconds: "2024-05-17T08:30:00.125Z".
std::string IsoTime(std::chrono::system_clock::time_point time);

// The shortest decimal text that reads back as the same float ("45.5", "12",
// "1e+20"); "nan", "inf" or "-inf" for those values, which the callers map to
// their own notation.
std::string FloatText(float value);

// The bytes in decimal, separated by single blanks: "1 132 2 194 193".
std::string ByteList(const std::vector<std::uint8_t>& bytes);

}  // namespace readings
