#include "trace/frame_trace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

namespace trace {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

double Milliseconds(std::chrono::steady_clock::time_point when) {
  return std::chrono::duration<double, std::milli>(when.time_since_epoch()).count();
}

// The time of a line, and the line without it.
std::pair<double, std::string> Split(const std::string& line) {
  const std::size_t blank = line.find(' ');
  return {std::stod(line.substr(0, blank)), line.substr(blank + 1)};
}

TEST(FrameTrace, OneLinePerEventStampedWithTheMonotonicClock) {
  std::ostringstream out;
  FrameTrace trace(out, "vlk240-read");
  const auto before = std::chrono::steady_clock::now();
  trace.Opening("COM1", "/dev/ttyUSB0");
  trace.Opening("/dev/pts/3", "/dev/pts/3");
  trace.Sent(std::vector<std::uint8_t>{0x01, 0x04, 0x00, 0x00, 0x00, 0x0D, 0x31, 0xCA});
  trace.Received({});
  trace.Received(std::vector<std::uint8_t>{0x01, 0x84, 0x02, 0xC2, 0xC1});
  trace.Failed("Связь\rпотеряна\n");
  trace.Closing("COM1");
  const auto after = std::chrono::steady_clock::now();

  const std::vector<std::string> expected = {
      "vlk240-read open COM1 /dev/ttyUSB0",
      "vlk240-read open /dev/pts/3",
      "vlk240-read tx 8 01 04 00 00 00 0D 31 CA",
      "vlk240-read rx 0",
      "vlk240-read rx 5 01 84 02 C2 C1",
      "vlk240-read error Связь потеряна ",
      "vlk240-read close COM1",
  };
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), expected.size()) << out.str();
  double previous = Milliseconds(before) - 0.001;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto [time, rest] = Split(lines[i]);
    EXPECT_EQ(rest, expected[i]);
    // Another process reading the same clock gets comparable times.
    EXPECT_GE(time, previous) << lines[i];
    EXPECT_LE(time, Milliseconds(after) + 0.001) << lines[i];
    EXPECT_EQ(lines[i].find('.'), lines[i].find(' ') - 4) << "three decimals: " << lines[i];
    previous = time;
  }
}

TEST(FrameTrace, AppendsToAFileOrWritesToStandardError) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("frame_trace_test." + std::to_string(getpid()));
  {
    const std::unique_ptr<FrameTrace> first = FrameTrace::Open(path.string(), std::cerr, "one");
    const std::unique_ptr<FrameTrace> second = FrameTrace::Open(path.string(), std::cerr, "two");
    first->Closing("COM1");
    second->Closing("COM2");
    first->Closing("COM3");
  }
  std::ifstream file(path);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  std::filesystem::remove(path);
  std::vector<std::string> rests;
  for (const std::string& line : Lines(text)) rests.push_back(Split(line).second);
  EXPECT_EQ(rests,
            (std::vector<std::string>{"one close COM1", "two close COM2", "one close COM3"}));

  std::ostringstream standard_error;
  FrameTrace::Open("-", standard_error, "vlk240-sim")->Closing("/dev/pts/4");
  EXPECT_NE(standard_error.str().find(" vlk240-sim close /dev/pts/4\n"), std::string::npos);

  try {
    FrameTrace::Open((path / "no" / "such").string(), std::cerr, "vlk240");
    FAIL() << "opened a file in a missing directory";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code().value(), ENOENT);
  }
}

// The worker records frames while the window thread records port events.
TEST(FrameTrace, LinesOfTwoThreadsStayWholeAndInTimeOrder) {
  std::ostringstream out;
  FrameTrace trace(out, "vlk240");
  constexpr int kLines = 2000;
  std::thread worker([&] {
    for (int i = 0; i < kLines; ++i) trace.Sent(std::vector<std::uint8_t>{0x01, 0x04});
  });
  for (int i = 0; i < kLines; ++i) trace.Closing("COM1");
  worker.join();
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 2u * kLines);
  double previous = 0;
  for (const std::string& line : lines) {
    const auto [time, rest] = Split(line);
    ASSERT_TRUE(rest == "vlk240 tx 2 01 04" || rest == "vlk240 close COM1") << line;
    ASSERT_GE(time, previous) << line;
    previous = time;
  }
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         (name + "." + std::to_string(getpid()) + "." +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

// The wait status of `body` run in a child process, whose exit status is what `body` returns:
// for what may end a process or change its limits.
int InChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

// A trace that cannot be written says so once and stops; the program goes on.
TEST(FrameTraceFailure, AFullDeviceIsToldOnceAndTheTraceStops) {
  std::ostringstream standard_error;
  const std::unique_ptr<FrameTrace> trace =
      FrameTrace::Open("/dev/full", standard_error, "vlk240-read");
  for (int i = 0; i < 3; ++i) trace->Closing("COM1");
  EXPECT_EQ(standard_error.str(),
            "vlk240-read: trace to \"/dev/full\" stopped: No space left on device\n");
}

// A disk that fills up in the middle of a line: the file keeps whole lines only.
TEST(FrameTraceFailure, ALineCutShortByAFullDiskIsTakenBack) {
  const std::filesystem::path path = TempPath("frame_trace_full");
  std::filesystem::remove(path);
  constexpr rlim_t kRoom = 100;  // bytes: one line fits, the second does not
  const int status = InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    const rlimit limit{kRoom, kRoom};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
    std::ostringstream standard_error;
    const std::unique_ptr<FrameTrace> trace =
        FrameTrace::Open(path.string(), standard_error, "vlk240-read");
    for (int i = 0; i < 4; ++i) trace->Sent(std::vector<std::uint8_t>(10, 0x55));
    return standard_error.str() ==
                   "vlk240-read: trace to \"" + path.string() + "\" stopped: File too large\n"
               ? 0
               : 11;
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::ifstream file(path);
  const std::string text((std::istreambuf_iterator<char>(file)), {});
  std::filesystem::remove(path);
  ASSERT_EQ(Lines(text).size(), 1u) << text;
  EXPECT_EQ(text.back(), '\n') << text;
}

// A FIFO that no process reads: refused at once, not waited on before the port opens.
TEST(FrameTraceFailure, AFifoWithoutAReaderIsRefusedAtOnce) {
  const std::filesystem::path fifo = TempPath("frame_trace_fifo");
  std::filesystem::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Should the open wait, a reader comes after a while, so that the test fails, not hangs.
  std::atomic<bool> opened{false};
  std::thread rescue([&] {
    for (int i = 0; i < 200 && !opened; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!opened) ::close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
  });
  try {
    FrameTrace::Open(fifo.string(), std::cerr, "vlk240");
    ADD_FAILURE() << "opened a FIFO that no process reads";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code().value(), ENXIO);
    EXPECT_EQ(error.code().message(), "no such device, or a FIFO that no process reads");
  }
  opened = true;
  rescue.join();
  std::filesystem::remove(fifo);
}

// A FIFO or pipe whose reader leaves, standard error included: the program lives on and says so
// once; the signal the write raised is not left pending either.
TEST(FrameTraceFailure, APipeWhoseReaderLeavesEndsTheTraceNotTheProgram) {
  const std::filesystem::path fifo = TempPath("frame_trace_gone");
  std::filesystem::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int to_fifo = InChild([&] {
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::ostringstream standard_error;
    const std::unique_ptr<FrameTrace> trace =
        FrameTrace::Open(fifo.string(), standard_error, "vlk240");
    trace->Closing("COM1");
    ::close(reader);
    trace->Closing("COM1");
    trace->Closing("COM1");
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE) == 1) return 12;
    return standard_error.str() ==
                   "vlk240: trace to \"" + fifo.string() + "\" stopped: Broken pipe\n"
               ? 0
               : 11;
  });
  std::filesystem::remove(fifo);
  EXPECT_TRUE(WIFEXITED(to_fifo) && WEXITSTATUS(to_fifo) == 0) << to_fifo;

  const int to_standard_error = InChild([] {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return 10;
    ::close(pipe_ends[0]);
    ::dup2(pipe_ends[1], STDERR_FILENO);
    const std::unique_ptr<FrameTrace> trace = FrameTrace::Open("-", std::cerr, "vlk240");
    trace->Closing("COM1");
    trace->Closing("COM1");
    // The program's own standard error is left usable for what it says next.
    return std::cerr.good() ? 0 : 11;
  });
  EXPECT_TRUE(WIFEXITED(to_standard_error) && WEXITSTATUS(to_standard_error) == 0)
      << to_standard_error;
}

}  // namespace
}  // namespace trace
