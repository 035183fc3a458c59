#include "readings/value_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace readings {
namespace {

constexpr int kMaxSignificantDigits = 3;
// A float's exact decimal expansion has at most 112 significant digits; asking for more makes
// the conversion exact, so the display rounding below is the only rounding that happens.
constexpr int kExactPrecision = 120;

// Significant digits of a non-zero magnitude and E, the number of digits before the point
// (0 for 0.5, -1 for 0.05).
struct Decimal {
  std::string digits;
  int before_point = 0;
};

Decimal ExactDecimal(float magnitude) {
  std::array<char, kExactPrecision + 16> text{};
  const auto result =
      std::to_chars(text.data(), text.data() + text.size(), static_cast<double>(magnitude),
                    std::chars_format::scientific, kExactPrecision);
  const std::string_view rendered(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
  // "d.ddd...e+XX": first digit, point, the rest, then the power of ten.
  const std::size_t exponent_at = rendered.find('e');
  Decimal decimal;
  decimal.digits.push_back(rendered[0]);
  decimal.digits.append(rendered.substr(2, exponent_at - 2));
  int power = 0;
  const std::string_view exponent = rendered.substr(exponent_at + 1);
  const std::size_t skip_plus = exponent.front() == '+' ? 1 : 0;
  std::from_chars(exponent.data() + skip_plus, exponent.data() + exponent.size(), power);
  decimal.before_point = power + 1;
  return decimal;
}

// Keeps min(3, E + 1) digits, rounding half up on the next one; an empty result means zero.
Decimal RoundForDisplay(const Decimal& exact) {
  Decimal kept{"", exact.before_point};
  const int keep = std::min(kMaxSignificantDigits, exact.before_point + 1);
  if (keep < 0) return {};
  kept.digits = exact.digits.substr(0, static_cast<std::size_t>(keep));
  if (exact.digits[static_cast<std::size_t>(keep)] >= '5') {
    auto digit = kept.digits.rbegin();
    while (digit != kept.digits.rend() && *digit == '9') *digit++ = '0';
    if (digit == kept.digits.rend()) {
      kept.digits.assign(1, '1');
      ++kept.before_point;
    } else {
      ++*digit;
    }
  }
  while (!kept.digits.empty() && kept.digits.back() == '0') kept.digits.pop_back();
  return kept;
}

std::string Scientific(const Decimal& rounded, std::string_view separator) {
  std::string text(1, rounded.digits.front());
  if (rounded.digits.size() > 1) {
    text.append(separator);
    text.append(rounded.digits, 1);
  }
  return text + "E" + std::to_string(rounded.before_point - 1);
}

std::string Fixed(const Decimal& rounded, std::string_view separator) {
  // Rounding keeps at most E + 1 digits, so the padding covers the integer part and one more.
  std::string digits = rounded.digits;
  digits.resize(static_cast<std::size_t>(rounded.before_point) + 1, '0');
  std::string text = rounded.before_point == 0
                         ? std::string("0")
                         : digits.substr(0, static_cast<std::size_t>(rounded.before_point));
  text.append(separator);
  text.push_back(digits[static_cast<std::size_t>(rounded.before_point)]);
  return text;
}

}  // namespace

std::string ValueText(float value, std::string_view separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const Decimal rounded =
      value == 0.0f ? Decimal{} : RoundForDisplay(ExactDecimal(std::fabs(value)));
  if (rounded.digits.empty()) return std::string("0").append(separator).append("0");
  const std::string sign = std::signbit(value) ? "-" : "";
  if (rounded.before_point > kMaxSignificantDigits) return sign + Scientific(rounded, separator);
  return sign + Fixed(rounded, separator);
}

}  // namespace readings
