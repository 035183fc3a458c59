// The INI file on Linux: writes that fail midway never lose the old file, and a rewrite keeps
// the file's permission bits and symbolic link.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "ini_file_fixture.h"
#include "storage/storage_errors.h"

namespace storage {
namespace {

TEST_F(IniFileTest, FailedWriteInReadOnlyDirectoryKeepsFileAndObject) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes to read-only directories";
  WriteFile(path, "[S]\nk=old\n");
  TIniFile ini(path);
  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_THROW(ini.WriteString("S", "k", "new"), EStorageError);
  EXPECT_EQ(ReadFile(path), "[S]\nk=old\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "old");
}

// A file size limit makes the write of the temporary file fail even for root.
TEST_F(IniFileTest, FailedWriteOfTheNewContentsKeepsFileAndObject) {
  const std::string old = "[S]\nk=" + std::string(100, 'o') + "\n";
  WriteFile(path, old);
  TIniFile ini(path);

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64;
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool thrown = false;
  try {
    ini.WriteString("S", "k", std::string(200, 'n'));
  } catch (const EStorageError& e) {
    thrown = true;
    EXPECT_NE(e.SystemCode(), 0);
    EXPECT_NE(std::string(e.what()).find("port.ini"), std::string::npos) << e.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);

  EXPECT_TRUE(thrown);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(ini.ReadString("S", "k", ""), std::string(100, 'o'));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
      << "the temporary file is removed";
}

TEST_F(IniFileTest, RewriteKeepsPermissionsAndFollowsSymlinks) {
  const auto target = dir / "real.ini";
  WriteFile(target, "[S]\nk=v\n");
  std::filesystem::permissions(
      target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_symlink(target, path);
  TIniFile(path).WriteString("S", "k", "w");
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(ReadFile(target), "[S]\nk=w\n");
  EXPECT_EQ(std::filesystem::status(target).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace storage
