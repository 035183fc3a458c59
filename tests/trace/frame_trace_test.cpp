#include "trace/frame_trace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

}  // namespace
}  // namespace trace
