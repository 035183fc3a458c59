#include "sim/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {
namespace {

using std::chrono::milliseconds;

Options Parse(std::vector<std::string_view> args) { return ParseOptions(args); }

TEST(Options, BehaviourSpellings) {
  struct Case {
    std::string_view text;
    Behaviour expected;
  };
  const Case cases[] = {
      {"normal", {}},
      {"silent", {BehaviourKind::kSilent}},
      {"exception", {.kind = BehaviourKind::kException, .exception_code = 2}},
      {"exception:4", {.kind = BehaviourKind::kException, .exception_code = 4}},
      {"bad-crc", {BehaviourKind::kBadCrc}},
      {"stray:5", {.kind = BehaviourKind::kStray, .stray_bytes = 5}},
      {"other-address", {BehaviourKind::kOtherAddress}},
      {"cut:12", {.kind = BehaviourKind::kCut, .cut_after = 12}},
      {"noise", {BehaviourKind::kNoise}},
      {"late", {.kind = BehaviourKind::kLate, .late = milliseconds(250)}},
      {"late:400", {.kind = BehaviourKind::kLate, .late = milliseconds(400)}},
      {"split:30", {.kind = BehaviourKind::kSplit, .split_pause = milliseconds(30)}},
      {"repeat", {.kind = BehaviourKind::kRepeat, .repeat_pause = milliseconds(5)}},
      {"extra:255", {.kind = BehaviourKind::kExtra, .extra_bytes = 255}},
      {"pause:20:190",
       {.kind = BehaviourKind::kPause, .pause_after = 20, .pause = milliseconds(190)}},
      {"babble", {.kind = BehaviourKind::kBabble, .babble = milliseconds(2000)}},
      {"babble:60000", {.kind = BehaviourKind::kBabble, .babble = milliseconds(60000)}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBehaviour(c.text), c.expected) << c.text;
}

TEST(Options, RejectsUnusableBehaviours) {
  for (const std::string_view text :
       {"", "loud", "stray", "stray:0", "stray:6", "cut", "cut:x", "silent:3", "exception:0",
        "late:-1", "split:1e3", "normal:", "extra", "extra:256", "pause", "pause:0:190",
        "pause:20:", "babble:60001"}) {
    EXPECT_THROW(ParseBehaviour(text), OptionError) << text;
  }
}

// Each refusal names what is wrong and quotes the part that is.
TEST(Options, RefusedBehavioursSayWhy) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"extra:0", "extra byte count: \"0\""},         {"repeat:-5", "repeat pause: \"-5\""},
      {"pause:20", "pause needs N:MS: \"pause:20\""}, {"pause:256:190", "pause after: \"256\""},
      {"pause:20:190:5", "pause length: \"190:5\""},  {"babble:0", "babble length: \"0\""},
  };
  for (const auto& [text, error] : cases) {
    try {
      ParseBehaviour(text);
      ADD_FAILURE() << text << " accepted";
    } catch (const OptionError& refused) {
      EXPECT_EQ(refused.what(), error);
    }
  }
}

TEST(Options, ReadingsAndLineSettings) {
  const Options options = Parse({"--address",   "247",           "--variant", "3",
                                 "--relays",    "0xF",           "--fault",   "2",
                                 "--level1",    "1000",          "--volume1", "-5.25",
                                 "--level2",    "inf",           "--volume2", "0.05",
                                 "--delay",     "255",           "--selfcal", "12.5",
                                 "--behaviour", "cut:3",         "--paced",   "--reply-delay",
                                 "7",           "--fault-every", "10",        "--frame-gap",
                                 "50"});
  const Config& c = options.config;
  EXPECT_EQ(c.address, 247);
  EXPECT_EQ(c.readings.variant, 3);
  EXPECT_EQ(c.readings.relays, 0x0F);
  EXPECT_EQ(c.readings.fault, 2);
  EXPECT_EQ(c.readings.level1, 1000.0F);
  EXPECT_EQ(c.readings.volume1, -5.25F);
  EXPECT_TRUE(std::isinf(c.readings.level2));
  EXPECT_EQ(c.readings.volume2, 0.05F);
  EXPECT_EQ(c.readings.alarm_delay, 255);
  EXPECT_EQ(c.readings.selfcal, 12.5F);
  EXPECT_EQ(c.behaviour.kind, BehaviourKind::kCut);
  EXPECT_TRUE(c.paced);
  EXPECT_EQ(c.reply_delay, milliseconds(7));
  EXPECT_EQ(c.fault_every, 10U);
  EXPECT_EQ(c.frame_gap, milliseconds(50));
  EXPECT_FALSE(options.help);
  EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(Options, DeviceAndNeighbours) {
  const Options options = Parse({"--neighbour", "2:exception:4", "--device", "/dev/pts/9",
                                 "--neighbour", "7", "--address", "5"});
  EXPECT_EQ(options.device, "/dev/pts/9");
  const std::vector<Neighbour> expected{
      {2, {.kind = BehaviourKind::kException, .exception_code = 4}}, {7, {}}};
  EXPECT_EQ(options.config.neighbours, expected);
  EXPECT_TRUE(Parse({}).device.empty());
  EXPECT_EQ(Parse({"--device=/dev/pts/8", "-h"}).device, "/dev/pts/8");
  // An address is on the line once: the main instrument's counts, whatever the order.
  for (const auto& args :
       std::vector<std::vector<std::string_view>>{{"--neighbour", "1"},
                                                  {"--neighbour", "3:silent", "--neighbour", "3"},
                                                  {"--neighbour", "4", "--address", "4"},
                                                  {"--neighbour", "0:silent"},
                                                  {"--neighbour", "2:loud"},
                                                  {"--neighbour", ":silent"},
                                                  {"--device", ""}}) {
    EXPECT_THROW(Parse(args), OptionError) << args[1];
  }
}

TEST(Options, TraceFile) {
  EXPECT_TRUE(Parse({}).trace.empty());
  EXPECT_EQ(Parse({"--trace", "-"}).trace, "-");
  EXPECT_EQ(Parse({"--trace=sim.trace", "--paced"}).trace, "sim.trace");
  EXPECT_THROW(Parse({"--trace", ""}), OptionError);
  EXPECT_THROW(Parse({"--trace"}), OptionError);
}

TEST(Options, RejectsUnusableArguments) {
  const std::vector<std::vector<std::string_view>> bad{
      {"--address", "0"},   {"--address", "248"},
      {"--address"},        {"--variant", "4"},
      {"--relays", "16"},   {"--fault", "256"},
      {"--level1", "4,5"},  {"--delay", "-1"},
      {"--frobnicate"},     {"1"},
      {"--address", "1x"},  {"--selfcal", ""},
      {"--frame-gap", "0"}, {"--address", "2", "--address=3"},
      {"--paced=yes"},
  };
  for (const auto& args : bad) EXPECT_THROW(Parse(args), OptionError) << args[0];
}

}  // namespace
}  // namespace sim
