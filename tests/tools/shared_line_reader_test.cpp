// Several instruments on one line, one of them misbehaving, first or last in the cycle: after
// any single disturbance every healthy instrument is read again in the next cycle, no record
// carries another instrument's values, and every value that came after its poll's wait is
// marked late. Against a slave of the tests' own, whose values say which request they answer,
// and against the simulator's misbehaviours; then the jammed line and the scan.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "raw_slave.h"
#include "reader/run_reader.h"
#include "run_with.h"
#include "sim/options.h"
#include "sim/simulator.h"

namespace reader {
namespace {

using std::chrono::milliseconds;
using testing_run::Lines;
using testing_run::RunWith;
using namespace testing_slave;

constexpr int kCycles = 5;

struct Record {
  int address = 0;
  std::string outcome;
  std::optional<double> level1;
  std::string time;
  bool late = false;
  int raw_address = 0;  // the first byte of the reply, 0 without one
};

std::vector<Record> Records(const std::string& json_lines) {
  static const std::regex kFields(
      R"re(^\{"time":"([^"]+)","address":(\d+),"outcome":"(\w+)".*"level1":([-0-9.e]+|null).*"raw":(?:"(\d+) |null))re");
  std::vector<Record> records;
  for (const std::string& line : Lines(json_lines)) {
    std::smatch match;
    if (!std::regex_search(line, match, kFields)) {
      ADD_FAILURE() << "not a record: " << line;
      continue;
    }
    Record record;
    record.time = match[1];
    record.address = std::stoi(match[2]);
    record.outcome = match[3];
    if (match[4] != "null") record.level1 = std::stod(match[4]);
    if (match[5].matched) record.raw_address = std::stoi(match[5]);
    record.late = line.ends_with(",\"late\":true}");
    records.push_back(record);
  }
  return records;
}

// Polls the line behind `port` `kCycles` times in the order given; the records as JSON.
std::vector<Record> ReadCycles(const std::string& port, const std::string& order) {
  const auto result = RunWith({"--port", port, "--address", order, "--cycle", "--interval", "0.4",
                               "--count", std::to_string(kCycles), "--json"});
  EXPECT_NE(result.status, kExitUsage) << result.err;
  return Records(result.out);
}

// What holds whatever the disturbance: a record carries its own address's reply, and the
// healthy instruments are answered in every cycle but perhaps the first.
void ExpectOwnRepliesAndHealthyNeighbours(const std::vector<Record>& records,
                                          const std::vector<int>& healthy) {
  std::map<int, int> polls;
  for (const Record& record : records) {
    if (record.raw_address != 0) {
      EXPECT_EQ(record.raw_address, record.address);
    }
    if (record.late) continue;
    const int poll = ++polls[record.address];
    const bool is_healthy =
        std::find(healthy.begin(), healthy.end(), record.address) != healthy.end();
    if (is_healthy && poll > 1) {
      EXPECT_EQ(record.outcome, "accepted") << "address " << record.address << ", poll " << poll;
    }
  }
  for (const int address : healthy) EXPECT_EQ(polls[address], kCycles) << address;
}

// With the slave's values: a record in time answers its own poll; one that answers an earlier
// poll is marked late, comes after that poll's unanswered record, and has its time.
void ExpectEveryValueFromItsOwnPoll(const std::vector<Record>& records) {
  std::map<int, int> polls;
  std::map<int, const Record*> last;
  for (const Record& record : records) {
    if (!record.level1) {
      if (!record.late) ++polls[record.address];
      last[record.address] = &record;
      continue;
    }
    EXPECT_EQ(AddressOf(*record.level1), record.address) << record.time;
    if (record.late) {
      ASSERT_NE(last[record.address], nullptr);
      EXPECT_EQ(last[record.address]->outcome, "unanswered") << record.time;
      EXPECT_EQ(last[record.address]->time, record.time);
      EXPECT_EQ(RequestOf(*record.level1), polls[record.address]) << record.time;
    } else {
      EXPECT_EQ(RequestOf(*record.level1), ++polls[record.address])
          << "a value of another poll unmarked, address " << record.address << " at "
          << record.time;
    }
    last[record.address] = &record;
  }
}

struct SlaveCase {
  const char* name;
  Script script;
};
void PrintTo(const SlaveCase& misbehaving, std::ostream* os) { *os << misbehaving.name; }

std::vector<Piece> Late180(int, const Bytes& reply) { return {{milliseconds(180), reply}}; }

std::vector<Piece> RepeatedOnce(int request, const Bytes& reply) {
  if (request > 1) return Prompt(request, reply);
  return {{milliseconds(0), reply}, {milliseconds(5), reply}};
}

std::vector<Piece> FiveTooMany(int, const Bytes& reply) {
  Bytes longer = reply;
  longer.insert(longer.end(), {0x55, 0xAA, 0x00, 0xFF, 0x01});
  return {{milliseconds(0), longer}};
}

// 20 bytes in time, the other 11 at 190 ms.
std::vector<Piece> CutInTwo(int, const Bytes& reply) {
  const auto tail_at = milliseconds(190) - std::chrono::ceil<milliseconds>(20 * kCharacter);
  return {{milliseconds(0), Bytes(reply.begin(), reply.begin() + 20)},
          {tail_at, Bytes(reply.begin() + 20, reply.end())}};
}

std::vector<Piece> Late205(int, const Bytes& reply) { return {{milliseconds(205), reply}}; }

class SlaveCaseTest : public ::testing::TestWithParam<std::tuple<SlaveCase, bool>> {};

TEST_P(SlaveCaseTest, HealthyNeighboursStayAnsweredAndNoValueIsStale) {
  const auto& [misbehaving, first] = GetParam();
  RawSlave slave({{1, misbehaving.script}, {2, Prompt}, {3, Prompt}});
  const std::vector<Record> records = ReadCycles(slave.SlavePath(), first ? "1,2,3" : "2,3,1");
  ExpectOwnRepliesAndHealthyNeighbours(records, {2, 3});
  ExpectEveryValueFromItsOwnPoll(records);
}

INSTANTIATE_TEST_SUITE_P(
    RawSlave, SlaveCaseTest,
    ::testing::Combine(::testing::Values(SlaveCase{"late_180", Late180},
                                         SlaveCase{"repeated_once", RepeatedOnce},
                                         SlaveCase{"five_too_many", FiveTooMany},
                                         SlaveCase{"cut_in_two", CutInTwo}),
                       ::testing::Bool()),
    [](const auto& test) {
      return std::string(std::get<0>(test.param).name) +
             (std::get<1>(test.param) ? "_first" : "_last");
    });

// One instrument alone, its replies 205 ms after the request: the first comes after the poll's
// wait and is its late record; the wait learnt, every later one is read in time.
TEST(SharedLineReader, ALoneSlowInstrumentIsLateOnceThenReadInTime) {
  RawSlave slave({{1, Late205}});
  const std::vector<Record> records = ReadCycles(slave.SlavePath(), "1");
  ExpectEveryValueFromItsOwnPoll(records);
  ASSERT_EQ(records.size(), kCycles + 1u);
  EXPECT_EQ(records[0].outcome, "unanswered");
  EXPECT_TRUE(records[1].late);
  for (std::size_t i = 2; i < records.size(); ++i) {
    EXPECT_EQ(records[i].outcome, "accepted");
    EXPECT_FALSE(records[i].late);
  }
}

// The late mark in the other outputs: a CSV column at the end of a new file's rows, a line
// before the readings in the text.
TEST(SharedLineReader, TheLateMarkInCsvAndText) {
  RawSlave slave({{1, Late205}});
  const auto csv = RunWith({"--port", slave.SlavePath(), "--cycle", "--interval", "0.4", "--count",
                            "2", "--csv", "--separator", "."});
  const std::vector<std::string> rows = Lines(csv.out);
  ASSERT_EQ(rows.size(), 4u) << csv.out;
  EXPECT_TRUE(rows[0].ends_with(",relays,late"));
  EXPECT_TRUE(rows[1].ends_with(",unanswered,,,,,,,,,,")) << rows[1];
  EXPECT_TRUE(rows[2].ends_with(",R1010,late")) << rows[2];
  EXPECT_TRUE(rows[3].ends_with(",R1010,")) << rows[3];

  const auto text =
      RunWith({"--port", slave.SlavePath(), "--cycle", "--interval", "0.4", "--count", "2"});
  EXPECT_NE(text.out.find("late reply: came after its poll had gone unanswered\n"
                          "ВЛК240ТхИ Исполнение 1\n"),
            std::string::npos)
      << text.out;
}

struct SimCase {
  const char* name;
  const char* behaviour;
};
void PrintTo(const SimCase& misbehaving, std::ostream* os) { *os << misbehaving.behaviour; }

class SimCaseTest : public ::testing::TestWithParam<std::tuple<SimCase, bool>> {};

// The simulator's instrument at 1 misbehaves, its neighbours at 2 and 3 answer; all paced.
TEST_P(SimCaseTest, HealthyNeighboursStayAnswered) {
  const auto& [misbehaving, first] = GetParam();
  sim::Config config;
  config.paced = true;
  config.behaviour = sim::ParseBehaviour(misbehaving.behaviour);
  config.neighbours = {{2, {}}, {3, {}}};
  sim::Simulator simulator(config);
  ExpectOwnRepliesAndHealthyNeighbours(ReadCycles(simulator.SlavePath(), first ? "1,2,3" : "2,3,1"),
                                       {2, 3});
}

INSTANTIATE_TEST_SUITE_P(Simulator, SimCaseTest,
                         ::testing::Combine(::testing::Values(SimCase{"late", "late:190"},
                                                              SimCase{"repeat", "repeat"},
                                                              SimCase{"extra", "extra:5"},
                                                              SimCase{"pause", "pause:20:190"},
                                                              SimCase{"noise", "noise"}),
                                            ::testing::Bool()),
                         [](const auto& test) {
                           return std::string(std::get<0>(test.param).name) +
                                  (std::get<1>(test.param) ? "_first" : "_last");
                         });

// An endless stream: told once when the line jams and once when it is quiet again; the polls
// meanwhile are "jammed" records, and polling goes on to readings. (A stream that a busy
// machine delivers with a pause is quiet for that pause: each change is told once, in turn;
// and a request that went out in the pause is answered after the stream, a late record.)
TEST(SharedLineReader, AJammedLineIsToldOnceEachWayAndPollingGoesOn) {
  sim::Simulator simulator;
  simulator.InjectOnce(sim::ParseBehaviour("babble:1200"));
  const auto result = RunWith(
      {"--port", simulator.SlavePath(), "--cycle", "--interval", "0.2", "--count", "8", "--json"});
  const std::vector<Record> records = Records(result.out);
  int polls = 0;
  int jammed = 0;
  for (const Record& record : records) {
    polls += record.late ? 0 : 1;
    jammed += record.outcome == "jammed" ? 1 : 0;
  }
  EXPECT_EQ(polls, 8);
  EXPECT_GE(jammed, 1);
  EXPECT_EQ(records.back().outcome, "accepted");
  const std::string kJammed =
      "vlk240-read: the line is jammed: bytes keep coming without a pause between frames, so no "
      "request can go out; polling goes on";
  const std::string kQuiet = "vlk240-read: the line is quiet again";
  std::vector<std::string> changes;
  for (const std::string& line : Lines(result.err)) {
    if (line == kJammed || line == kQuiet) changes.push_back(line);
  }
  ASSERT_FALSE(changes.empty()) << result.err;
  EXPECT_EQ(changes.back(), kQuiet) << result.err;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    EXPECT_EQ(changes[i], i % 2 == 0 ? kJammed : kQuiet) << result.err;
  }
  EXPECT_EQ(result.status, kExitNoReadings);
}

// A reply after the scan's first-byte wait is the probed address's, found with the turnaround
// it had and the wait that fits it; the next address shows nothing.
TEST(SharedLineReader, AScanFindsASlowInstrumentAtItsOwnAddress) {
  sim::Config config;
  config.address = 10;
  config.paced = true;
  config.reply_delay = milliseconds(60);
  sim::Simulator simulator(config);
  const auto result =
      RunWith({"--port", simulator.SlavePath(), "--scan", "9-12", "--scan-timeout", "20"});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  std::smatch match;
  ASSERT_TRUE(std::regex_match(
      lines[0], match,
      std::regex(R"(address 10: variant 1, turnaround \d+\.\d ms, readings \(answered )"
                 R"(after (\d+) ms, beyond the wait of 20 ms; give --scan-timeout (\d+)\))")))
      << lines[0];
  EXPECT_GE(std::stoi(match[1]), 60);
  EXPECT_GT(std::stoi(match[2]), std::stoi(match[1]));
  EXPECT_EQ(lines[1], "1 instrument found at 4 addresses probed");

  sim::Config neighbours;
  neighbours.address = 5;
  neighbours.neighbours = {{180, sim::ParseBehaviour("late:250")}};
  sim::Simulator line(neighbours);
  const auto json = RunWith({"--port", line.SlavePath(), "--scan", "179-182", "--json"});
  EXPECT_NE(json.out.find(R"({"address":180,"found":"readings")"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find(R"("late":true})"), std::string::npos) << json.out;
  EXPECT_EQ(json.out.find("garbage"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace reader
