// Several instruments on one line: the address list, a cycle that polls each in turn, their
// own time-out counts and the worst status.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "reader/address_list.h"
#include "reader/run_reader.h"
#include "run_with.h"
#include "sim/simulator.h"

namespace reader {
namespace {

using testing_run::Lines;
using testing_run::RunWith;

TEST(AddressList, KeepsTheOrderGivenAndNamesTheBadPart) {
  EXPECT_EQ(ParseAddressList("3,1,7-9").addresses, (std::vector<std::uint8_t>{3, 1, 7, 8, 9}));
  EXPECT_EQ(ParseAddressList("247,007").addresses, (std::vector<std::uint8_t>{247, 7}));

  const std::vector<std::pair<std::string_view, std::string_view>> refused = {
      {"1,0", "part \"0\": Неправильное значение сетевого адреса"},
      {"1,,2", "part \"\": not a decimal number"},
      {"1,x", "part \"x\": not a decimal number"},
      {"1,$10", "part \"$10\": not a decimal number"},
      {"5-3", "part \"5-3\": the range runs backwards"},
      {"7-", "part \"7-\": not a decimal number"},
      {"1-+9", "part \"1-+9\": not a decimal number"},
      {"1-300", "part \"1-300\": Неправильное значение сетевого адреса"},
      {"1,3,2-4", "part \"2-4\": address 3 is given twice"},
      {"4,4", "part \"4\": address 4 is given twice"},
      // One address alone out of range keeps the window's own message.
      {"300", "Неправильное значение сетевого адреса"},
  };
  for (const auto& [text, message] : refused) {
    const AddressList list = ParseAddressList(text);
    EXPECT_TRUE(list.addresses.empty()) << text;
    EXPECT_EQ(list.error, message) << text;
  }
  const auto usage = RunWith({"--demo", "--address", "1,2,2"});
  EXPECT_EQ(usage.status, kExitUsage);
  EXPECT_EQ(usage.err,
            "vlk240-read: --address: part \"2\": address 2 is given twice\n"
            "Try 'vlk240-read --help'.\n");
}

// Address 1 answers, 2 is silent, 3 refuses: every cycle polls them in the order given, each
// keeps its own time-out count, and the read ends with the worst status seen.
TEST(SeveralAddresses, EachCycleReadsEveryInstrumentInTurn) {
  sim::Config config;
  config.neighbours = {{2, {sim::BehaviourKind::kSilent}}, {3, {sim::BehaviourKind::kException}}};
  sim::Simulator simulator(config);
  const auto result = RunWith({"--port", simulator.SlavePath(), "--address", "3,2,1", "--cycle",
                               "--count", "2", "--interval", "0.05", "--verbose"});
  EXPECT_EQ(result.status, kExitNoReadings);
  const std::vector<std::string> lines = Lines(result.out);
  std::vector<std::string> heads;
  std::vector<std::string> counts;
  for (const std::string& line : lines) {
    if (line.starts_with("address ")) heads.push_back(line);
    if (line.starts_with("Не отвечает")) counts.push_back(line);
  }
  EXPECT_EQ(heads, (std::vector<std::string>{"address 3", "address 2", "address 1", "address 3",
                                             "address 2", "address 1"}));
  // Only the silent instrument's count grows; the exception reply counts as answered.
  EXPECT_EQ(counts, (std::vector<std::string>{"Не отвечает (1)", "Не отвечает (2)"}));
  EXPECT_EQ(simulator.RequestsSeen(), 6u);
}

TEST(SeveralAddresses, RecordsCarryTheirAddress) {
  sim::Config config;
  config.neighbours = {{9, {}}};
  sim::Simulator simulator(config);
  const auto result =
      RunWith({"--port", simulator.SlavePath(), "--address", "9,1", "--csv", "--separator", "."});
  EXPECT_EQ(result.status, kExitOk);
  const std::vector<std::string> rows = Lines(result.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_NE(rows[1].find(",9,accepted,"), std::string::npos) << rows[1];
  EXPECT_NE(rows[2].find(",1,accepted,"), std::string::npos) << rows[2];

  EXPECT_EQ(RunWith({"--port", "/nonexistent/tty", "--address", "1,2"}).status, kExitPortError);
}

// The silent instrument's read time-out comes out of the cycle, not out of the others'
// rhythm: with a cycle of 0.4 s, address 1 is polled every 0.4 s.
TEST(SeveralAddresses, ASilentInstrumentKeepsTheOthersRhythm) {
  sim::Config config;
  config.neighbours = {{2, {sim::BehaviourKind::kSilent}}};
  sim::Simulator simulator(config);
  const auto result = RunWith({"--port", simulator.SlavePath(), "--address", "1,2", "--cycle",
                               "--count", "3", "--interval", "0.4", "--json"});
  const std::regex first_address(R"(\{"time":"[^"]*T\d\d:\d\d:(\d\d\.\d{3})Z","address":1,)");
  std::vector<double> seconds;
  for (const std::string& line : Lines(result.out)) {
    std::smatch match;
    if (std::regex_search(line, match, first_address)) seconds.push_back(std::stod(match[1]));
  }
  ASSERT_EQ(seconds.size(), 3u) << result.out;
  for (std::size_t i = 1; i < seconds.size(); ++i) {
    double gap = seconds[i] - seconds[i - 1];
    if (gap < 0) gap += 60.0;  // across a minute
    EXPECT_NEAR(gap, 0.4, 0.1) << result.out;
  }
}

}  // namespace
}  // namespace reader
