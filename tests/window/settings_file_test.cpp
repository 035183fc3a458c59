#include "window/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "temp_directory.h"

namespace window {
namespace {

using testing::ReadBytes;
using testing::TempDirectory;
using testing::WriteBytes;

TEST(ReadSettingsFile, TakesTheFirstLineUpToItsLineEnd) {
  struct Case {
    const char* content;
    const char* first_line;
  } const cases[] = {
      {"COM3\r\n", "COM3"},
      {"COM3", "COM3"},
      {"COM3\nCOM1\r\n", "COM3"},
      {"COM3\rCOM1", "COM3"},
      {"com3\r\n", "com3"},
      {"COM3 \r\n", "COM3 "},
      {"", ""},
      {"\r\nCOM2\r\n", ""},
  };
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  for (const Case& c : cases) {
    WriteBytes(path, c.content);
    const SettingsReadResult result = ReadSettingsFile(path);
    EXPECT_EQ(result.status, SettingsReadStatus::kRead) << c.content;
    EXPECT_EQ(result.first_line, c.first_line);
  }
}

TEST(ReadSettingsFile, TellsAMissingFileFromAnUnreadableOne) {
  TempDirectory dir;
  EXPECT_EQ(ReadSettingsFile(dir.path() / "user.ini").status, SettingsReadStatus::kMissing);
  std::filesystem::create_directory(dir.path() / "user.ini");
  EXPECT_EQ(ReadSettingsFile(dir.path() / "user.ini").status, SettingsReadStatus::kFailed);
}

TEST(WriteSettingsFile, WritesThePortNameAndCrLfOnly) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  ASSERT_TRUE(WriteSettingsFile(path, "COM2"));
  EXPECT_EQ(ReadBytes(path), "COM2\r\n");
  ASSERT_TRUE(WriteSettingsFile(path, "COM4"));
  EXPECT_EQ(ReadBytes(path), "COM4\r\n");
  // Nothing but the file itself is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteSettingsFile, FailedWriteKeepsTheOldFile) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  WriteBytes(path, "COM3\r\n");
  // A file size limit makes the write itself fail, for root as well; the old file's bytes are
  // not touched by it.
  rlimit old_limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = old_limit;
  tiny.rlim_cur = 2;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const bool written = WriteSettingsFile(path, "COM1");
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes(path), "COM3\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteSettingsFile, FailsOverADirectoryAndLeavesIt) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  std::filesystem::create_directory(path);
  EXPECT_FALSE(WriteSettingsFile(path, "COM1"));
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace window
