// vlk240-read on Windows without a serial line: the demo instrument on its in-process line, a
// COM port that is not there, and the port list from the registry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "reader/run_reader.h"
#include "reader/windows_port_list.h"
#include "reply_frames.h"
#include "run_with.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace reader {
namespace {

using platform::ComPortEntry;
using platform::ReadComPorts;
using testing_run::RunWith;

const std::string kMemo = testing_frames::kWorkedExampleOutput.substr(
    testing_frames::kWorkedExampleOutput.find('\n') + 1);

TEST(ReaderOnWindows, DemoReadsTheWorkedExampleWithNoPortAtAll) {
  const auto result = RunWith({"--demo", "--separator", ","});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, kMemo);
  EXPECT_EQ(result.err, "");

  const auto unanswered = RunWith({"--demo", "--address", "2", "--verbose"});
  EXPECT_EQ(unanswered.status, kExitNoReadings);
  EXPECT_EQ(unanswered.out, "Послано:   2 4 0 0 0 13 49 252 \nНе отвечает (1)\n");
}

// The demo's frames in the trace, its in-process line in the port's place.
TEST(ReaderOnWindows, DemoTraceHoldsThePollOfTheInProcessLine) {
  const auto result = RunWith({"--demo", "--trace", "-"});
  EXPECT_EQ(result.status, kExitOk);
  std::vector<std::string> events;
  for (const std::string& line : testing_run::Lines(result.err)) {
    events.push_back(line.substr(line.find(' ') + 1));
  }
  EXPECT_EQ(events, (std::vector<std::string>{
                        "vlk240-read open <demo>",
                        "vlk240-read tx 8 01 04 00 00 00 0D 31 CF",
                        "vlk240-read rx 31 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 "
                        "42 C8 00 00 00 15 00 0A 42 48 00 00 47 76",
                        "vlk240-read close <demo>",
                    }));
}

TEST(ReaderOnWindows, AMissingComPortEndsWithThreeAndSaysWhatToDo) {
  const auto result = RunWith({"--port", "COM199"});
  EXPECT_EQ(result.status, kExitPortError);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("vlk240-read: cannot open port COM199 (\\\\.\\COM199): "),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("(win error code: 2)"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("--list-ports"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.back(), '\n');
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line";
}

// The help speaks of Windows' ports: COMn itself, VLK240_COMn, "\\" device paths, Ctrl+C.
TEST(ReaderOnWindows, HelpNamesWindowsPortsAndNoLinuxDevice) {
  const auto result = RunWith({"--help"});
  EXPECT_EQ(result.status, kExitOk);
  for (const char* text : {"set VLK240_COM1=COM7", "--port COM5", "Ctrl+C", "SERIALCOMM"}) {
    EXPECT_NE(result.out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(result.out.find("/dev/"), std::string::npos);
  EXPECT_EQ(result.out.find("SIGINT"), std::string::npos);
}

// A device path is one that starts with "\\"; one that starts with "/" is no Windows name.
TEST(ReaderOnWindows, DevicePathsStartWithTwoBackslashes) {
  const auto path = RunWith({"--port", "\\\\.\\COM199"});
  EXPECT_EQ(path.status, kExitPortError) << path.err;
  EXPECT_NE(path.err.find("cannot open port \\\\.\\COM199"), std::string::npos) << path.err;
  const auto unix_path = RunWith({"--port", "/dev/ttyS0"});
  EXPECT_EQ(unix_path.status, kExitUsage);
  EXPECT_NE(unix_path.err.find("a device path starting with \"\\\\\""), std::string::npos)
      << unix_path.err;
}

class ComPortListTest : public ::testing::Test {
 protected:
  static constexpr const char* kKey = "Software\\vlk240-tests\\SERIALCOMM";

  void SetUp() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\vlk240-tests");
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\vlk240-tests\\SERIALCOMM", 0,
                                nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    Set(key, L"\\Device\\Serial1", L"COM10");
    Set(key, L"\\Device\\VCP0", L"COM3");
    Set(key, L"\\Device\\Empty", L"");
    ::RegCloseKey(key);
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\vlk240-tests");
    _putenv_s("VLK240_COM2", "");
  }

  static void Set(HKEY key, const wchar_t* name, const wchar_t* port) {
    const auto bytes = static_cast<DWORD>((wcslen(port) + 1) * sizeof(wchar_t));
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port), bytes);
  }
};

TEST_F(ComPortListTest, PortsInTheOrderOfTheirNumbersWithTheMenuNamesMappedToThem) {
  const std::vector<ComPortEntry> ports = ReadComPorts(kKey, false);
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].name, "COM3");
  EXPECT_EQ(ports[0].device, "\\Device\\VCP0");
  EXPECT_EQ(ports[1].name, "COM10");

  ASSERT_EQ(_putenv_s("VLK240_COM2", "COM10"), 0);
  std::ostringstream out;
  PrintComPorts(ports, out);
  EXPECT_EQ(out.str(), "COM3  \\Device\\VCP0\nCOM10  \\Device\\Serial1  = COM2\n");
}

TEST_F(ComPortListTest, NoKeyMeansNoPorts) {
  EXPECT_TRUE(ReadComPorts("Software\\vlk240-tests\\Nothing", false).empty());
  std::ostringstream out;
  PrintComPorts({}, out);
  EXPECT_EQ(out.str(), "No COM ports found.\n");
}

}  // namespace
}  // namespace reader
