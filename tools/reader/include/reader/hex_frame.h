#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace reader {

struct HexFrame {
  std::vector<std::uint8_t> bytes;
  std::string error;  // empty when `bytes` holds the frame
};

// Parses a frame written in hexadecimal: blank-separated groups, each an even
// number of digits
// ("01 04 1A", "01041A", "0104 1A"). Rejects other characters, a group with an
// odd number of digits, an empty frame and more bytes than the 270-byte receive
// buffer holds.
HexFrame ParseHexFrame(std::string_view text);

}  // namespace reader
