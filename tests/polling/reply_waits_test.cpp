// Each instrument's learnt wait: grown at once by a late reply, bounded, and back to the
// line's start after prompt replies without moving to and fro on a wavering one.
#include "polling/reply_waits.h"

#include <gtest/gtest.h>

namespace polling {
namespace {

using std::chrono::milliseconds;

TEST(ReplyWaits, ALateReplyGrowsItsOwnInstrumentsWaitWithAMargin) {
  ReplyWaits waits(milliseconds(186), milliseconds(1000));
  const auto change = waits.Replied(1, milliseconds(286), true);
  ASSERT_TRUE(change);
  EXPECT_EQ(change->from, milliseconds(186));
  EXPECT_GE(change->to, milliseconds(286 + 286 / 4));
  EXPECT_EQ(change->to.count() % 10, 0);
  EXPECT_EQ(waits.Of(1), change->to);
  EXPECT_EQ(waits.Of(2), milliseconds(186));
  // One that only just came in time is given room too; one far beyond is held to the bound.
  EXPECT_TRUE(waits.Replied(2, milliseconds(180), false));
  EXPECT_GT(waits.Of(2), milliseconds(186));
  waits.Replied(3, milliseconds(5000), true);
  EXPECT_EQ(waits.Of(3), milliseconds(1000));
}

TEST(ReplyWaits, PromptRepliesBringItBackToTheStartAndWaveringDoesNotMoveIt) {
  ReplyWaits waits(milliseconds(186), milliseconds(1000));
  waits.Replied(1, milliseconds(286), true);
  const milliseconds grown = waits.Of(1);
  int changes = 0;
  for (int i = 0; i < 20; ++i) {
    // A reply time wavering around what the late one needed.
    changes += waits.Replied(1, milliseconds(i % 2 == 0 ? 276 : 290), false) ? 1 : 0;
  }
  EXPECT_LE(changes, 1);
  EXPECT_GE(waits.Of(1), grown);
  for (int i = 0; i < 6; ++i) waits.Replied(1, milliseconds(36), false);
  EXPECT_EQ(waits.Of(1), milliseconds(186));
  EXPECT_FALSE(waits.Replied(1, milliseconds(36), false));
}

}  // namespace
}  // namespace polling
