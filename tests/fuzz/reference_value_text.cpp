#include "reference_value_text.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace reference {
namespace {

// Significant digits of |value| and the count E of digits before the point,
// from printf's exact expansion: a single widened to double has at most 112
// significant decimal digits, so 120 digits after the first are exact.
void ExactDigits(double magnitude, std::string& digits, int& e) {
  char text[160];
  std::snprintf(text, sizeof text, "%.120e", magnitude);
  const std::string all(text);
  const std::size_t mark = all.find('e');
  digits = all.substr(0, 1) + all.substr(2, mark - 2);
  e = std::stoi(all.substr(mark + 1)) + 1;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

}  // namespace

std::string ValueText(float value, std::string_view separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const std::string zero = std::string("0").append(separator).append("0");
  if (value == 0.0f) return zero;

  std::string digits;
  int e = 0;
  ExactDigits(std::fabs(static_cast<double>(value)), digits, e);
  const int keep = std::min(3, e + 1);
  if (keep < 0) return zero;

  std::string kept = digits.substr(0, static_cast<std::size_t>(keep));
  const char next = static_cast<std::size_t>(keep) < digits.size() ? digits[keep] : '0';
  if (next >= '5') {
    // Add one at the last kept place, carrying to the left.
    int i = keep - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0) {
      ++kept[i];
    } else {
      kept.assign(1, '1');
      ++e;
    }
  }
  while (!kept.empty() && kept.back() == '0') kept.pop_back();
  if (kept.empty()) return zero;

  std::string out = value < 0 ? "-" : "";
  if (e > 3) {
    out += kept[0];
    if (kept.size() > 1) out += std::string(separator) + kept.substr(1);
    return out + "E" + std::to_string(e - 1);
  }
  auto digit_at = [&](int i) { return i < static_cast<int>(kept.size()) ? kept[i] : '0'; };
  if (e == 0) {
    out += '0';
  } else {
    for (int i = 0; i < e; ++i) out += digit_at(i);
  }
  out += separator;
  out += digit_at(e);
  return out;
}

}  // namespace reference
