// The unit's CRC16 and frame buffer, on the frames whose bytes the instrument's protocol fixes.
#include "exchange/EMUL_Functions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

namespace {

EMUL_Functions::FrameBuffer Frame(std::initializer_list<std::uint8_t> bytes) {
  EMUL_Functions::FrameBuffer frame{};
  std::copy(bytes.begin(), bytes.end(), frame.begin());
  return frame;
}

TEST(EmulFunctions, Crc16OfKnownFrames) {
  static_assert(EMUL_Functions::FRAME_BUFFER_SIZE == 270);
  // The standard check value of the nine ASCII digits.
  EXPECT_EQ(EMUL_Functions::CRC16(9, Frame({'1', '2', '3', '4', '5', '6', '7', '8', '9'})), 0x4B37);
  // The read requests to addresses 1 and 247 go out as "... 49 207" and "... 37 89".
  EXPECT_EQ(EMUL_Functions::CRC16(6, Frame({1, 4, 0, 0, 0, 13})), 207 * 256 + 49);
  EXPECT_EQ(EMUL_Functions::CRC16(6, Frame({247, 4, 0, 0, 0, 13})), 89 * 256 + 37);
  EXPECT_EQ(EMUL_Functions::CRC16(0, Frame({1, 4})), 0xFFFF);
}

}  // namespace
