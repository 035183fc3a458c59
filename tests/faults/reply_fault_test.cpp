// Each way the instrument or the line can spoil a reply, one poll each, then a
// sound poll: the exchange's matching rules decide the outcome, and no fault
// outlives its own poll (or, for bytes that come after the purge, the next).
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "poll_fixture.h"
#include "scripted_instrument.h"
#include "sim/crc16.h"
#include "sim/instrument.h"

namespace faults {
namespace {

using reader::PollOutcome;
using sim::BehaviourKind;

struct ReplyFault {
  std::string name;
  sim::Behaviour behaviour;
  PollOutcome outcome;
};

sim::Behaviour Stray(int count) { return {.kind = BehaviourKind::kStray, .stray_bytes = count}; }

std::vector<ReplyFault> ReplyFaults() {
  std::vector<ReplyFault> rows = {
      {"Silent", {.kind = BehaviourKind::kSilent}, PollOutcome::kUnanswered},
      {"Exception", {.kind = BehaviourKind::kException}, PollOutcome::kException},
      {"BadCrc", {.kind = BehaviourKind::kBadCrc}, PollOutcome::kUnanswered},
      // The start lies beyond position 4.
      {"FiveStrayBytes", Stray(5), PollOutcome::kUnanswered},
      {"OtherAddress", {.kind = BehaviourKind::kOtherAddress}, PollOutcome::kUnanswered},
      {"CutAfter12", {.kind = BehaviourKind::kCut, .cut_after = 12}, PollOutcome::kUnanswered},
      // Pauses far longer than a byte, all within the 186 ms read window.
      {"Split", {.kind = BehaviourKind::kSplit}, PollOutcome::kAccepted},
  };
  // Found at position 1..4, but only 31 bytes are read: the tail is missing and
  // the zeros in its place fail the reference reply's CRC (high byte 0x76).
  for (int count = 1; count <= 4; ++count) {
    rows.push_back({"StrayBytes" + std::to_string(count), Stray(count), PollOutcome::kUnanswered});
  }
  return rows;
}

class ReplyFaultTest : public PollFixture, public ::testing::WithParamInterface<ReplyFault> {};

TEST_P(ReplyFaultTest, OutcomeThenNextPollWorks) {
  simulator_->SetConfig(WithBehaviour(GetParam().behaviour));
  const reader::PollRecord record = TimedPoll();
  EXPECT_EQ(record.outcome, GetParam().outcome);
  switch (GetParam().outcome) {
    case PollOutcome::kUnanswered:
      EXPECT_EQ(RxState(), EMUL_Functions::RX_REJECTED);
      EXPECT_TRUE(record.reply.empty());
      EXPECT_TRUE(record.lines.empty());
      EXPECT_EQ(record.status_text, "Не отвечает (1)");
      break;
    case PollOutcome::kException:
      EXPECT_EQ(RxState(), EMUL_Functions::RX_ACCEPTED);
      ASSERT_EQ(record.reply.size(), 5u);
      EXPECT_EQ(record.reply[1], 132);
      EXPECT_TRUE(record.lines.empty());  // nothing is decoded into the memo
      EXPECT_FALSE(record.readings);
      EXPECT_EQ(EMUL_Functions::RX_LEN, 31);
      break;
    default:
      EXPECT_EQ(RxState(), EMUL_Functions::RX_ACCEPTED);
      EXPECT_EQ(record.status_text, kWorkedExampleStatus);
      break;
  }
  ExpectNormalPollAccepted();
}

INSTANTIATE_TEST_SUITE_P(Faults, ReplyFaultTest, ::testing::ValuesIn(ReplyFaults()),
                         [](const auto& row) { return row.param.name; });

// The request our reader sends to address 1.
std::vector<std::uint8_t> ReadRequest() {
  std::vector<std::uint8_t> request = {1, 4, 0, 0, 0, 13};
  sim::AppendCrc(request);
  return request;
}

// Readings whose reply ends in a CRC high byte of zero.
sim::Readings ReadingsWithZeroCrcHighByte() {
  sim::Readings readings;
  for (int step = 0; step < 100000; ++step) {
    readings.level1 = static_cast<float>(step) / 10.0F;
    const auto answer = sim::Answer(ReadRequest(), 1, readings);
    if (answer && answer->back() == 0) return readings;
  }
  ADD_FAILURE() << "no level gives a CRC high byte of zero";
  return readings;
}

// The one stray-byte case the rules accept: the zero taken for the missing
// last byte is the right CRC high byte.
TEST_F(PollFixture, OneStrayByteBeforeAReplyWhoseCrcEndsInZeroIsAccepted) {
  sim::Config config;
  config.readings = ReadingsWithZeroCrcHighByte();
  config.behaviour = Stray(1);
  simulator_->SetConfig(config);
  const reader::PollRecord record = TimedPoll();
  EXPECT_EQ(record.outcome, PollOutcome::kAccepted);
  ASSERT_EQ(record.reply.size(), 31u);
  EXPECT_EQ(record.reply.back(), 0);
  ASSERT_TRUE(record.readings && record.readings->level1);
  EXPECT_EQ(*record.readings->level1, config.readings.level1);
  ExpectNormalPollAccepted();
}

// Stray zeros before an exception reply, which the simulator does not combine:
// the whole short frame is read, and a start at position 0..4 is found.
class StrayBeforeExceptionTest : public PollFixture, public ::testing::WithParamInterface<int> {};

TEST_P(StrayBeforeExceptionTest, AcceptedWhileTheStartIsWithinPosition4) {
  const int stray = GetParam();
  std::vector<std::uint8_t> line(static_cast<std::size_t>(stray), 0);
  std::vector<std::uint8_t> exception = {1, 0x84, 2};
  sim::AppendCrc(exception);
  line.insert(line.end(), exception.begin(), exception.end());
  {
    ScriptedInstrument instrument(line);
    Connect(instrument.SlavePath());
    const reader::PollRecord record = TimedPoll();
    if (stray <= 4) {
      EXPECT_EQ(record.outcome, PollOutcome::kException);
      EXPECT_EQ(record.reply, exception);
    } else {
      EXPECT_EQ(record.outcome, PollOutcome::kUnanswered);
    }
    port_.reset();  // before the line it uses goes
  }
  Connect(simulator_->SlavePath());
  ExpectNormalPollAccepted();
}

INSTANTIATE_TEST_SUITE_P(Faults, StrayBeforeExceptionTest, ::testing::Range(1, 6));

// The late reply misses its own read window, reaches the driver after that
// exchange's purge and is taken by the next exchange as its own. The readings
// change in between, so the next poll shows which reply it took.
TEST_F(PollFixture, LateReplyIsTakenByTheNextPoll) {
  simulator_->InjectOnce({.kind = BehaviourKind::kLate});
  const reader::PollRecord late = TimedPoll();
  EXPECT_EQ(late.outcome, PollOutcome::kUnanswered);
  EXPECT_EQ(RxState(), EMUL_Functions::RX_REJECTED);

  sim::Config changed;
  changed.readings.level1 = 20.0F;
  simulator_->SetConfig(changed);
  const reader::PollRecord next = TimedPoll();
  EXPECT_EQ(next.outcome, PollOutcome::kAccepted);
  EXPECT_EQ(next.status_text, kWorkedExampleStatus);

  const reader::PollRecord after = TimedPoll();
  EXPECT_EQ(after.outcome, PollOutcome::kAccepted);
  ASSERT_TRUE(after.readings && after.readings->level1);
  EXPECT_EQ(*after.readings->level1, 20.0F);
}

// An instrument on a paced line whose replies always miss their read window: each reply is
// queued by the time the next poll starts, so that poll's read ends at once and its purge follows
// its write at once. The purge must not take the request just written with it.
TEST_F(PollFixture, EveryRequestReachesAnInstrumentWhoseRepliesComeLate) {
  sim::Config config = WithBehaviour({.kind = BehaviourKind::kLate});
  config.behaviour.late = std::chrono::milliseconds(200);
  config.paced = true;
  port_.reset();
  simulator_ = std::make_unique<sim::Simulator>(config);
  Connect(simulator_->SlavePath());
  constexpr std::uint64_t kPolls = 8;
  for (std::uint64_t poll = 0; poll < kPolls; ++poll) {
    TimedPoll();
    // Request, 200 ms and the 35.5 ms reply: the reply is queued before the next poll.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  EXPECT_EQ(simulator_->RequestsSeen(), kPolls);
}

// Random bytes before, inside and after the reply: the reply inside fails its
// CRC. Bytes that reach the driver after the purge belong to the next
// exchange, so a sound reply is due within two polls.
class NoiseTest : public PollFixture, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(NoiseTest, RejectedThenASoundReplyWithinTwoPolls) {
  sim::Config config = WithBehaviour({.kind = BehaviourKind::kNoise});
  config.noise_seed = GetParam();  // seeds the simulator at construction only
  port_.reset();
  simulator_ = std::make_unique<sim::Simulator>(config);
  Connect(simulator_->SlavePath());
  EXPECT_EQ(TimedPoll().outcome, PollOutcome::kUnanswered);

  simulator_->SetConfig(sim::Config{});
  bool accepted = false;
  for (int poll = 0; poll < 2 && !accepted; ++poll) {
    accepted = TimedPoll().outcome == PollOutcome::kAccepted;
  }
  EXPECT_TRUE(accepted);
}

INSTANTIATE_TEST_SUITE_P(Faults, NoiseTest, ::testing::Values(1u, 2u, 3u, 7u, 42u));

}  // namespace
}  // namespace faults
