#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

namespace reader {

// Runs `frame` through reply matching and the CRC check as the exchange would
// after reading it in reply to the system's own request (13 registers, 31 reply
// bytes) to the frame's address, with the frame's function code less its
// exception bit. An accepted reply prints the status text and then the memo
// lines, one per line, to `out` and gives 0; a rejected one prints only a
// message to `err` and gives 1. The frame holds at most 270 bytes.
int RunDecode(std::span<const std::uint8_t> frame, std::string_view separator, std::ostream& out,
              std::ostream& err);

}  // namespace reader
