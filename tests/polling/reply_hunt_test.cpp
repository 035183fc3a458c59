// Finding replies in what a shared line brought: wherever they start, only whole and with a
// good CRC, and the poll in progress's only after its request's bytes.
#include "polling/reply_hunt.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame_bytes.h"

namespace polling {
namespace {

using protocol_test::Bytes;
using protocol_test::Concat;
using protocol_test::NormalReply;

constexpr ExpectedReply kFrom1{1, 4, 31, 0};
constexpr ExpectedReply kFrom2{2, 4, 31, 0};

TEST(FindReply, TakesTheEarliestWholeValidReplyAfterNoiseAndHalfFrames) {
  const Bytes reply = NormalReply(2);
  const Bytes cut(reply.begin(), reply.begin() + 20);
  // Noise that starts like a reply of 2, the first 20 bytes of one, then a whole one.
  const Bytes bytes = Concat(Concat(Bytes{0x02, 0x04, 0x99}, cut), reply);
  const std::vector<ExpectedReply> expected{kFrom1, kFrom2};
  const auto found = FindReply(bytes, expected);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->start, 23u);
  EXPECT_EQ(found->length, 31u);
  EXPECT_EQ(found->expected, 1u);

  Bytes bad_crc = reply;
  bad_crc.back() ^= 0xFF;
  EXPECT_FALSE(FindReply(bad_crc, expected));
  EXPECT_FALSE(FindReply(cut, expected));
  // Another address's reply, whole and valid, is not one of those waited for.
  EXPECT_FALSE(FindReply(NormalReply(3), expected));
}

// The bytes before a request are no reply to it: a reply of its address there is an earlier
// poll's.
TEST(FindReply, AnExpectationLooksOnlyFromItsStart) {
  const Bytes bytes = Concat(NormalReply(1, 0x11), NormalReply(1, 0x22));
  const std::vector<ExpectedReply> current{{1, 4, 31, 31}};
  EXPECT_EQ(FindReply(bytes, current)->start, 31u);
  const std::vector<ExpectedReply> late_too{{1, 4, 31, 31}, kFrom1};
  const auto found = FindReply(bytes, late_too);
  EXPECT_EQ(found->start, 0u);
  EXPECT_EQ(found->expected, 1u);
}

}  // namespace
}  // namespace polling
