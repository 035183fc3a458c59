// The simulated instrument on an in-process line, as the exchange uses it: the worked reply
// for its own address, silence for others, misbehaviours, the read time-out, and what a purge
// leaves for the next exchange.
#include "simline/instrument_line.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "worked_example.h"

namespace simline {
namespace {

using Clock = std::chrono::steady_clock;

// Read request for 13 input registers from 0, with its CRC.
std::array<std::uint8_t, 8> Request(std::uint8_t address) {
  if (address == 1) return {1, 4, 0, 0, 0, 13, 49, 207};
  return {247, 4, 0, 0, 0, 13, 37, 89};
}

const std::vector<std::uint8_t>& kWorkedReply = testing_example::kReply;

std::vector<std::uint8_t> Exchange(InstrumentLine& line, std::uint8_t address,
                                   std::int32_t count = 31) {
  const auto request = Request(address);
  EXPECT_EQ(line.SendBytes(request.data(), 8), 8);
  std::vector<std::uint8_t> reply(static_cast<std::size_t>(count));
  reply.resize(static_cast<std::size_t>(line.ReceiveBytes(reply.data(), count)));
  return reply;
}

TEST(InstrumentLine, AnswersTheWorkedExampleForItsAddressAtOnce) {
  InstrumentLine line;
  EXPECT_TRUE(line.Connected());
  const auto start = Clock::now();
  EXPECT_EQ(Exchange(line, 1), kWorkedReply);
  // A whole reply ends the read: it does not wait for the time-out.
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(line.RequestsSeen(), 1u);
}

TEST(InstrumentLine, OtherAddressesAndSilenceEndAtTheReadTimeOut) {
  InstrumentLine line;
  const auto start = Clock::now();
  EXPECT_TRUE(Exchange(line, 247).empty());
  EXPECT_GE(Clock::now() - start, 31 * InstrumentLine::kReadTimeoutPerByte);

  sim::Config silent;
  silent.behaviour.kind = sim::BehaviourKind::kSilent;
  line.SetConfig(silent);
  EXPECT_TRUE(Exchange(line, 1).empty());
  EXPECT_EQ(line.RequestsSeen(), 2u);
}

TEST(InstrumentLine, MisbehavioursShapeTheReply) {
  InstrumentLine line;
  sim::Behaviour exception;
  exception.kind = sim::BehaviourKind::kException;
  line.InjectOnce(exception);
  const auto refused = Exchange(line, 1);
  ASSERT_EQ(refused.size(), 5u);
  EXPECT_EQ(refused[1], 0x84);
  EXPECT_EQ(refused[2], 2);
  EXPECT_EQ(Exchange(line, 1), kWorkedReply) << "only the next reply";

  sim::Behaviour cut;
  cut.kind = sim::BehaviourKind::kCut;
  cut.cut_after = 10;
  line.InjectOnce(cut);
  EXPECT_EQ(Exchange(line, 1),
            std::vector<std::uint8_t>(kWorkedReply.begin(), kWorkedReply.begin() + 10));
}

// A reply later than the read window is still on its way at the purge: it arrives after it and
// is what the next exchange reads first, carrying the readings of its own time.
TEST(InstrumentLine, ALateReplyOutlivesThePurgeAndIsReadByTheNextExchange) {
  InstrumentLine line;
  sim::Behaviour late;
  late.kind = sim::BehaviourKind::kLate;
  late.late = std::chrono::milliseconds(250);
  line.InjectOnce(late);
  EXPECT_TRUE(Exchange(line, 1).empty());
  line.PurgeBuffers(true, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  sim::Config changed;
  changed.readings.level1 = 50.0F;
  line.SetConfig(changed);
  EXPECT_EQ(Exchange(line, 1), kWorkedReply);
  EXPECT_NE(Exchange(line, 1), kWorkedReply) << "the changed readings come next";
}

TEST(InstrumentLine, APurgeDropsWhatHasArrived) {
  InstrumentLine line;
  const auto request = Request(1);
  line.SendBytes(request.data(), 8);
  line.PurgeBuffers(true, false);
  std::uint8_t byte = 0;
  EXPECT_EQ(line.ReceiveBytes(&byte, 1), 0);
}

TEST(InstrumentLine, PacedRepliesTakeTheirTimeOnTheLine) {
  sim::Config paced;
  paced.paced = true;
  InstrumentLine line(paced);
  const auto start = Clock::now();
  EXPECT_EQ(Exchange(line, 1), kWorkedReply);
  // 8 request and 31 reply characters of 11 bits at 9600 bit/s: about 45 ms.
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(44));
}

// A babble comes at the line's pace even on a line that is not paced; the reply to a request
// sent during it follows it whole, never mixed into it.
TEST(InstrumentLine, ABabbleHoldsTheLineAndTheNextReplyFollowsIt) {
  InstrumentLine line;
  line.InjectOnce({.kind = sim::BehaviourKind::kBabble, .babble = std::chrono::milliseconds(200)});
  const auto start = Clock::now();
  const std::vector<std::uint8_t> first = Exchange(line, 1);
  ASSERT_EQ(first.size(), 31u);
  EXPECT_GE(Clock::now() - start, 31 * exchange::CHARACTER_TIME) << "no burst";
  // 200 ms at 1.146 ms a character: 175 characters, 144 still to come.
  const std::vector<std::uint8_t> rest = Exchange(line, 1, 144 + 31);
  ASSERT_EQ(rest.size(), 144u + 31u);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(std::vector<std::uint8_t>(rest.end() - 31, rest.end()), kWorkedReply);
  EXPECT_EQ(line.RequestsSeen(), 2u);
}

TEST(InstrumentLine, RefusesAConfigurationOutsideTheInstrumentsRanges) {
  sim::Config bad;
  bad.address = 0;
  EXPECT_THROW(InstrumentLine{bad}, std::invalid_argument);
  InstrumentLine line;
  bad.address = 1;
  bad.readings.variant = 4;
  EXPECT_THROW(line.SetConfig(bad), std::invalid_argument);
}

}  // namespace
}  // namespace simline
