// The INI file: format kept on rewrite, lookup rules, and writes that never
// lose the old file.
#include "storage/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "storage/storage_errors.h"
#include "temp_dir.h"

namespace comport {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path path = dir / "port.ini";
};

TEST_F(IniFileTest, MissingFileReadsAsEmptyAndIsCreatedByTheFirstWrite) {
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("ComPort1", "Port", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("ComPort1", "Size", 7), 7);
  EXPECT_FALSE(std::filesystem::exists(path));

  ini.WriteString("ComPort1", "Port", "COM2");
  ini.WriteInteger("ComPort1", "Size", -5);
  ini.WriteString("Other", "Port", "COM3");
  EXPECT_EQ(ReadFile(path), "[ComPort1]\nPort=COM2\nSize=-5\n\n[Other]\nPort=COM3\n");
}

TEST_F(IniFileTest, RewriteKeepsCommentsUnknownLinesAndLineEnds) {
  const std::string hand_edited =
      "; settings\r\n[ComPort1]\r\n# a comment\r\nPort = "
      "COM1\r\nnoise line\r\n\r\n"
      "[Tail]\r\nX=1\r\n";
  WriteFile(path, hand_edited);
  TIniFile ini(path);
  ini.WriteString("ComPort1", "Port", "COM1");  // already reads so: the file stays as it is
  EXPECT_EQ(ReadFile(path), hand_edited);
  ini.WriteString("comport1", "PORT", "COM4");
  ini.WriteString("ComPort1", "BaudRate", "9600");
  EXPECT_EQ(ReadFile(path),
            "; settings\r\n[ComPort1]\r\n# a comment\r\nPort "
            "=COM4\r\nBaudRate=9600\r\n"
            "noise line\r\n\r\n[Tail]\r\nX=1\r\n");
  EXPECT_EQ(TIniFile(path).ReadString("COMPORT1", "baudrate", ""), "9600");
}

TEST_F(IniFileTest, LookupRules) {
  WriteFile(path,
            "\xEF\xBB\xBF[A]\nkey= padded value \t\n;key=commented\nkey=second\n"
            "n= 12 \nhex=$10\nbad=12x\nempty=\nblank= \t \n[B]\nkey=b\n[a]\nonly=in second A\n");
  const TIniFile ini(path);
  struct Case {
    const char* section;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"A", "key", "padded value"},  // the first of duplicates, without blanks around it
      {"B", "key", "b"},
      {"A", "empty", ""},
      {"A", "blank", ""},
      {"A", "only", "<none>"},  // the second [a] is not read
      {"C", "key", "<none>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.ReadString(c.section, c.name, "<none>"), c.expected) << c.section << c.name;
  }
  EXPECT_EQ(ini.ReadInteger("A", "n", 0), 12);
  EXPECT_EQ(ini.ReadInteger("A", "hex", 0), 16);
  EXPECT_EQ(ini.ReadInteger("A", "bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("A", "empty", -1), -1);
  EXPECT_EQ(ini.ReadInteger("A", "key", -1), -1);
}

TEST_F(IniFileTest, RefusesWhatTheFormatCannotHoldAndKeepsTheFile) {
  WriteFile(path, "[S]\nk=v\n");
  TIniFile ini(path);
  struct Case {
    const char* section;
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"S", "k", "two\nlines"}, {"S", "k", "cr\r"}, {"S", "a=b", "v"}, {"S", ";k", "v"},
      {"S", "[k", "v"},         {"S", " k", "v"},   {"S", "", "v"},    {"S]", "k", "v"},
      {"S\n", "k", "v"},        {"S", "k", " v"},   {"S", "k", "v\t"},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(ini.WriteString(c.section, c.name, c.value), EStorageError) << c.name;
  }
  EXPECT_EQ(ReadFile(path), "[S]\nk=v\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
}

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

TEST_F(IniFileTest, UnreadableFileIsAnErrorNotAnEmptyIni) {
  std::filesystem::create_directory(path);
  EXPECT_THROW(TIniFile{path}, EStorageError);
}

}  // namespace
}  // namespace comport
