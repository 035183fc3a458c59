#include "reader/address_list.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "argument_text.h"

namespace reader {
namespace {

constexpr std::size_t kAddressCount = 248;
constexpr int kLowestAddress = 1;
constexpr int kHighestAddress = 247;

// The window's message for a number outside 1..247.
constexpr std::string_view kOutOfRange = "Неправильное значение сетевого адреса";

struct Address {
  std::optional<std::uint8_t> address;
  std::string error;
  bool decimal = true;  // false: the text is no decimal number at all
};

// Decimal digits only: no sign, blank, prefix or other base, so that no text is taken for an
// address it does not plainly say.
Address ParseDecimal(std::string_view text) {
  const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return {std::nullopt, "not a decimal number", false};
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || value < kLowestAddress || value > kHighestAddress) {
    return {std::nullopt, std::string(kOutOfRange)};
  }
  return {static_cast<std::uint8_t>(value), {}};
}

struct PartAddresses {
  std::uint8_t first = 0;
  std::uint8_t last = 0;
  std::string error;
  bool decimal = true;
};

// "N" or "FIRST-LAST". A range's dash comes after its first character, so that "-5" is refused
// as no number rather than as a range.
PartAddresses ParsePart(std::string_view part) {
  const std::size_t dash = part.find('-', 1);
  const Address first = ParseDecimal(part.substr(0, dash));
  if (!first.address) return {0, 0, first.error, first.decimal};
  if (dash == std::string_view::npos) return {*first.address, *first.address, {}};
  const Address last = ParseDecimal(part.substr(dash + 1));
  if (!last.address) return {0, 0, last.error, last.decimal};
  if (*last.address < *first.address) return {0, 0, "the range runs backwards"};
  return {*first.address, *last.address, {}};
}

}  // namespace

AddressList ParseAddressList(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  // A single address out of range keeps the window's own message; otherwise the part is named.
  const auto refused = [&](std::string_view part, const PartAddresses& range) {
    if (parts.size() == 1 && range.decimal && part.find('-', 1) == std::string_view::npos) {
      return AddressList{{}, range.error};
    }
    return AddressList{{}, "part " + QuotedArgument(part) + ": " + range.error};
  };

  AddressList list;
  std::array<bool, kAddressCount> given{};
  for (const std::string_view part : parts) {
    const PartAddresses range = ParsePart(part);
    if (!range.error.empty()) return refused(part, range);
    for (int address = range.first; address <= range.last; ++address) {
      if (given[static_cast<std::size_t>(address)]) {
        return refused(part, {0, 0, "address " + std::to_string(address) + " is given twice"});
      }
      given[static_cast<std::size_t>(address)] = true;
      list.addresses.push_back(static_cast<std::uint8_t>(address));
    }
  }
  return list;
}

}  // namespace reader
