// Where Wine's serial emulation differs from Windows. The Windows build's tests run under Wine;
// a test that meets one of these differences calls SkipWhereWineDiffers() first and is skipped
// there with the difference as its reason. On Windows every test runs in full.
#pragma once

namespace vlk_wine {

// True when the program runs under Wine (its ntdll exports wine_get_version).
bool RunningUnderWine();

// Skips the calling test when it runs under Wine and is named in the list of wine_skips.cpp.
// Call first in the test body, as GTEST_SKIP is: a skip returns from the calling function.
#define VLK_SKIP_WHERE_WINE_DIFFERS()                               \
  do {                                                              \
    if (const char* reason = ::vlk_wine::WineDifference()) {        \
      GTEST_SKIP() << "Wine differs from Windows here: " << reason; \
    }                                                               \
  } while (false)

// The listed difference that the running test meets under Wine; nullptr elsewhere.
const char* WineDifference();

}  // namespace vlk_wine
