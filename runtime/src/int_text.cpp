#include "runtime/int_text.h"

#include <string>

#include "runtime/exception.h"

namespace runtime {
namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Length of a hexadecimal prefix at the start of `text`, 0 for none.
std::size_t HexPrefixLength(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) return 2;
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) return 1;
  return 0;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
  std::size_t pos = text.find_first_not_of(' ');
  if (pos == std::string_view::npos) return std::nullopt;
  text.remove_prefix(pos);

  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::size_t prefix = HexPrefixLength(text);
  text.remove_prefix(prefix);
  const unsigned base = prefix != 0 ? 16 : 10;
  if (text.empty()) return std::nullopt;

  // Decimal may reach 2^31 for the negative limit; hexadecimal takes 32 bits.
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
  std::uint64_t value = 0;
  for (char c : text) {
    const int digit = DigitValue(c);
    if (digit >= static_cast<int>(base)) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    if (value > limit) return std::nullopt;
  }
  auto bits = static_cast<std::uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

std::int32_t StrToInt(std::string_view text) {
  if (auto value = TryStrToInt(text)) return *value;
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace runtime
