// vlk240-read --scan against the simulator with neighbours: what each kind of address gives,
// in text and JSON, and the exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/run_reader.h"
#include "run_with.h"
#include "sim/simulator.h"

namespace reader {
namespace {

using testing_run::Lines;
using testing_run::RunWith;

sim::Config BusOfFour() {
  sim::Config config;
  config.address = 5;
  config.neighbours = {{7, {sim::BehaviourKind::kException}},
                       {9, {sim::BehaviourKind::kBadCrc}},
                       {10, {sim::BehaviourKind::kSilent}}};
  return config;
}

TEST(ScanMode, ReportsInstrumentsExceptionsAndGarbage) {
  sim::Simulator simulator(BusOfFour());
  const auto result =
      RunWith({"--port", simulator.SlavePath(), "--scan", "4-11", "--scan-timeout", "40"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.err, "");
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 4u) << result.out;
  EXPECT_TRUE(lines[0].starts_with("address 5: variant 1, turnaround ")) << lines[0];
  EXPECT_TRUE(lines[0].ends_with(" ms, readings")) << lines[0];
  EXPECT_TRUE(lines[1].starts_with("address 7: exception reply, code 2, turnaround ")) << lines[1];
  EXPECT_TRUE(lines[2].starts_with("address 9: 31 bytes, no valid frame")) << lines[2];
  EXPECT_NE(lines[2].find("two instruments may share this address"), std::string::npos);
  EXPECT_EQ(lines[3], "2 instruments found at 8 addresses probed");
  EXPECT_EQ(simulator.RequestsSeen(), 8u) << "each address once";
}

TEST(ScanMode, JsonHasOneRecordPerAddressAndNoAnswerExitsOne) {
  sim::Simulator simulator(BusOfFour());
  const auto result = RunWith(
      {"--port", simulator.SlavePath(), "--scan", "9-11", "--json", "--scan-timeout", "30"});
  EXPECT_EQ(result.status, kExitNoReadings) << "garbage is no instrument that answered";
  const std::vector<std::string> records = Lines(result.out);
  ASSERT_EQ(records.size(), 3u) << result.out;
  EXPECT_TRUE(records[0].starts_with(R"({"address":9,"found":"garbage","variant":null,)"))
      << records[0];
  EXPECT_NE(records[0].find(R"("bytes":31,"line_errors":false,"hint":")"), std::string::npos);
  EXPECT_EQ(records[1], R"({"address":10,"found":"silent","variant":null,"exception_code":null,)"
                        R"("turnaround_ms":null,"bytes":0,"line_errors":false})");
}

TEST(ScanMode, OptionsRefusedWithTheReason) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--demo", "--scan", "9-3"}, "--scan takes a range FIRST-LAST of addresses from 1 to 247"},
      {{"--demo", "--scan", "0-3"}, "--scan takes a range"},
      {{"--demo", "--scan", "--scan-timeout", "4"}, "--scan-timeout takes a whole number"},
      {{"--demo", "--scan-timeout", "20"}, "--scan-timeout needs --scan"},
      {{"--demo", "--scan", "--cycle"}, "--scan goes with --json, --trace and --scan-timeout"},
      {{"--decode", "01", "--scan"}, "go with --port or --demo only"},
  };
  for (const auto& [args, message] : cases) {
    const auto result = RunWith(args);
    EXPECT_EQ(result.status, kExitUsage) << args.back();
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
  // Without a range the whole one is scanned; the option's value is left out, not taken from
  // the next option.
  const auto demo = RunWith({"--demo", "--scan", "--scan-timeout", "5", "--json"});
  EXPECT_EQ(demo.status, kExitOk);
  EXPECT_EQ(Lines(demo.out).size(), 247u);
}

}  // namespace
}  // namespace reader
