// The shared line's rules over the in-process instrument line, through the worker and the poll
// routine as the reader runs them: frames apart, a late reply kept to its own poll, a repeated
// reply or bytes too many costing the next poll nothing, a wait learnt, a jammed line.
#include "polling/shared_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "exchange/UART_THREAT.h"
#include "exchange/quiet_view.h"
#include "polling/poll_instrument.h"
#include "simline/instrument_line.h"

namespace polling {
namespace {

using Clock = std::chrono::steady_clock;
using exchange::UART_THREAT;
using std::chrono::milliseconds;

// The instrument's line, noting when each request began to go out and when each read that
// brought bytes returned.
class NotedLine : public simline::InstrumentLine {
 public:
  using InstrumentLine::InstrumentLine;
  std::int32_t SendBytes(const std::uint8_t* buffer, std::int32_t count) override {
    requests.push_back(Clock::now());
    return InstrumentLine::SendBytes(buffer, count);
  }
  std::int32_t ReceiveBytesWithin(std::uint8_t* buffer, std::int32_t count,
                                  const exchange::ReadLimits& limits) override {
    const std::int32_t got = InstrumentLine::ReceiveBytesWithin(buffer, count, limits);
    if (got > 0) last_byte = Clock::now();
    return got;
  }
  std::vector<Clock::time_point> requests;
  Clock::time_point last_byte{};
};

sim::Config Paced() {
  sim::Config config;
  config.paced = true;
  return config;
}

class SharedLineTest : public ::testing::Test {
 protected:
  explicit SharedLineTest(SharedLine::Rules rules = {}) : line_(rules) {}
  void TearDown() override { UART_THREAT::Instance().SetPort(nullptr); }

  PollResult Poll(exchange::ExchangePort& below, std::uint8_t address) {
    if (attached_ != &below) line_.Attach(&below);
    attached_ = &below;
    UART_THREAT::Instance().SetPort(&line_);
    return PollInstrument(address, view_, UART_THREAT::Instance(), kept_);
  }

  SharedLine line_;
  exchange::ExchangePort* attached_ = nullptr;
  exchange::QuietView view_;
  instrument::DecodedFields kept_;
};

// Measured where the line's own time is known: a reply's last byte read, the next request's
// first byte sent at least 3.5 characters later.
TEST_F(SharedLineTest, ARequestGoesOnlyAfterTheLineWasQuietForAFramesGap) {
  NotedLine below(Paced());
  for (int i = 0; i < 5; ++i) {
    const Clock::time_point reply_end = below.last_byte;
    ASSERT_EQ(Poll(below, 1).outcome, PollOutcome::kAccepted);
    if (i > 0) {
      EXPECT_GE(below.requests.back() - reply_end, exchange::FRAME_GAP);
    }
  }
  EXPECT_TRUE(line_.TakeLateReplies().empty());
  EXPECT_TRUE(line_.TakeWaitChanges().empty()) << "a prompt instrument keeps the line's wait";
}

// The reply comes 230 ms after the request, during the next poll, of another address: it is
// the late reply of its own poll, the next poll saw no bytes of its own, and the instrument's
// next poll is read in time with a wait learnt from what it needed.
TEST_F(SharedLineTest, AReplyAfterItsWaitIsItsOwnPollsLateReplyAndTeachesTheWait) {
  NotedLine below(Paced());
  below.InjectOnce({.kind = sim::BehaviourKind::kLate, .late = milliseconds(230)});
  EXPECT_EQ(Poll(below, 1).outcome, PollOutcome::kUnanswered);
  const PollResult other = Poll(below, 5);
  EXPECT_EQ(other.outcome, PollOutcome::kUnanswered);
  EXPECT_EQ(line_.LastPoll().bytes, 0) << "no garbage of its own";
  const std::vector<SharedLine::LateReply> late = line_.TakeLateReplies();
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].address, 1);
  EXPECT_EQ(late[0].frame.size(), 31u);
  EXPECT_GE(late[0].turnaround, milliseconds(229));
  const std::vector<WaitChange> changes = line_.TakeWaitChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_GT(line_.WaitOf(1), milliseconds(230));
  EXPECT_EQ(line_.WaitOf(5), milliseconds(186));

  sim::Config slow = Paced();
  slow.behaviour = {.kind = sim::BehaviourKind::kLate, .late = milliseconds(230)};
  below.SetConfig(slow);
  EXPECT_EQ(Poll(below, 1).outcome, PollOutcome::kAccepted);
  EXPECT_TRUE(line_.TakeLateReplies().empty());
}

// A repeated reply, five bytes too many, a burst of noise: the next poll, of an address where
// nobody answers, sees no bytes of its own, and the instrument's next poll is answered.
TEST_F(SharedLineTest, WhatFollowsAReplyCostsTheNextPollsNothing) {
  NotedLine below(Paced());
  for (const sim::Behaviour& disturbance :
       {sim::Behaviour{.kind = sim::BehaviourKind::kRepeat},
        sim::Behaviour{.kind = sim::BehaviourKind::kExtra, .extra_bytes = 5},
        sim::Behaviour{.kind = sim::BehaviourKind::kNoise}}) {
    const int kind = static_cast<int>(disturbance.kind);
    below.InjectOnce(disturbance);
    Poll(below, 1);
    EXPECT_EQ(Poll(below, 5).outcome, PollOutcome::kUnanswered) << kind;
    EXPECT_EQ(line_.LastPoll().bytes, 0) << kind;
    EXPECT_EQ(Poll(below, 1).outcome, PollOutcome::kAccepted) << kind;
  }
  EXPECT_TRUE(line_.TakeLateReplies().empty()) << "a repeated reply answers nothing";
}

class ShortWaitTest : public SharedLineTest {
 protected:
  ShortWaitTest() : SharedLineTest({.reply_wait = milliseconds(60)}) {}
};

// A reply cut in two: 20 bytes in time, the rest 150 ms later, beyond the poll's wait and its
// own line time. Its two parts make its poll's late reply.
TEST_F(ShortWaitTest, AReplyCutInTwoIsJoinedIntoItsPollsLateReply) {
  NotedLine below(Paced());
  below.InjectOnce(
      {.kind = sim::BehaviourKind::kPause, .pause_after = 20, .pause = milliseconds(150)});
  EXPECT_EQ(Poll(below, 1).outcome, PollOutcome::kUnanswered);
  EXPECT_EQ(line_.LastPoll().bytes, 20);
  Poll(below, 5);
  Poll(below, 5);
  const std::vector<SharedLine::LateReply> late = line_.TakeLateReplies();
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].address, 1);
  EXPECT_EQ(late[0].frame.size(), 31u);
}

// Bytes without a frame's gap for longer than the longest frame: nothing is sent while it
// lasts, and polling is answered again once it ends.
TEST_F(SharedLineTest, AJammedLineSendsNothingUntilItIsQuietAgain) {
  NotedLine below;
  below.InjectOnce({.kind = sim::BehaviourKind::kBabble, .babble = milliseconds(700)});
  Poll(below, 1);
  const std::size_t sent = below.requests.size();
  EXPECT_EQ(Poll(below, 1).outcome, PollOutcome::kUnanswered);
  EXPECT_TRUE(line_.LastPoll().jammed);
  EXPECT_TRUE(line_.Jammed());
  EXPECT_EQ(below.requests.size(), sent);
  const Clock::time_point give_up = Clock::now() + milliseconds(3000);
  PollResult result;
  do {
    result = Poll(below, 1);
  } while (result.outcome != PollOutcome::kAccepted && Clock::now() < give_up);
  EXPECT_EQ(result.outcome, PollOutcome::kAccepted);
  EXPECT_FALSE(line_.Jammed());
}

}  // namespace
}  // namespace polling
