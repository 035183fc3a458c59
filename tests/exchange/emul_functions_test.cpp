// The unit keeps its names for what now lives in the protocol core.
#include "exchange/EMUL_Functions.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "protocol/crc16.h"

namespace {

static_assert(std::is_same_v<EMUL_Functions::FrameBuffer, protocol::FrameBuffer>);
static_assert(EMUL_Functions::FRAME_BUFFER_SIZE == 270);

TEST(EmulFunctions, Crc16IsTheProtocolCoresOwn) {
  EMUL_Functions::FrameBuffer request{1, 4, 0, 0, 0, 13};
  EXPECT_EQ(EMUL_Functions::CRC16(6, request), 0xCF31);
  EXPECT_EQ(&EMUL_Functions::CRC16, &protocol::CRC16);
}

}  // namespace
