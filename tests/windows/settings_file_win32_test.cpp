// The window's settings file on Windows (form/settings_file.h): the first line read, a missing
// file told from a folder in its place, and writes that replace the file or refuse and keep it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "form/settings_file.h"
#include "temp_dir.h"
#include "wine_skips.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace form {
namespace {

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

TEST(Win32SettingsFile, TakesTheFirstLineUpToItsLineEnd) {
  struct Case {
    const char* content;
    const char* first_line;
  } const cases[] = {
      {"COM3\r\n", "COM3"},   {"COM3", "COM3"}, {"COM3\nCOM1\r\n", "COM3"}, {"COM3\rCOM1", "COM3"},
      {"COM3 \r\n", "COM3 "}, {"", ""},         {"\r\nCOM2\r\n", ""},
  };
  const storage::TempDir dir;
  const auto path = dir / "user.ini";
  for (const Case& c : cases) {
    WriteBytes(path, c.content);
    const SettingsReadResult result = ReadSettingsFile(path);
    EXPECT_EQ(result.status, SettingsReadStatus::kRead) << c.content;
    EXPECT_EQ(result.first_line, c.first_line);
  }
  WriteBytes(path, std::string(100000, 'C') + "\r\n");
  const SettingsReadResult longest = ReadSettingsFile(path);
  EXPECT_EQ(longest.status, SettingsReadStatus::kRead);
  EXPECT_LT(longest.first_line.size(), 1000u);
}

TEST(Win32SettingsFile, AFolderInTheFilesPlaceIsNoFile) {
  const storage::TempDir dir;
  const auto path = dir / "user.ini";
  EXPECT_FALSE(SettingsFileExists(path));
  EXPECT_EQ(ReadSettingsFile(path).status, SettingsReadStatus::kMissing);
  std::filesystem::create_directory(path);
  EXPECT_FALSE(SettingsFileExists(path));
  EXPECT_EQ(ReadSettingsFile(path).status, SettingsReadStatus::kMissing);
  EXPECT_FALSE(WriteSettingsFile(path, "COM2"));
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST(Win32SettingsFile, WritesThePortNameAndCrLfOnly) {
  const storage::TempDir dir;
  const auto path = dir / "user.ini";
  ASSERT_TRUE(WriteSettingsFile(path, "COM2"));
  EXPECT_TRUE(SettingsFileExists(path));
  EXPECT_EQ(ReadBytes(path), "COM2\r\n");
  ASSERT_TRUE(WriteSettingsFile(path, "COM4"));
  EXPECT_EQ(ReadBytes(path), "COM4\r\n");
  // Nothing but the file itself is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Win32SettingsFile, AReadOnlyFileIsRefusedAndKept) {
  VLK_SKIP_WHERE_WINE_DIFFERS();
  const storage::TempDir dir;
  const auto path = dir / "user.ini";
  WriteBytes(path, "COM1\r\n");
  ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteSettingsFile(path, "COM3"));
  EXPECT_EQ(ReadBytes(path), "COM1\r\n");
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace form
