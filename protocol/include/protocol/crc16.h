// The frame CRC of Modbus RTU.
#pragma once

#include <cstdint>

#include "protocol/frame_buffer.h"

namespace protocol {

// Modbus CRC-16 (start 0xFFFF, reflected polynomial 0xA001, no final XOR) of the first
// `length` bytes of `buffer`; sent low byte first. Callers cut wider counts to 8 bits.
std::uint16_t CRC16(std::uint8_t length, const FrameBuffer& buffer);

}  // namespace protocol
