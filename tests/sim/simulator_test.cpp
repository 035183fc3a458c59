// The simulator on a real pseudo-terminal, seen from a raw POSIX client.
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "pty_client.h"
#include "sim/crc16.h"
#include "sim/reply_shaper.h"
#include "support/pseudo_terminal.h"

namespace sim {
namespace {

using Bytes = PtyClient::Bytes;
using Clock = PtyClient::Clock;
using std::chrono::milliseconds;

const Bytes kRequest{0x01, 0x04, 0x00, 0x00, 0x00, 0x0D, 0x31, 0xCF};
const Bytes kWorkedExample{0x01, 0x04, 0x1A, 0x00, 0x00, 0x42, 0x36, 0x00, 0x00, 0x41, 0xF2,
                           0x00, 0x00, 0x41, 0x40, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00, 0x00,
                           0x15, 0x00, 0x0A, 0x42, 0x48, 0x00, 0x00, 0x47, 0x76};
// Generous: the machine is shared and noisy.
constexpr milliseconds kPatience{2000};
constexpr milliseconds kQuiet{150};

Bytes Framed(Bytes bytes) {
  AppendCrc(bytes);
  return bytes;
}

Bytes Poll(PtyClient& client, const Bytes& request = kRequest, std::size_t expected = 31) {
  EXPECT_TRUE(client.Send(request));
  return client.Receive(expected, kPatience);
}

// No reply within a window far longer than an instant reply takes.
bool Unanswered(PtyClient& client, const Bytes& request = kRequest) {
  EXPECT_TRUE(client.Send(request));
  return client.Receive(1, milliseconds(300)).empty();
}

Config WithBehaviour(const Behaviour& behaviour) {
  Config config;
  config.behaviour = behaviour;
  return config;
}

TEST(Simulator, AnswersTheWorkedExample) {
  Simulator simulator;
  PtyClient client(simulator.SlavePath());
  ASSERT_TRUE(client.ok());
  EXPECT_EQ(Poll(client), kWorkedExample);
  EXPECT_EQ(simulator.RequestsSeen(), 1U);
  EXPECT_EQ(simulator.RepliesSent(), 1U);
}

TEST(Simulator, StaysSilentForFramesARealInstrumentIgnores) {
  Simulator simulator;
  PtyClient client(simulator.SlavePath());
  Bytes bad_crc = kRequest;
  bad_crc[7] ^= 0x01;
  for (const Bytes& request : {Framed({2, 4, 0, 0, 0, 13}), Framed({1, 3, 0, 0, 0, 13}), bad_crc}) {
    EXPECT_TRUE(Unanswered(client, request));
  }
  EXPECT_EQ(simulator.RequestsSeen(), 2U);  // the bad-CRC frame is no request
  EXPECT_EQ(simulator.RepliesSent(), 0U);
  // A request right behind garbage in the same burst is still found.
  Bytes garbage_then_request{0x01, 0x04, 0x13};
  garbage_then_request.insert(garbage_then_request.end(), kRequest.begin(), kRequest.end());
  EXPECT_EQ(Poll(client, garbage_then_request), kWorkedExample);
}

TEST(Simulator, FaultyReplyShapesReachTheLine) {
  Simulator simulator;
  PtyClient client(simulator.SlavePath());
  Bytes stray{0, 0};
  stray.insert(stray.end(), kWorkedExample.begin(), kWorkedExample.end());
  Bytes other(kWorkedExample.begin(), kWorkedExample.end() - 2);
  other[0] = 2;
  Bytes twice = kWorkedExample;
  twice.insert(twice.end(), kWorkedExample.begin(), kWorkedExample.end());
  struct Case {
    Behaviour behaviour;
    Bytes expected;
  };
  const Case cases[] = {
      {{.kind = BehaviourKind::kException, .exception_code = 2}, {0x01, 0x84, 0x02, 0xC2, 0xC1}},
      {{.kind = BehaviourKind::kStray, .stray_bytes = 2}, stray},
      {{.kind = BehaviourKind::kCut, .cut_after = 7},
       Bytes(kWorkedExample.begin(), kWorkedExample.begin() + 7)},
      {{BehaviourKind::kOtherAddress}, Framed(other)},
      {{.kind = BehaviourKind::kRepeat, .repeat_pause = milliseconds(5)}, twice},
  };
  for (const Case& c : cases) {
    simulator.SetConfig(WithBehaviour(c.behaviour));
    EXPECT_EQ(Poll(client, kRequest, c.expected.size()), c.expected);
    EXPECT_TRUE(client.Receive(1, kQuiet).empty()) << "nothing after the shaped reply";
  }
  simulator.SetConfig(WithBehaviour({BehaviourKind::kBadCrc}));
  const Bytes bad = Poll(client);
  ASSERT_EQ(bad.size(), 31U);
  EXPECT_FALSE(HasValidCrc(bad));
  EXPECT_EQ(Bytes(bad.begin(), bad.begin() + 29),
            Bytes(kWorkedExample.begin(), kWorkedExample.begin() + 29));
}

TEST(Simulator, PacedLineTakesElevenBitTimesPerByte) {
  Config config;
  config.paced = true;
  Simulator simulator(config);
  PtyClient client(simulator.SlavePath());
  const auto sent = Clock::now();
  ASSERT_TRUE(client.Send(kRequest));
  const Bytes first = client.Receive(1, kPatience);
  const auto first_at = Clock::now();
  const Bytes rest = client.Receive(30, kPatience);
  const auto elapsed = Clock::now() - sent;
  ASSERT_EQ(first.size() + rest.size(), 31U);
  // Request and reply: 39 characters of 1.146 ms, about 44.7 ms.
  EXPECT_GE(first_at - sent, milliseconds(9));  // 8 request characters + 1
  EXPECT_GE(elapsed, milliseconds(43));
  EXPECT_LT(elapsed, milliseconds(44 + 300));
}

TEST(Simulator, LateReplyMissesTheReadWindowButArrives) {
  Simulator simulator(WithBehaviour({.kind = BehaviourKind::kLate, .late = milliseconds(250)}));
  PtyClient client(simulator.SlavePath());
  ASSERT_TRUE(client.Send(kRequest));
  EXPECT_TRUE(client.Receive(1, milliseconds(186)).empty());
  EXPECT_EQ(client.Receive(31, kPatience), kWorkedExample);
}

// Paced, a late reply and a paused one count their time from the request's end (8 characters
// after its first byte), for a neighbour as for the main instrument.
TEST(Simulator, PacedLateAndPausedRepliesTimeFromTheRequestsEnd) {
  Config config = WithBehaviour({.kind = BehaviourKind::kLate, .late = milliseconds(100)});
  config.paced = true;
  config.neighbours = {
      {2, {.kind = BehaviourKind::kPause, .pause_after = 20, .pause = milliseconds(190)}}};
  Simulator simulator(config);
  PtyClient client(simulator.SlavePath());
  auto sent = Clock::now();
  EXPECT_EQ(Poll(client, kRequest, 1).size(), 1U);
  EXPECT_GE(Clock::now() - sent, milliseconds(100 + 9)) << "late plus 9 characters";
  EXPECT_EQ(client.Receive(30, kPatience).size(), 30U);

  Bytes neighbours(kWorkedExample.begin(), kWorkedExample.end() - 2);
  neighbours[0] = 2;
  sent = Clock::now();
  Bytes paused = Poll(client, Framed({2, 4, 0, 0, 0, 13}), 20);
  EXPECT_TRUE(client.Receive(1, milliseconds(100)).empty()) << "the pause after byte 20";
  const Bytes rest = client.Receive(11, kPatience);
  EXPECT_GE(Clock::now() - sent, milliseconds(190 + 44)) << "39 characters and the pause";
  paused.insert(paused.end(), rest.begin(), rest.end());
  EXPECT_EQ(paused, Framed(neighbours));
}

// A babble is a stream at the line's pace even on a line that is not paced; a request that
// comes during it is answered once it is over.
TEST(Simulator, ABabbleTakesItsTimeAndARequestMeanwhileIsAnsweredAfterIt) {
  Simulator simulator;
  simulator.InjectOnce({.kind = BehaviourKind::kBabble, .babble = milliseconds(300)});
  PtyClient client(simulator.SlavePath());
  const auto sent = Clock::now();
  ASSERT_TRUE(client.Send(kRequest));
  // 300 ms at 1.146 ms a character: 262 characters.
  Bytes line = client.Receive(50, kPatience);
  ASSERT_EQ(line.size(), 50U);
  EXPECT_GE(Clock::now() - sent, 50 * kCharacterTime) << "no burst";
  ASSERT_TRUE(client.Send(kRequest));
  const Bytes rest = client.Receive(262 - 50 + 31, kPatience);
  line.insert(line.end(), rest.begin(), rest.end());
  ASSERT_EQ(line.size(), 262U + 31U);
  EXPECT_GE(Clock::now() - sent, milliseconds(300));
  EXPECT_EQ(Bytes(line.end() - 31, line.end()), kWorkedExample);
  EXPECT_TRUE(client.Receive(1, kQuiet).empty());
  EXPECT_EQ(simulator.RequestsSeen(), 2U);
  EXPECT_EQ(simulator.RepliesSent(), 2U);
}

TEST(Simulator, SplitReplyComesInThreePieces) {
  Simulator simulator(
      WithBehaviour({.kind = BehaviourKind::kSplit, .split_pause = milliseconds(200)}));
  PtyClient client(simulator.SlavePath());
  const Bytes first = Poll(client, kRequest, 10);
  EXPECT_EQ(first.size(), 10U);
  EXPECT_TRUE(client.Receive(1, milliseconds(100)).empty()) << "a pause after the first piece";
  Bytes all = first;
  const Bytes rest = client.Receive(21, kPatience);
  all.insert(all.end(), rest.begin(), rest.end());
  EXPECT_EQ(all, kWorkedExample);
}

TEST(Simulator, StopReturnsPromptlyInTheMiddleOfADelayedReplyOrABabble) {
  for (const Behaviour& behaviour :
       {Behaviour{.kind = BehaviourKind::kLate, .late = milliseconds(30000)},
        Behaviour{.kind = BehaviourKind::kBabble, .babble = milliseconds(60000)}}) {
    Simulator simulator(WithBehaviour(behaviour));
    PtyClient client(simulator.SlavePath());
    ASSERT_TRUE(client.Send(kRequest));
    while (simulator.RequestsSeen() == 0) std::this_thread::sleep_for(milliseconds(1));
    if (behaviour.kind == BehaviourKind::kBabble) {
      EXPECT_EQ(client.Receive(10, kPatience).size(), 10U) << "the stream has begun";
    }
    const auto start = Clock::now();
    simulator.Stop();
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
    EXPECT_EQ(simulator.RepliesSent(), 0U) << "not sent to its end";
    simulator.Stop();  // idempotent
  }
}

TEST(Simulator, ServesAClientThatClosesAndReopensTheDevice) {
  Simulator simulator;
  for (int round = 0; round < 3; ++round) {
    PtyClient client(simulator.SlavePath());
    ASSERT_TRUE(client.ok());
    EXPECT_EQ(Poll(client), kWorkedExample) << "round " << round;
  }
}

TEST(Simulator, ConfigurationChangesTakeEffectAtRunTime) {
  Simulator simulator;
  PtyClient client(simulator.SlavePath());
  Config config;
  config.address = 5;
  config.readings.alarm_delay = 42;
  simulator.SetConfig(config);
  EXPECT_EQ(simulator.GetConfig().address, 5);
  EXPECT_TRUE(Unanswered(client));
  const Bytes reply = Poll(client, Framed({5, 4, 0, 10, 0, 1}), 7);
  EXPECT_EQ(reply, Framed({5, 4, 2, 0, 42}));

  simulator.InjectOnce({BehaviourKind::kSilent});
  EXPECT_TRUE(Unanswered(client, Framed({5, 4, 0, 10, 0, 1})));
  EXPECT_EQ(Poll(client, Framed({5, 4, 0, 10, 0, 1}), 7), Framed({5, 4, 2, 0, 42}));
}

TEST(Simulator, RejectsConfigurationsOutsideTheInstrumentsRanges) {
  Config bad;
  bad.address = 0;
  EXPECT_THROW(Simulator{bad}, std::invalid_argument);
  Simulator simulator;
  bad.address = 248;
  EXPECT_THROW(simulator.SetConfig(bad), std::invalid_argument);
  bad.address = 1;
  bad.readings.relays = 0x10;
  EXPECT_THROW(simulator.SetConfig(bad), std::invalid_argument);
  EXPECT_EQ(simulator.GetConfig().readings.relays, 0x05);
}

TEST(Simulator, RotatingFaultsReplaceEveryNthReply) {
  Config config;
  config.fault_every = 2;
  Simulator simulator(config);
  PtyClient client(simulator.SlavePath());
  EXPECT_EQ(Poll(client), kWorkedExample);
  EXPECT_TRUE(Unanswered(client));  // first rotating fault: silence
  EXPECT_EQ(Poll(client), kWorkedExample);
  EXPECT_EQ(Poll(client, kRequest, 5), Bytes({0x01, 0x84, 0x02, 0xC2, 0xC1}));
}

TEST(Simulator, ConfigurationMayChangeWhilePolling) {
  Simulator simulator;
  PtyClient client(simulator.SlavePath());
  std::atomic<bool> done{false};
  std::thread changer([&] {
    Config config;
    for (std::uint8_t delay = 0; !done.load(); ++delay) {
      config.readings.alarm_delay = delay;
      simulator.SetConfig(config);
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < 20; ++i) {
    const Bytes reply = Poll(client);
    ASSERT_EQ(reply.size(), 31U);
    EXPECT_TRUE(HasValidCrc(reply));
  }
  done = true;
  changer.join();
}

TEST(Simulator, FrameGapDecidesWhetherARequestInTwoPiecesIsOne) {
  for (const bool long_gap : {false, true}) {
    Config config;
    if (long_gap) config.frame_gap = milliseconds(500);
    Simulator simulator(config);
    PtyClient client(simulator.SlavePath());
    ASSERT_TRUE(client.Send(Bytes(kRequest.begin(), kRequest.begin() + 2)));
    std::this_thread::sleep_for(milliseconds(30));
    if (long_gap) {
      EXPECT_EQ(Poll(client, Bytes(kRequest.begin() + 2, kRequest.end())), kWorkedExample);
    } else {
      EXPECT_TRUE(Unanswered(client, Bytes(kRequest.begin() + 2, kRequest.end())));
    }
  }
}

TEST(Simulator, NeighboursAnswerUnderTheirOwnBehaviour) {
  Config config;
  config.neighbours = {{2, {.kind = BehaviourKind::kException, .exception_code = 4}},
                       {3, {BehaviourKind::kSilent}}};
  Simulator simulator(config);
  PtyClient client(simulator.SlavePath());
  EXPECT_EQ(Poll(client, Framed({2, 4, 0, 0, 0, 13}), 5), Framed({2, 0x84, 4}));
  EXPECT_TRUE(Unanswered(client, Framed({3, 4, 0, 0, 0, 13})));
  EXPECT_TRUE(Unanswered(client, Framed({4, 4, 0, 0, 0, 13}))) << "no instrument there";
  EXPECT_EQ(Poll(client), kWorkedExample);

  config.neighbours.push_back({1, {}});
  EXPECT_THROW(simulator.SetConfig(config), std::invalid_argument);
  config.neighbours.back().address = 2;
  EXPECT_THROW(simulator.SetConfig(config), std::invalid_argument);
}

// The far end of an attached device plays the reader: here the master of a pty
// whose slave the simulator serves, as a virtual machine's serial port is. A
// simulator started again on the line its predecessor set up serves it as well.
TEST(Simulator, ServesAnAttachedDeviceAgainAndUntilItHangsUp) {
  vlk_test::PseudoTerminal far_end;
  const auto poll = [&] {
    far_end.Write(kRequest);
    Bytes reply;
    const auto deadline = Clock::now() + kPatience;
    while (reply.size() < kWorkedExample.size() && Clock::now() < deadline) {
      const Bytes some = far_end.ReadSome(100);
      reply.insert(reply.end(), some.begin(), some.end());
    }
    return reply;
  };
  {
    Simulator first({}, {far_end.SlavePath(), nullptr});
    EXPECT_EQ(poll(), kWorkedExample);
  }
  std::promise<void> hung_up;
  Simulator simulator({}, {far_end.SlavePath(), [&] { hung_up.set_value(); }});
  EXPECT_EQ(simulator.SlavePath(), far_end.SlavePath());
  EXPECT_EQ(poll(), kWorkedExample);

  far_end.CloseMaster();
  EXPECT_EQ(hung_up.get_future().wait_for(kPatience), std::future_status::ready);
}

// The trace's lines without their times.
std::vector<std::string> TraceEvents(const std::string& text) {
  std::vector<std::string> events;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) events.push_back(line.substr(line.find(' ') + 1));
  return events;
}

// The instrument's end of one poll, and of the line's life: what it read, what it wrote.
TEST(Simulator, TraceHoldsTheRequestReadAndTheReplyWritten) {
  std::ostringstream out;
  trace::FrameTrace trace(out, "vlk240-sim");
  std::string path;
  {
    Simulator simulator({}, {.device = {}, .on_hang_up = nullptr, .trace = &trace});
    path = simulator.SlavePath();
    PtyClient client(path);
    ASSERT_TRUE(client.ok());
    EXPECT_EQ(Poll(client), kWorkedExample);
  }
  EXPECT_EQ(TraceEvents(out.str()),
            (std::vector<std::string>{
                "vlk240-sim open " + path,
                "vlk240-sim rx 8 01 04 00 00 00 0D 31 CF",
                "vlk240-sim tx 31 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 "
                "00 15 00 0A 42 48 00 00 47 76",
                "vlk240-sim close " + path,
            }));
}

// A served device that hangs up, and one that cannot be opened, each leave an error line.
TEST(Simulator, TraceTellsOfAHangUpAndOfADeviceThatDidNotOpen) {
  std::ostringstream out;
  trace::FrameTrace trace(out, "vlk240-sim");
  std::string path;
  {
    vlk_test::PseudoTerminal far_end;
    path = far_end.SlavePath();
    std::promise<void> hung_up;
    Simulator simulator({}, {path, [&] { hung_up.set_value(); }, &trace});
    far_end.CloseMaster();
    EXPECT_EQ(hung_up.get_future().wait_for(kPatience), std::future_status::ready);
  }
  EXPECT_THROW(Simulator({}, {.device = "/nonexistent/tty", .trace = &trace}), std::system_error);
  const std::vector<std::string> events = TraceEvents(out.str());
  ASSERT_EQ(events.size(), 5u) << out.str();
  EXPECT_EQ(events[0], "vlk240-sim open " + path);
  EXPECT_EQ(events[1].rfind("vlk240-sim error " + path + " hung up", 0), 0u) << events[1];
  EXPECT_EQ(events[2], "vlk240-sim close " + path);
  EXPECT_EQ(events[3], "vlk240-sim open /nonexistent/tty");
  EXPECT_EQ(events[4].rfind("vlk240-sim error ", 0), 0u) << events[4];
}

TEST(Simulator, RefusesADeviceThatIsNoTerminal) {
  EXPECT_THROW(Simulator({}, {.device = "/dev/null"}), std::system_error);
  EXPECT_THROW(Simulator({}, {.device = "/nonexistent/tty"}), std::system_error);
}

}  // namespace
}  // namespace sim
