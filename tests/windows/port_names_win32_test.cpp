// Port names on Windows (platform/port_names.h): COMn is the system's own name, VLK240_COMn
// gives it another port, a "\\" path stands as it is.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/port_names.h"

namespace platform {
namespace {

TEST(Win32PortNames, ComNamesAreTheSystemsOwnUnlessOverridden) {
  ASSERT_EQ(_putenv_s("VLK240_COM2", "COM7"), 0);
  ASSERT_EQ(_putenv_s("VLK240_COM3", ""), 0);  // empty: no override
  ASSERT_EQ(_putenv_s("VLK240_COM4", "\\\\.\\CNCA0"), 0);
  const std::pair<const char*, const char*> rows[] = {
      {"COM1", "\\\\.\\COM1"},
      {"\\\\.\\COM1", "\\\\.\\COM1"},
      {"com12", "\\\\.\\com12"},
      {"COM2", "\\\\.\\COM7"},
      {"\\\\.\\COM2", "\\\\.\\COM7"},
      {"COM3", "\\\\.\\COM3"},
      {"COM4", "\\\\.\\CNCA0"},
      {"COM255", "\\\\.\\COM255"},
      {"\\\\?\\USB#VID_0403", "\\\\?\\USB#VID_0403"},
      {"CNCB0", "\\\\.\\CNCB0"},
      {"", ""},
      {"\\\\.\\", ""},
  };
  for (const auto& [name, path] : rows) EXPECT_EQ(ResolvePortName(name), path) << name;
  _putenv_s("VLK240_COM2", "");
  _putenv_s("VLK240_COM4", "");
}

TEST(Win32PortNames, OnlyComOneToTwoHundredFiftyFiveHasANumber) {
  EXPECT_EQ(ComPortNumber("COM1"), 1);
  EXPECT_EQ(ComPortNumber("com255"), 255);
  EXPECT_EQ(ComPortNumber("COM0"), 0);
  EXPECT_EQ(ComPortNumber("COM01"), 0);
  EXPECT_EQ(ComPortNumber("COM256"), 0);
  EXPECT_EQ(ComPortNumber("CNCA0"), 0);
}

}  // namespace
}  // namespace platform
