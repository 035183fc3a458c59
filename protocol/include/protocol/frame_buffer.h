// The buffer that holds one Modbus RTU frame, request or reply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace protocol {

inline constexpr std::size_t FRAME_BUFFER_SIZE = 270;
using FrameBuffer = std::array<std::uint8_t, FRAME_BUFFER_SIZE>;

}  // namespace protocol
