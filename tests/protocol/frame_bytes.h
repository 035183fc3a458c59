// Builders of frame buffers for the protocol and exchange tests.
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/crc16.h"

namespace protocol_test {

using Bytes = std::vector<std::uint8_t>;

// `frame` followed by its Modbus CRC, low byte first.
inline Bytes WithCrc(Bytes frame) {
  protocol::FrameBuffer buffer{};
  for (std::size_t i = 0; i < frame.size(); ++i) buffer[i] = frame[i];
  const std::uint16_t crc = protocol::CRC16(static_cast<std::uint8_t>(frame.size()), buffer);
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
  return frame;
}

// A zero-filled 270-byte buffer holding `bytes` from offset 0.
inline protocol::FrameBuffer Buffer(const Bytes& bytes) {
  protocol::FrameBuffer buffer{};
  for (std::size_t i = 0; i < bytes.size() && i < buffer.size(); ++i) buffer[i] = bytes[i];
  return buffer;
}

// The normal 31-byte reply of `address` to the read request, registers filled with `fill`.
inline Bytes NormalReply(std::uint8_t address, std::uint8_t fill = 0x11) {
  Bytes frame(3 + 26, fill);
  frame[0] = address;
  frame[1] = 4;
  frame[2] = 26;
  return WithCrc(frame);
}

inline Bytes Concat(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

}  // namespace protocol_test
