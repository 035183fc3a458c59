#include "reader/address_list.h"

#include <array>

#include "argument_text.h"
#include "reader/read_mode.h"

namespace reader {
namespace {

constexpr std::size_t kAddressCount = 248;

struct PartAddresses {
  std::uint8_t first = 0;
  std::uint8_t last = 0;
  std::string error;
};

// "N" or "FIRST-LAST". A minus sign at the start belongs to the number ("-5" is an address out
// of range, as the window says), so a range's dash comes after its first character.
PartAddresses ParsePart(std::string_view part) {
  const std::size_t dash = part.find('-', 1);
  const AddressText first = ParseAddress(part.substr(0, dash));
  if (!first.address) return {0, 0, first.error};
  if (dash == std::string_view::npos) return {*first.address, *first.address, {}};
  const AddressText last = ParseAddress(part.substr(dash + 1));
  if (!last.address) return {0, 0, last.error};
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
  const auto refused = [&](std::string_view part, const std::string& why) {
    if (parts.size() == 1 && part.find('-', 1) == std::string_view::npos)
      return AddressList{{}, why};
    return AddressList{{}, "part " + QuotedArgument(part) + ": " + why};
  };

  AddressList list;
  std::array<bool, kAddressCount> given{};
  for (const std::string_view part : parts) {
    const PartAddresses range = ParsePart(part);
    if (!range.error.empty()) return refused(part, range.error);
    for (int address = range.first; address <= range.last; ++address) {
      if (given[static_cast<std::size_t>(address)]) {
        return refused(part, "address " + std::to_string(address) + " is given twice");
      }
      given[static_cast<std::size_t>(address)] = true;
      list.addresses.push_back(static_cast<std::uint8_t>(address));
    }
  }
  return list;
}

}  // namespace reader
