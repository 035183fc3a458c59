#include "sim/crc16.h"

namespace sim {

std::uint16_t Crc16(std::span<const std::uint8_t> bytes) {
  std::uint16_t crc = 0xFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1U) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U)
                       : static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

bool HasValidCrc(std::span<const std::uint8_t> frame) {
  if (frame.size() < 3) return false;
  const std::uint16_t crc = Crc16(frame.first(frame.size() - 2));
  return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

}  // namespace sim
