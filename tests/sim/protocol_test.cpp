// The simulator's protocol pieces without a line: CRC, register image,
// answers, request framing and reply shapes.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string_view>

#include "sim/crc16.h"
#include "sim/instrument.h"
#include "sim/reply_shaper.h"
#include "sim/request_framer.h"

namespace sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::microseconds;
using std::chrono::milliseconds;

const Bytes kRequest{0x01, 0x04, 0x00, 0x00, 0x00, 0x0D, 0x31, 0xCF};
const Bytes kWorkedExample{0x01, 0x04, 0x1A, 0x00, 0x00, 0x42, 0x36, 0x00, 0x00, 0x41, 0xF2,
                           0x00, 0x00, 0x41, 0x40, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00, 0x00,
                           0x15, 0x00, 0x0A, 0x42, 0x48, 0x00, 0x00, 0x47, 0x76};

Bytes Framed(Bytes bytes) {
  AppendCrc(bytes);
  return bytes;
}

TEST(Crc16, MatchesTheModbusCheckValues) {
  const std::string_view digits = "123456789";
  EXPECT_EQ(Crc16({reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()}), 0x4B37);
  EXPECT_EQ(Crc16({}), 0xFFFF);
  EXPECT_EQ(Crc16({kRequest.data(), 6}), 0xCF31);
  EXPECT_TRUE(HasValidCrc(kRequest));
  EXPECT_TRUE(HasValidCrc(kWorkedExample));
  Bytes broken = kRequest;
  broken[3] ^= 0x01;
  EXPECT_FALSE(HasValidCrc(broken));
}

TEST(Instrument, DefaultReadingsGiveTheWorkedExample) {
  EXPECT_EQ(Answer(kRequest, 1, Readings{}), kWorkedExample);
}

TEST(Instrument, StatusByteCombinesVariantAndRelays) {
  Readings readings;
  readings.variant = 3;
  readings.relays = 0x0F;
  EXPECT_EQ(readings.StatusByte(), 0x3F);
  EXPECT_EQ(RegisterImage(readings)[19], 0x3F);
}

TEST(Instrument, AnswersOnlyFunctionFourToItsOwnAddress) {
  EXPECT_FALSE(Answer(Framed({0x02, 0x04, 0, 0, 0, 13}), 1, Readings{}));
  EXPECT_FALSE(Answer(Framed({0x01, 0x03, 0, 0, 0, 13}), 1, Readings{}));
  EXPECT_TRUE(Answer(Framed({0xF7, 0x04, 0, 0, 0, 13}), 247, Readings{}));
}

TEST(Instrument, RegisterRangesAndTheirExceptions) {
  struct Case {
    Bytes request;
    Bytes answer;
  };
  const Case cases[] = {
      // registers 9 and 10: status byte 0x15, delay 10
      {Framed({1, 4, 0, 9, 0, 2}), Framed({1, 4, 4, 0x00, 0x15, 0x00, 0x0A})},
      {Framed({1, 4, 0, 12, 0, 2}), Framed({1, 0x84, 2})},  // beyond register 12
      {Framed({1, 4, 0, 0, 0, 14}), Framed({1, 0x84, 2})},
      {Framed({1, 4, 0xFF, 0xFF, 0, 1}), Framed({1, 0x84, 2})},
      {Framed({1, 4, 0, 0, 0, 0}), Framed({1, 0x84, 3})},
  };
  for (const Case& c : cases) EXPECT_EQ(Answer(c.request, 1, Readings{}), c.answer);
}

TEST(RequestFramer, ResynchronisesOnGarbageAndJoinsPieces) {
  RequestFramer framer;
  const auto t0 = RequestFramer::Clock::now();
  const Bytes garbage{0x55, 0x01, 0x04, 0x99};
  framer.Feed(garbage, t0);
  framer.Feed({kRequest.data(), 3}, t0 + microseconds(500));
  EXPECT_FALSE(framer.Next());
  framer.Feed({kRequest.data() + 3, 5}, t0 + microseconds(1000));
  const auto request = framer.Next();
  ASSERT_TRUE(request);
  EXPECT_EQ(Bytes(request->bytes.begin(), request->bytes.end()), kRequest);
  EXPECT_EQ(request->first_byte_at, t0 + microseconds(500));
  EXPECT_EQ(framer.Pending(), 0U);
}

TEST(RequestFramer, DropsAPartialFrameAfterSilence) {
  RequestFramer framer;
  const auto t0 = RequestFramer::Clock::now();
  framer.Feed({kRequest.data(), 5}, t0);
  framer.Feed(kRequest, t0 + milliseconds(5));
  const auto request = framer.Next();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->first_byte_at, t0 + milliseconds(5));
  EXPECT_FALSE(framer.Next());
}

TEST(RequestFramer, ReturnsBackToBackRequestsInOrder) {
  RequestFramer framer;
  Bytes two = kRequest;
  const Bytes second = Framed({2, 4, 0, 0, 0, 13});
  two.insert(two.end(), second.begin(), second.end());
  framer.Feed(two, RequestFramer::Clock::now());
  EXPECT_EQ(framer.Next()->bytes[0], 1);
  EXPECT_EQ(framer.Next()->bytes[0], 2);
  EXPECT_FALSE(framer.Next());
}

Bytes Joined(const Transmission& transmission) {
  Bytes all;
  for (const auto& segment : transmission) {
    all.insert(all.end(), segment.bytes.begin(), segment.bytes.end());
  }
  return all;
}

Transmission ShapeOf(const Behaviour& behaviour, microseconds turnaround = microseconds(0)) {
  std::mt19937 random(7);
  return Shape(kWorkedExample, behaviour, turnaround, random);
}

TEST(ReplyShaper, ByteShapesOfEachBehaviour) {
  Bytes bad_crc = kWorkedExample;
  bad_crc[29] = 0x47 ^ 0xFF;
  bad_crc[30] = 0x76 ^ 0xFF;
  Bytes stray3{0, 0, 0};
  stray3.insert(stray3.end(), kWorkedExample.begin(), kWorkedExample.end());
  Bytes other(kWorkedExample.begin(), kWorkedExample.end() - 2);
  other[0] = 2;
  AppendCrc(other);

  struct Case {
    Behaviour behaviour;
    Bytes bytes;
  };
  const Case cases[] = {
      {{BehaviourKind::kNormal}, kWorkedExample},
      {{BehaviourKind::kSilent}, {}},
      {{.kind = BehaviourKind::kException, .exception_code = 2}, {0x01, 0x84, 0x02, 0xC2, 0xC1}},
      {{BehaviourKind::kBadCrc}, bad_crc},
      {{.kind = BehaviourKind::kStray, .stray_bytes = 3}, stray3},
      {{BehaviourKind::kOtherAddress}, other},
      {{.kind = BehaviourKind::kCut, .cut_after = 10},
       Bytes(kWorkedExample.begin(), kWorkedExample.begin() + 10)},
      {{.kind = BehaviourKind::kCut, .cut_after = 200},
       Bytes(kWorkedExample.begin(), kWorkedExample.end() - 1)},
      {{BehaviourKind::kLate}, kWorkedExample},
      {{BehaviourKind::kSplit}, kWorkedExample},
      {{BehaviourKind::kPause}, kWorkedExample},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Joined(ShapeOf(c.behaviour)), c.bytes) << static_cast<int>(c.behaviour.kind);
  }
}

TEST(ReplyShaper, PausesOfTurnaroundLateAndSplit) {
  const auto normal = ShapeOf({BehaviourKind::kNormal}, microseconds(3000));
  ASSERT_EQ(normal.size(), 1U);
  EXPECT_EQ(normal[0].pause_before, microseconds(3000));

  const auto late = ShapeOf({.kind = BehaviourKind::kLate, .late = milliseconds(300)});
  ASSERT_EQ(late.size(), 1U);
  EXPECT_EQ(late[0].pause_before, milliseconds(300));

  const auto split =
      ShapeOf({.kind = BehaviourKind::kSplit, .split_pause = milliseconds(15)}, microseconds(500));
  ASSERT_GE(split.size(), 3U);
  EXPECT_EQ(split[0].pause_before, microseconds(500));
  for (std::size_t i = 1; i < split.size(); ++i) {
    EXPECT_EQ(split[i].pause_before, milliseconds(15));
  }
}

TEST(ReplyShaper, NoiseSurroundsAndInterruptsTheReply) {
  const Bytes noisy = Joined(ShapeOf({BehaviourKind::kNoise}));
  // 1-3 bytes before, 1-2 inside, 1-3 after.
  ASSERT_GE(noisy.size(), kWorkedExample.size() + 3);
  ASSERT_LE(noisy.size(), kWorkedExample.size() + 8);
  // The reply's bytes are still all there, in order.
  std::size_t matched = 0;
  for (const std::uint8_t byte : noisy) {
    if (matched < kWorkedExample.size() && byte == kWorkedExample[matched]) ++matched;
  }
  EXPECT_EQ(matched, kWorkedExample.size());
  EXPECT_NE(Bytes(noisy.begin(), noisy.begin() + 31), kWorkedExample);
}

TEST(ReplyShaper, RepeatPauseExtraAndBabble) {
  const microseconds turnaround(500);
  const auto part = [](std::ptrdiff_t from, std::ptrdiff_t to) {
    return Bytes(kWorkedExample.begin() + from, kWorkedExample.begin() + to);
  };
  EXPECT_EQ(ShapeOf({.kind = BehaviourKind::kRepeat, .repeat_pause = milliseconds(7)}, turnaround),
            (Transmission{{turnaround, kWorkedExample}, {milliseconds(7), kWorkedExample}}));
  // pause:20:190 is a silence of 190 ms after byte 20; any count leaves the last byte to wait.
  EXPECT_EQ(ShapeOf({.kind = BehaviourKind::kPause, .pause_after = 20, .pause = milliseconds(190)},
                    turnaround),
            (Transmission{{turnaround, part(0, 20)}, {milliseconds(190), part(20, 31)}}));
  EXPECT_EQ(ShapeOf({.kind = BehaviourKind::kPause, .pause_after = 255})[0].bytes, part(0, 30));

  const Transmission extra = ShapeOf({.kind = BehaviourKind::kExtra, .extra_bytes = 255});
  ASSERT_EQ(extra.size(), 1U) << "no pause before the extra bytes";
  ASSERT_EQ(extra[0].bytes.size(), 31U + 255U);
  EXPECT_EQ(Bytes(extra[0].bytes.begin(), extra[0].bytes.begin() + 31), kWorkedExample);

  // 2 s of the line, 1.146 ms a character, whatever the line's pacing; no reply in it.
  const Transmission babble =
      ShapeOf({.kind = BehaviourKind::kBabble, .babble = milliseconds(2000)}, turnaround);
  ASSERT_EQ(babble.size(), 1U);
  EXPECT_EQ(babble[0].pause_before, turnaround);
  EXPECT_TRUE(babble[0].line_paced);
  EXPECT_EQ(babble[0].bytes.size(), 1746U);
  EXPECT_GT(std::set<std::uint8_t>(babble[0].bytes.begin(), babble[0].bytes.end()).size(), 100U);
}

// A soak's rotation must leave the line free for the next polls.
TEST(ReplyShaper, NoRotatingFaultHoldsTheLineForLong) {
  for (const Behaviour& fault : RotatingFaults()) {
    std::chrono::nanoseconds busy{0};
    for (const Segment& segment : ShapeOf(fault)) {
      busy += segment.pause_before + static_cast<long>(segment.bytes.size()) * kCharacterTime;
    }
    EXPECT_LT(busy, milliseconds(500)) << static_cast<int>(fault.kind);
  }
}

}  // namespace
}  // namespace sim
