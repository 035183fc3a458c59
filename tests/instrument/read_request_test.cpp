#include "instrument/read_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string SentText(std::uint8_t address) {
  protocol::FrameBuffer tx{};
  const auto request = instrument::FillReadRequest(tx, address);
  return protocol::SentFrameText(tx, request.tx_len);
}

TEST(ReadRequest, BytesLengthsAndSentText) {
  protocol::FrameBuffer tx{};
  const auto request = instrument::FillReadRequest(tx, 1);
  EXPECT_EQ(request.tx_len, 6);
  EXPECT_EQ(request.rx_len, 31);
  protocol::AppendCrc(tx, request.tx_len);
  EXPECT_EQ(std::vector<std::uint8_t>(tx.begin(), tx.begin() + 9),
            (std::vector<std::uint8_t>{1, 4, 0, 0, 0, 13, 0x31, 0xCF, 0}));

  EXPECT_EQ(SentText(1), "Послано:   1 4 0 0 0 13 49 207 ");
  EXPECT_EQ(SentText(247), "Послано:   247 4 0 0 0 13 37 89 ");
}

}  // namespace
