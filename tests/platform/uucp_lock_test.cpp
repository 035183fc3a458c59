// The lock file of terminal programs: a live owner keeps the port, a dead
// one's file is replaced, our own goes at close and nobody else's ever does.
// Each test points the lock folder at a fresh directory of its own.
#include "posix/uucp_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/comm_api.h"
#include "support/pseudo_terminal.h"

namespace platform::posix {
namespace {

namespace fs = std::filesystem;

HANDLE OpenPort(const std::string& path) {
  return Comm().CreateFileA(("\\\\.\\" + path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, 0);
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A process id that no process has any more: a child that ended and was reaped.
pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(UucpLockText, TenCharactersRightAlignedAndANewline) {
  EXPECT_EQ(FormatLockPid(4242), "      4242\n");
  EXPECT_EQ(FormatLockPid(2147483647), "2147483647\n");
  const std::pair<std::string, std::optional<pid_t>> texts[] = {
      {"      4242\n", 4242},     {"4242", 4242},
      {"4242\n", 4242},           {"", std::nullopt},
      {"\n", std::nullopt},       {"   \n", std::nullopt},
      {"42 42\n", std::nullopt},  {"0\n", std::nullopt},
      {"-5\n", std::nullopt},     {"+5\n", std::nullopt},
      {"4242\n\n", std::nullopt}, {"99999999999\n", std::nullopt},
      {"pid\n", std::nullopt},
  };
  for (const auto& [text, pid] : texts) EXPECT_EQ(ParseLockPid(text), pid) << '"' << text << '"';
}

TEST(UucpLockText, NamedAfterTheDeviceUnderDev) {
  EXPECT_EQ(UucpLockName("/dev/ttyUSB0"), "LCK..ttyUSB0");
  EXPECT_EQ(UucpLockName("/nowhere/ttyQ7"), "LCK..ttyQ7");
  const vlk_test::PseudoTerminal pty;
  const std::string pts = pty.SlavePath().substr(std::string("/dev/pts/").size());
  EXPECT_EQ(UucpLockName(pty.SlavePath()), "LCK..pts_" + pts);
  // A link, as udev's by-id names are, locks the device it points to.
  const fs::path link = fs::temp_directory_path() / ("vlk-by-id-" + std::to_string(::getpid()));
  fs::create_symlink(pty.SlavePath(), link);
  EXPECT_EQ(UucpLockName(link.string()), "LCK..pts_" + pts);
  fs::remove(link);
}

class UucpLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vlk-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    if (const char* before = std::getenv("VLK240_LOCK_DIR")) saved_ = before;
    // No other thread runs between tests: the environment is ours to change.
    ::setenv("VLK240_LOCK_DIR", dir_.c_str(), 1);
    lock_file_ = dir_ / UucpLockName(pty_.SlavePath());
  }
  void TearDown() override {
    if (saved_) {
      ::setenv("VLK240_LOCK_DIR", saved_->c_str(), 1);
    } else {
      ::unsetenv("VLK240_LOCK_DIR");
    }
    fs::remove_all(dir_);
  }
  void PlantLockFile(const std::string& text) {
    std::ofstream(lock_file_, std::ios::binary) << text;
  }
  void ExpectRefusedAsBusy() {
    const HANDLE port = OpenPort(pty_.SlavePath());
    EXPECT_EQ(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Comm().GetLastError(), 5u);
    EXPECT_EQ(Comm().GetLastSystemError(), EBUSY);
    if (port != INVALID_HANDLE_VALUE) Comm().CloseHandle(port);
  }

  vlk_test::PseudoTerminal pty_;
  fs::path dir_;
  fs::path lock_file_;
  std::optional<std::string> saved_;
};

// Our own file while the port is open, in place of none or of a dead owner's, readable by
// all even under a service's strict umask; gone once it is closed.
TEST_F(UucpLockTest, OwnFileWhileOpenRemovedOnCloseADeadOwnersReplaced) {
  for (const bool stale : {false, true}) {
    SCOPED_TRACE(stale ? "a dead owner's file" : "no file");
    if (stale) PlantLockFile(FormatLockPid(DeadPid()));
    const mode_t umask_before = ::umask(0077);
    const HANDLE port = OpenPort(pty_.SlavePath());
    ::umask(umask_before);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << Comm().GetLastError();
    EXPECT_EQ(Contents(lock_file_), FormatLockPid(::getpid()));
    EXPECT_EQ(fs::status(lock_file_).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                        fs::perms::group_read |
                                                        fs::perms::others_read);
    Comm().CloseHandle(port);
    EXPECT_FALSE(fs::exists(lock_file_));
  }
}

// A file that names a live process, or no process at all (its owner may be
// writing it this moment), keeps the port; the file stays as it was.
TEST_F(UucpLockTest, LiveOwnerOrNoOwnerRefusesAndTheFileStays) {
  for (const std::string& text :
       {FormatLockPid(::getppid()), std::string(), std::string("junk\n")}) {
    PlantLockFile(text);
    ExpectRefusedAsBusy();
    EXPECT_EQ(Contents(lock_file_), text);
  }
}

// A file another program put in our file's place while we held the port is
// its own: closing leaves it.
TEST_F(UucpLockTest, AnotherProgramsFileIsNeverRemoved) {
  const HANDLE port = OpenPort(pty_.SlavePath());
  ASSERT_NE(port, INVALID_HANDLE_VALUE) << Comm().GetLastError();
  const std::string theirs = FormatLockPid(::getppid());
  PlantLockFile(theirs);
  Comm().CloseHandle(port);
  EXPECT_EQ(Contents(lock_file_), theirs);
}

TEST_F(UucpLockTest, WithoutALockFolderThePortOpensWithoutAFile) {
  ::setenv("VLK240_LOCK_DIR", (dir_ / "missing").c_str(), 1);
  const HANDLE port = OpenPort(pty_.SlavePath());
  EXPECT_NE(port, INVALID_HANDLE_VALUE) << Comm().GetLastError();
  Comm().CloseHandle(port);
}

}  // namespace
}  // namespace platform::posix
