// RunReader polling our simulator on a pseudo-terminal: output formats and exit
// statuses.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>

#include "reader/run_reader.h"
#include "reader/stop_signal.h"
#include "reply_frames.h"
#include "run_with.h"
#include "sim/simulator.h"

namespace reader {
namespace {

using testing_run::Lines;
using testing_run::RunWith;

const std::string kMemo = testing_frames::kWorkedExampleOutput.substr(
    testing_frames::kWorkedExampleOutput.find('\n') + 1);

TEST(ReadMode, OnePollPrintsTheMemo) {
  sim::Simulator simulator;
  const auto result =
      RunWith({"--port", simulator.SlavePath(), "--address", "1", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, kMemo);
  EXPECT_EQ(result.err, "");
}

TEST(ReadMode, DemoNeedsNoPort) {
  const auto result = RunWith({"--demo", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, kMemo);
}

TEST(ReadMode, CycleSeparatesPollsAndVerboseShowsFrames) {
  sim::Simulator simulator;
  const auto result = RunWith({"--port", simulator.SlavePath(), "--separator", ",", "--verbose",
                               "--cycle", "--interval", "0.05", "--count", "2"});
  EXPECT_EQ(result.status, kExitOk);
  const std::string poll =
      "Послано:   1 4 0 0 0 13 49 207 \n" + testing_frames::kWorkedExampleOutput;
  EXPECT_EQ(result.out, poll + "\n" + poll);
  EXPECT_EQ(simulator.RequestsSeen(), 2u);
}

TEST(ReadMode, UnansweredAndExceptionPollsExitOne) {
  sim::Config silent;
  silent.behaviour.kind = sim::BehaviourKind::kSilent;
  sim::Simulator quiet(silent);
  const auto unanswered = RunWith({"--port", quiet.SlavePath()});
  EXPECT_EQ(unanswered.status, kExitNoReadings);
  EXPECT_EQ(unanswered.out, "");
  EXPECT_EQ(unanswered.err,
            "vlk240-read: address 1: no valid reply (unanswered polls so far: 1)\n");

  const auto verbose = RunWith({"--port", quiet.SlavePath(), "--verbose"});
  EXPECT_EQ(verbose.out, "Послано:   1 4 0 0 0 13 49 207 \nНе отвечает (1)\n");
  EXPECT_EQ(verbose.err, "");

  sim::Config refusing;
  refusing.behaviour.kind = sim::BehaviourKind::kException;
  sim::Simulator refuser(refusing);
  const auto exception = RunWith({"--port", refuser.SlavePath()});
  EXPECT_EQ(exception.status, kExitNoReadings);
  EXPECT_EQ(exception.err, "vlk240-read: address 1: exception reply, code 2; no readings\n");
}

TEST(ReadMode, JsonObjectPerPoll) {
  sim::Config config;
  config.readings.variant = 2;
  config.readings.fault = 0;
  config.readings.level1 = std::numeric_limits<float>::infinity();
  sim::Simulator simulator(config);
  const auto result = RunWith({"--port", simulator.SlavePath(), "--json", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  const std::regex shape(
      "\\{\"time\":\"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z\","
      "\"address\":1,"
      "\"outcome\":\"accepted\",\"variant\":2,\"fault\":0,\"level1\":null,"
      "\"volume1\":30\\.25,"
      "\"level2\":null,\"volume2\":null,\"selfcal\":50,\"alarm_delay\":10,"
      "\"relays\":\\[true,false,true,false\\],\"lines\":\\[\"ВЛК240ТхИ "
      "Исполнение 2\","
      "\"\\(Уровнемер-Сигнализатор\\)\",\"\",\"Уровень канала 1 - INF "
      "%\",\"Объём канала 1 - "
      "30,3 %\",\"Пауза на срабатывание сигнализатора - 10 "
      "c\",\"Датчик-сигнализатор канала 2 - "
      "ВКЛ\\.\",\"Состояния реле: Вкл\\. Выкл\\. Вкл\\. Выкл\\. "
      "\"\\],\"raw\":\"1 4 26 0 0 127 128 "
      "[0-9 ]+\"\\}\n");
  EXPECT_TRUE(std::regex_match(result.out, shape)) << result.out;

  sim::Config silent;
  silent.behaviour.kind = sim::BehaviourKind::kSilent;
  simulator.SetConfig(silent);
  const auto unanswered = RunWith({"--port", simulator.SlavePath(), "--json"});
  EXPECT_NE(
      unanswered.out.find("\"outcome\":\"unanswered\",\"variant\":null,\"fault\":null,"
                          "\"level1\":null,"
                          "\"volume1\":null,\"level2\":null,\"volume2\":null,\"selfcal\":null,"
                          "\"alarm_delay\":null,\"relays\":null,\"lines\":[],\"raw\":null}\n"),
      std::string::npos)
      << unanswered.out;
}

TEST(ReadMode, CsvHeaderThenRows) {
  sim::Config config;
  config.readings.fault = 1;      // variant 1: channel 2 only
  config.readings.relays = 0x0C;  // relays 3 and 4: "0011" would lose its zeros as a number
  sim::Simulator simulator(config);
  const auto result = RunWith({"--port", simulator.SlavePath(), "--csv", "--cycle", "--interval",
                               "0.01", "--count", "2", "--separator", "."});
  EXPECT_EQ(result.status, kExitOk);
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u);
  // The time's field is named as in JSON.
  EXPECT_EQ(lines[0],
            "time,address,outcome,variant,fault,level1,volume1,"
            "level2,volume2,selfcal,"
            "alarm_delay,relays,late");
  for (int row : {1, 2}) {
    EXPECT_TRUE(std::regex_match(
        lines[row], std::regex("\\d{4}-[-0-9T:.]+Z,1,accepted,1,1,,,12,100,50,10,R0011,")))
        << lines[row];
  }
}

// A decimal comma, as a spreadsheet in a Russian locale has it: ';' between the fields, so the
// spreadsheet splits the line into columns, and the numbers with the comma it reads.
TEST(ReadMode, CsvWithADecimalCommaSeparatesItsFieldsBySemicolons) {
  sim::Simulator simulator;
  const auto result = RunWith({"--port", simulator.SlavePath(), "--csv", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "time;address;outcome;variant;fault;level1;volume1;level2;volume2;selfcal;"
            "alarm_delay;relays;late");
  EXPECT_TRUE(std::regex_match(
      lines[1], std::regex("\\d{4}-[-0-9T:.]+Z;1;accepted;1;0;45,5;30,25;12;100;50;10;R1010;")))
      << lines[1];
}

// The trace's lines without their times.
std::vector<std::string> TraceEvents(const std::string& text) {
  std::vector<std::string> events;
  for (const std::string& line : Lines(text)) events.push_back(line.substr(line.find(' ') + 1));
  return events;
}

// One poll's trace on standard error: the port, the request, the reply as read, the port again.
TEST(ReadMode, TraceHoldsThePollBetweenOpeningAndClosing) {
  sim::Simulator simulator;
  const std::string& device = simulator.SlavePath();
  const auto result = RunWith({"--port", device, "--trace", "-", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, kMemo);
  EXPECT_EQ(TraceEvents(result.err),
            (std::vector<std::string>{
                "vlk240-read open " + device,
                "vlk240-read tx 8 01 04 00 00 00 0D 31 CF",
                "vlk240-read rx 31 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 "
                "00 15 00 0A 42 48 00 00 47 76",
                "vlk240-read close " + device,
            }));
}

// A trace that cannot be written is a diagnostic lost, not a read: told once, and the polls go on.
TEST(ReadMode, ATraceThatCannotBeWrittenStopsAloneAndTheReadGoesOn) {
  const auto result = RunWith({"--demo", "--trace", "/dev/full", "--separator", ",", "--cycle",
                               "--interval", "0.01", "--count", "2"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, kMemo + "\n" + kMemo);
  EXPECT_EQ(result.err, "vlk240-read: trace to \"/dev/full\" stopped: No space left on device\n");
}

// The demo's trace: its in-process line in the port's place, with the same frames.
TEST(ReadMode, DemoTraceHoldsThePollOfTheInProcessLine) {
  const auto result = RunWith({"--demo", "--trace", "-", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, kMemo);
  EXPECT_EQ(TraceEvents(result.err),
            (std::vector<std::string>{
                "vlk240-read open <demo>",
                "vlk240-read tx 8 01 04 00 00 00 0D 31 CF",
                "vlk240-read rx 31 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 "
                "00 15 00 0A 42 48 00 00 47 76",
                "vlk240-read close <demo>",
            }));
}

// A port that does not open: the name, the device it stands for and the port's message.
TEST(ReadMode, TraceFileTellsWhyThePortDidNotOpen) {
  char pattern[] = "/tmp/vlk-trace-XXXXXX";
  const std::filesystem::path directory = ::mkdtemp(pattern);
  const std::string trace = (directory / "read.trace").string();
  ::setenv("VLK240_COM9", "/nonexistent/tty", 1);
  const auto result = RunWith({"--port", "COM9", "--trace", trace});
  ::unsetenv("VLK240_COM9");
  std::ifstream file(trace);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  std::filesystem::remove_all(directory);
  EXPECT_EQ(result.status, kExitPortError);
  EXPECT_EQ(TraceEvents(text), (std::vector<std::string>{
                                   "vlk240-read open COM9 /nonexistent/tty",
                                   "vlk240-read error Unable to open com port (win error code: 2)",
                               }));
}

// The instrument's end of the line goes away during a cyclic read: the read
// ends with a port error instead of hanging, and a new port in the same process
// is served by the same worker.
TEST(ReadMode, LinePulledDuringCycle) {
  auto simulator = std::make_unique<sim::Simulator>();
  const std::string path = simulator->SlavePath();
  testing_run::Outcome result{};
  std::atomic<bool> done{false};
  std::thread reading([&] {
    result = RunWith({"--port", path, "--cycle", "--interval", "0.02", "--count", "100000"});
    done = true;
  });
  while (simulator->RepliesSent() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  simulator.reset();
  reading.join();
  EXPECT_EQ(result.status, kExitPortError);
  EXPECT_NE(result.err.find("port error: "), std::string::npos) << result.err;

  const auto again = RunWith({"--demo"});
  EXPECT_EQ(again.status, kExitOk);
}

// The adapter behind a by-id style link is pulled and plugged in again during a
// cyclic read with --reopen: one line on standard error, a port_error record for
// every poll without a port, then readings again; the read still ends with 3.
TEST(ReadMode, ReopenReadsAgainOnceTheLostPortIsBack) {
  using namespace std::chrono_literals;
  char pattern[] = "/tmp/vlk-reopen-XXXXXX";
  const std::filesystem::path directory = ::mkdtemp(pattern);
  const std::filesystem::path link = directory / "adapter";
  std::unique_ptr<sim::Simulator> simulator;
  const auto plug = [&] {
    simulator = std::make_unique<sim::Simulator>();
    std::filesystem::create_symlink(simulator->SlavePath(), link);
  };
  const auto await_two_replies = [&] {
    for (int i = 0; i < 2000 && simulator->RepliesSent() < 2; ++i) std::this_thread::sleep_for(5ms);
  };
  plug();
  testing_run::Outcome result{};
  std::thread reading([&] {
    result =
        RunWith({"--port", link.string(), "--cycle", "--reopen", "--interval", "0.05", "--json"});
  });
  await_two_replies();
  simulator.reset();
  std::filesystem::remove(link);
  std::this_thread::sleep_for(500ms);  // about ten polls without a port
  plug();
  await_two_replies();
  RequestStop();
  reading.join();
  std::filesystem::remove_all(directory);

  EXPECT_EQ(result.status, kExitPortError);
  std::string outcomes;  // the first letter of each record's outcome
  const std::regex outcome_field("\"outcome\":\"([a-z])");
  for (const std::string& line : Lines(result.out)) {
    std::smatch outcome;
    if (std::regex_search(line, outcome, outcome_field)) outcomes += outcome[1].str();
  }
  EXPECT_TRUE(std::regex_match(outcomes, std::regex("a+p{2,}a+"))) << outcomes;
  EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
}

}  // namespace
}  // namespace reader
