#pragma once

#include <cstdint>

#include "protocol/frame_buffer.h"
#include "protocol/frames.h"

namespace instrument {

// Stores the system's one request, "read the 13 input registers from register 0" of the
// instrument at `address`, in tx[0..5]; the lengths are those of the request and its reply.
protocol::ReadRequest FillReadRequest(protocol::FrameBuffer& tx, std::uint8_t address);

}  // namespace instrument
