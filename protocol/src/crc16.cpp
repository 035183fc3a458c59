#include "protocol/crc16.h"

namespace protocol {

std::uint16_t CRC16(std::uint8_t length, const FrameBuffer& buffer) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= buffer[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1U) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

}  // namespace protocol
