// Runs the built program itself, so the entry point, the exit status and the
// streams are covered as a user sees them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "reply_frames.h"
#include "sim/simulator.h"

namespace {

struct ProcessResult {
  int status;
  std::string out;
};

// What the shell `command` prints on standard output, and its status.
ProcessResult RunShell(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string out;
  std::array<char, 512> chunk;
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.append(chunk.data(), got);
  const int wait_status = pclose(pipe);
  return {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, out};
}

// `arguments` and `redirections` are appended to the program path as shell
// words; `out` is what the redirections leave on standard output.
ProcessResult RunProgram(const std::string& arguments,
                         const std::string& redirections = "2>/dev/null") {
  return RunShell(std::string("'") + VLK240_READ_PATH + "' " + arguments + " " + redirections);
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

TEST(Vlk240ReadProgram, DecodesTheWorkedExample) {
  const ProcessResult result = RunProgram(
      "--decode " + Quoted(reader::testing_frames::Hex(reader::testing_frames::kWorkedExample)) +
      " --separator ,");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, reader::testing_frames::kWorkedExampleOutput);
}

TEST(Vlk240ReadProgram, DecodesVariant3) {
  const ProcessResult result = RunProgram(
      "--decode " + Quoted(reader::testing_frames::Hex(reader::testing_frames::Variant3Example())) +
      " --separator ,");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find(reader::testing_frames::kVariant3Lines), std::string::npos);
}

TEST(Vlk240ReadProgram, RejectedFrameAndBadArguments) {
  const ProcessResult rejected = RunProgram("--decode '01 04 00 00'");
  EXPECT_EQ(rejected.status, 1);
  EXPECT_EQ(rejected.out, "");
  const ProcessResult unusable = RunProgram("--decode '01 0'");
  EXPECT_EQ(unusable.status, 2);
  EXPECT_EQ(unusable.out, "");
}

// Standard output closed or full: status 4 and why, for every mode. A closed
// standard output must not become the next file opened, or the readings would
// go down the line and the polls go unanswered.
TEST(Vlk240ReadProgram, OutputThatCannotBeWrittenEndsWithStatus4) {
  const std::string closed = "2>&1 >&-";
  const std::string full = "2>&1 >/dev/full";
  const std::string bad_descriptor = "vlk240-read: standard output: Bad file descriptor\n";
  const std::string no_space = "vlk240-read: standard output: No space left on device\n";
  const struct {
    std::string arguments;
    std::string redirections;
    std::string err;
  } rows[] = {
      {"--demo", closed, bad_descriptor},
      {"--demo --csv --cycle --interval 0.01 --count 3", closed, bad_descriptor},
      {"--help", closed, bad_descriptor},
      {"--demo --json", full, no_space},
      {"--decode '01 84 02 C2 C1'", full, no_space},
      {"--list-ports", full, no_space},
  };
  for (const auto& row : rows) {
    const ProcessResult result = RunProgram(row.arguments, row.redirections);
    EXPECT_EQ(result.status, 4) << row.arguments << " " << row.redirections;
    EXPECT_EQ(result.out, row.err) << row.arguments << " " << row.redirections;
  }
}

// A pipe whose reader leaves early (| head -1): the reader ends with its own status 4 and one
// line on standard error, not by the signal a shell reports as 141. The reader's standard
// error and its status go to descriptor 3, which leads to this test.
TEST(Vlk240ReadProgram, APipeWhoseReaderHasGoneEndsWithStatus4) {
  const ProcessResult result =
      RunShell(std::string("{ { '") + VLK240_READ_PATH +
               "' --demo --cycle --interval 0.01 --count 300 2>&3; echo $? >&3; } |"
               " head -c 1 >/dev/null; } 3>&1");
  EXPECT_EQ(result.out, "vlk240-read: standard output: Broken pipe\n4\n");
}

// A log appended to run after run (>> log.csv) has its header once, at the top; a file
// emptied by > gets it again.
TEST(Vlk240ReadProgram, CsvAppendedToALogHasOneHeader) {
  const std::string log =
      ::testing::TempDir() + "vlk240-read-" + std::to_string(::getpid()) + ".csv";
  const std::string csv = "--demo --csv --cycle --interval 0.01 --count 2";
  for (std::string redirection : {">", ">>", ">>"}) {
    redirection += Quoted(log);
    ASSERT_EQ(RunProgram(csv, redirection).status, 0) << redirection;
  }
  std::ifstream file(log);
  int headers = 0;
  int rows = 0;
  for (std::string line; std::getline(file, line);)
    ++(line.rfind("time,", 0) == 0 ? headers : rows);
  EXPECT_EQ(headers, 1);
  EXPECT_EQ(rows, 6);
  std::string emptying = ">";
  emptying += Quoted(log);
  ASSERT_EQ(RunProgram(csv, emptying).status, 0);
  std::ifstream emptied(log);
  std::string first;
  std::getline(emptied, first);
  EXPECT_EQ(first.rfind("time,", 0), 0u) << first;
  std::remove(log.c_str());
}

// SIGINT ends a cyclic read after the poll in progress, with the status of the
// polls so far.
TEST(Vlk240ReadProgram, InterruptEndsACyclicReadCleanly) {
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  const char* argv[] = {VLK240_READ_PATH, "--demo", "--cycle", "--interval", "0.05", nullptr};
  pid_t child = 0;
  ASSERT_EQ(
      posix_spawn(&child, VLK240_READ_PATH, &actions, nullptr, const_cast<char**>(argv), environ),
      0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);

  // The first poll's relay line shows the loop runs; then interrupt it.
  std::string out;
  std::array<char, 512> chunk;
  while (out.find("Состояния реле") == std::string::npos) {
    const ssize_t got = ::read(pipe_ends[0], chunk.data(), chunk.size());
    ASSERT_GT(got, 0) << out;
    out.append(chunk.data(), static_cast<std::size_t>(got));
  }
  ASSERT_EQ(::kill(child, SIGINT), 0);
  ssize_t got = 0;
  while ((got = ::read(pipe_ends[0], chunk.data(), chunk.size())) > 0) {
    out.append(chunk.data(), static_cast<std::size_t>(got));
  }
  ::close(pipe_ends[0]);
  int wait_status = 0;
  ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
  EXPECT_TRUE(WIFEXITED(wait_status)) << "ended by a signal instead of returning";
  EXPECT_EQ(WEXITSTATUS(wait_status), 0);
  // The last poll printed completely: its relay line, which ends in a blank,
  // comes last.
  EXPECT_EQ(out.substr(out.size() - 2), " \n");
}

// A stop signal during a single read, the request on the line and the reply awaited: the poll
// finishes and the read ends as at its end, the port closed (the trace's last line says so).
TEST(Vlk240ReadProgram, AStopSignalDuringASingleReadEndsItWithThePortClosed) {
  for (const int signal : {SIGHUP, SIGTERM, SIGINT}) {
    sim::Config silent;
    silent.behaviour.kind = sim::BehaviourKind::kSilent;
    sim::Simulator simulator(silent);
    const std::string trace = ::testing::TempDir() + "vlk240_read_signal.trace";
    std::remove(trace.c_str());
    const std::string port = simulator.SlavePath();
    const char* argv[] = {VLK240_READ_PATH, "--port",      port.c_str(),
                          "--trace",        trace.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(
        posix_spawn(&child, VLK240_READ_PATH, &actions, nullptr, const_cast<char**>(argv), environ),
        0);
    posix_spawn_file_actions_destroy(&actions);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (simulator.RequestsSeen() == 0 && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(::kill(child, signal), 0);
    int wait_status = 0;
    ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
    EXPECT_TRUE(WIFEXITED(wait_status)) << "signal " << signal;
    EXPECT_EQ(WEXITSTATUS(wait_status), 1) << "signal " << signal << ": the poll went unanswered";
    std::ifstream lines(trace);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) last = line;
    EXPECT_TRUE(last.ends_with("close " + port)) << "signal " << signal << ": " << last;
    std::remove(trace.c_str());
  }
}

}  // namespace
