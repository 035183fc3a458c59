#include "wine_skips.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vlk_wine {
namespace {

struct WineSkip {
  std::string_view test;  // suite.name
  const char* reason;
};

// The one list: each test that meets a difference, and the difference (measured with Wine 8.0
// on a pseudo-terminal pair, as root).
constexpr WineSkip kWineSkips[] = {
    {"Win32CommLine.PurgeAbortEndsAPendingRead",
     "PurgeComm(PURGE_RXABORT) only flushes; the pending read stays pending instead of ending "
     "with 995"},
    {"Win32CommLine.SecondOpenOfAPortIsRefused",
     "a second CreateFileA of a COM port with share mode 0 succeeds instead of failing with 5"},
    {"Win32CommLine.CustomBaudRateIsKept",
     "a rate that is not a standard one becomes 38400 instead of being set or refused"},
    {"Win32CommLine.WaitCommEventPendsUntilACharacterArrives",
     "WaitCommEvent(EV_RXCHAR) ends with 995 after 5-9 ms, before any event"},
    {"Win32CommLine.ModemStatusIsTheDriversOwn",
     "GetCommModemStatus on a pseudo-terminal fails with 50 instead of reporting the lines"},
    {"Win32SettingsFile.AReadOnlyFileIsRefusedAndKept",
     "the read-only attribute is the file's Unix write permission, which does not stop a "
     "program running as root (as CI does) from opening the file for writing"},
    {"Win32CommLine.EvenParityCanBeSetAgain",
     "on a pseudo-terminal SetCommState with even parity fails with 87 when the line already "
     "has the settings (glibc reports the parity the pseudo-terminal drops as an error)"},
};

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

const char* WineDifference() {
  // VLK_WINE_RUN_ALL=1 runs the listed tests under Wine too, to see whether a newer Wine still
  // differs.
  if (!RunningUnderWine() || std::getenv("VLK_WINE_RUN_ALL") != nullptr) return nullptr;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test == nullptr) return nullptr;
  const std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (const WineSkip& skip : kWineSkips) {
    if (skip.test == name) return skip.reason;
  }
  return nullptr;
}

}  // namespace vlk_wine
