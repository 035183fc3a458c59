// The INI file: format kept on rewrite, lookup rules, and what it refuses.
#include "storage/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "ini_file_fixture.h"
#include "storage/storage_errors.h"

namespace storage {
namespace {

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

TEST_F(IniFileTest, UnreadableFileIsAnErrorNotAnEmptyIni) {
  std::filesystem::create_directory(path);
  EXPECT_THROW(TIniFile{path}, EStorageError);
}

}  // namespace
}  // namespace storage
