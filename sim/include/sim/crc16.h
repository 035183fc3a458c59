#pragma once

#include <cstdint>
#include <span>

namespace sim {

// Modbus CRC-16 (start 0xFFFF, reflected polynomial 0xA001, no final XOR).
// The simulator keeps its own copy so that it checks the master's frames
// independently of the master's code. On the wire the low byte goes first.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes);

// Appends the CRC of everything already in `frame`, low byte first.
template <typename Bytes>
void AppendCrc(Bytes& frame) {
  const std::uint16_t crc = Crc16(frame);
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

// True when the last two bytes are the CRC of the bytes before them.
bool HasValidCrc(std::span<const std::uint8_t> frame);

}  // namespace sim
