#include "form/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <optional>

#include "temp_directory.h"
#include "unprivileged.h"

namespace form {
namespace {

using testing::ReadBytes;
using testing::TempDirectory;
using testing::Unprivileged;
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
  const auto path = dir.path() / "user.ini";
  EXPECT_FALSE(SettingsFileExists(path));
  EXPECT_EQ(ReadSettingsFile(path).status, SettingsReadStatus::kMissing);
  // A directory is no file: the start goes on silently.
  std::filesystem::create_directory(path);
  EXPECT_FALSE(SettingsFileExists(path));
  EXPECT_EQ(ReadSettingsFile(path).status, SettingsReadStatus::kMissing);
  // A FIFO is there but holds no settings; reading it must not wait for a writer.
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  EXPECT_TRUE(SettingsFileExists(path));
  EXPECT_EQ(ReadSettingsFile(path).status, SettingsReadStatus::kFailed);
}

TEST(ReadSettingsFile, ReadsOnlyAsMuchOfAFirstLineAsAPortNameCouldNeed) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  WriteBytes(path, std::string(100000, 'C') + "\r\n");
  const SettingsReadResult result = ReadSettingsFile(path);
  EXPECT_EQ(result.status, SettingsReadStatus::kRead);
  EXPECT_LT(result.first_line.size(), 1000u);
  EXPECT_EQ(result.first_line, std::string(result.first_line.size(), 'C'));
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

TEST(WriteSettingsFile, KeepsTheFilesPermissionBitsAndALinkToIt) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  WriteBytes(path, "COM3\r\n");
  std::filesystem::permissions(path, std::filesystem::perms(0640));
  ASSERT_TRUE(WriteSettingsFile(path, "COM2"));
  EXPECT_EQ(ReadBytes(path), "COM2\r\n");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));

  // The link survives and its target gets the text, keeping its own bits.
  std::filesystem::create_directory(dir.path() / "real");
  const auto target = dir.path() / "real" / "settings.ini";
  WriteBytes(target, "COM3\r\n");
  std::filesystem::permissions(target, std::filesystem::perms(0600));
  std::filesystem::remove(path);
  std::filesystem::create_symlink("real/settings.ini", path);
  ASSERT_TRUE(WriteSettingsFile(path, "COM4"));
  ASSERT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(std::filesystem::read_symlink(path), "real/settings.ini");
  EXPECT_EQ(ReadBytes(target), "COM4\r\n");
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0600));
  EXPECT_EQ(ReadSettingsFile(path).first_line, "COM4");
}

// Whoever runs the window, root included (whom the permission bits do not stop): a file that
// nobody may write, or a link to one, is left as it is.
TEST(WriteSettingsFile, ReadOnlyFileIsKeptByWhoeverRunsTheWindow) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  WriteBytes(path, "COM3\r\n");
  std::filesystem::permissions(path, std::filesystem::perms(0444));
  EXPECT_FALSE(WriteSettingsFile(path, "COM2"));
  EXPECT_EQ(ReadBytes(path), "COM3\r\n");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));

  const auto link = dir.path() / "link.ini";
  std::filesystem::create_symlink("user.ini", link);
  EXPECT_FALSE(WriteSettingsFile(link, "COM2"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(path), "COM3\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(WriteSettingsFile, FailsOverADirectoryAndLeavesIt) {
  TempDirectory dir;
  const auto path = dir.path() / "user.ini";
  std::filesystem::create_directory(path);
  EXPECT_FALSE(WriteSettingsFile(path, "COM1"));
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// What the operator may and may not do with the file, run as a user whom permissions bind.
class SettingsFilePermissions : public ::testing::Test {
 protected:
  void SetUp() override {
    user_ = Unprivileged::Find();
    if (!user_) GTEST_SKIP() << "running as root and there is no unprivileged user \"nobody\"";
    std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
    user_->Own(work_);
  }

  // The user's settings file in the user's directory.
  std::filesystem::path UserFile(const std::string& content, int mode) {
    const auto path = work_ / "user.ini";
    WriteBytes(path, content);
    user_->Own(path);
    std::filesystem::permissions(path, std::filesystem::perms(mode));
    return path;
  }

  static ino_t Inode(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_ino;
  }

  static std::size_t Entries(const std::filesystem::path& directory) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(directory), {}));
  }

  TempDirectory dir_;
  std::filesystem::path work_ = [this] {
    const auto path = dir_.path() / "work";
    std::filesystem::create_directory(path);
    return path;
  }();
  std::optional<Unprivileged> user_;
};

TEST_F(SettingsFilePermissions, WritableFileInADirectoryTheOperatorCannotWriteIsRewrittenInPlace) {
  const auto path = UserFile("COM3\r\nCOM1\r\n", 0644);
  const ino_t inode = Inode(path);
  std::filesystem::permissions(work_, std::filesystem::perms(0555));
  EXPECT_EQ(user_->Run([&] { return WriteSettingsFile(path, "COM2") ? 0 : 1; }), 0);
  EXPECT_EQ(ReadBytes(path), "COM2\r\n");
  EXPECT_EQ(Inode(path), inode);
  EXPECT_EQ(Entries(work_), 1u);
}

TEST_F(SettingsFilePermissions, ReadOnlyFileIsRefusedAndKept) {
  const auto path = UserFile("COM3\r\n", 0444);
  EXPECT_EQ(user_->Run([&] { return WriteSettingsFile(path, "COM2") ? 0 : 1; }), 1);
  EXPECT_EQ(ReadBytes(path), "COM3\r\n");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));
  EXPECT_EQ(Entries(work_), 1u);
}

TEST_F(SettingsFilePermissions, WritableFileOfAnotherUserInAStickyDirectoryIsRewrittenInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give the file to another user";
  const auto shared = dir_.path() / "shared";
  std::filesystem::create_directory(shared);
  std::filesystem::permissions(shared, std::filesystem::perms(01777));
  const auto path = shared / "user.ini";
  WriteBytes(path, "COM3\r\n");
  std::filesystem::permissions(path, std::filesystem::perms(0666));
  EXPECT_EQ(user_->Run([&] { return WriteSettingsFile(path, "COM2") ? 0 : 1; }), 0);
  EXPECT_EQ(ReadBytes(path), "COM2\r\n");
  EXPECT_EQ(Entries(shared), 1u);
}

TEST_F(SettingsFilePermissions, UnreadableFileFailsWhileAnUnsearchableDirectoryHasNoFile) {
  const auto path = UserFile("COM3\r\n", 0);
  EXPECT_EQ(user_->Run([&] { return SettingsFileExists(path) ? 0 : 1; }), 0);
  EXPECT_EQ(user_->Run([&] { return static_cast<int>(ReadSettingsFile(path).status); }),
            static_cast<int>(SettingsReadStatus::kFailed));

  std::filesystem::permissions(path, std::filesystem::perms(0644));
  const auto exists_in_unsearchable_current_directory = [&] {
    if (::chdir(work_.c_str()) != 0) return 2;
    std::filesystem::permissions(work_, std::filesystem::perms(0600));
    return SettingsFileExists(SettingsFilePath()) ? 0 : 1;
  };
  EXPECT_EQ(user_->Run(exists_in_unsearchable_current_directory), 1);
}

}  // namespace
}  // namespace form
