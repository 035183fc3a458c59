// Opening, exclusive use, settings and status queries through the backend.
#include <stdlib.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pty_fixture.h"

namespace platform::testing {
namespace {

HANDLE OpenPath(const std::string& name) {
  const std::string path = "\\\\.\\" + name;
  return Comm().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, 0);
}

TEST(OpenErrors, DevicesThatAreMissingOrNoTerminalsAreRefusedWithTheirCode) {
  char file_template[] = "/tmp/platform_test_XXXXXX";
  const int fd = mkstemp(file_template);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ::setenv("VLK240_COM9", "/dev/no-such-serial-device", 1);
  // The system's code tells apart what one Win32 code covers.
  const struct {
    std::string name;
    DWORD code;
    int system_error;
  } rows[] = {
      {"COM9", ERROR_FILE_NOT_FOUND, ENOENT},
      {"/dev/no-such-serial-device", ERROR_FILE_NOT_FOUND, ENOENT},
      {"LPT1", ERROR_FILE_NOT_FOUND, ENOENT},
      {file_template, ERROR_INVALID_FUNCTION, ENOTTY},
      {"/dev/null", ERROR_INVALID_FUNCTION, ENOTTY},
      {"/tmp", ERROR_ACCESS_DENIED, EISDIR},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(OpenPath(row.name), INVALID_HANDLE_VALUE) << row.name;
    EXPECT_EQ(Comm().GetLastError(), row.code) << row.name;
    EXPECT_EQ(Comm().GetLastSystemError(), row.system_error) << row.name;
  }
  ::unsetenv("VLK240_COM9");
  std::remove(file_template);
}

TEST_F(PtyTest, SecondOpenIsRefusedWithAccessDeniedUntilTheFirstCloses) {
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Comm().GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Comm().GetLastSystemError(), EWOULDBLOCK);  // the first handle's flock
  ASSERT_TRUE(Comm().CloseHandle(port_));
  port_ = Open();
  EXPECT_NE(port_, INVALID_HANDLE_VALUE);
}

TEST_F(PtyTest, OfTwoThreadsClosingOneHandleOnlyTheCloserSucceedsAndOnlyOnceTheDeviceIsFree) {
  for (int run = 0; run < 200; ++run) {
    std::atomic<int> arrived{0};
    DWORD codes[2] = {};
    HANDLE reopened[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    const auto close_then_reopen = [&](int i) {
      arrived.fetch_add(1);
      while (arrived.load() < 2) std::this_thread::yield();
      if (!Comm().CloseHandle(port_)) {
        codes[i] = Comm().GetLastError();
        return;
      }
      reopened[i] = Open();
      codes[i] = reopened[i] == INVALID_HANDLE_VALUE ? Comm().GetLastError() : ERROR_SUCCESS;
    };
    std::thread first(close_then_reopen, 0);
    std::thread second(close_then_reopen, 1);
    first.join();
    second.join();
    const int closer = reopened[0] != INVALID_HANDLE_VALUE ? 0 : 1;
    ASSERT_NE(reopened[closer], INVALID_HANDLE_VALUE) << "run " << run << ": " << codes[closer];
    EXPECT_EQ(codes[1 - closer], ERROR_INVALID_HANDLE) << "run " << run;
    ASSERT_EQ(reopened[1 - closer], INVALID_HANDLE_VALUE) << "run " << run;
    port_ = reopened[closer];
  }
}

TEST_F(PtyTest, AFreshHandleReportsTheDevicesOwnSettingsInRawMode) {
  ASSERT_TRUE(Comm().CloseHandle(port_));
  port_ = Open();
  ASSERT_NE(port_, INVALID_HANDLE_VALUE);
  DCB dcb{};
  ASSERT_TRUE(Comm().GetCommState(port_, &dcb));
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  EXPECT_NE(dcb.BaudRate, 0u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_NE(dcb.Flags & DCB_fBinary, 0u);
  // Raw from the start: no echo, no line editing.
  COMMTIMEOUTS t{0, 0, 0, 0, 0};
  ASSERT_TRUE(Comm().SetCommTimeouts(port_, &t));
  char buffer[2];
  Overlapped o;
  StartRead(buffer, 2, &o);
  Send("a\x7f");
  EXPECT_EQ(Await(&o), 2u);
  EXPECT_EQ(std::string(buffer, 2), "a\x7f");
  EXPECT_EQ(Received(1, std::chrono::milliseconds(50)), "");  // nothing echoed
}

TEST_F(PtyTest, LastErrorIsPerThreadAndTheSystemsCodeGoesWithIt) {
  EXPECT_EQ(OpenPath("/dev/null"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Comm().GetLastSystemError(), ENOTTY);
  std::thread other([] {
    EXPECT_EQ(Comm().GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(Comm().GetLastSystemError(), 0);
  });
  other.join();
  // A later failure without a system cause leaves no stale reason behind.
  EXPECT_FALSE(Comm().PurgeComm(port_, 0x100));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Comm().GetLastSystemError(), 0);
}

TEST_F(PtyTest, LineSettingsAreAcceptedOnAPtyAndReadBackAsSet) {
  DCB dcb = WindowDcb();
  for (DWORD rate : {110u, 300u, 9600u, 14400u, 31250u, 56000u, 115200u, 128000u, 256000u}) {
    dcb.BaudRate = rate;
    EXPECT_TRUE(Comm().SetCommState(port_, &dcb)) << rate;
  }
  dcb.Parity = MARKPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.ByteSize = 7;
  ASSERT_TRUE(Comm().SetCommState(port_, &dcb));
  DCB back{};
  ASSERT_TRUE(Comm().GetCommState(port_, &back));
  EXPECT_EQ(std::memcmp(&back, &dcb, sizeof dcb), 0);
}

TEST_F(PtyTest, RefusedSettingsFailWith87AndKeepThePreviousOnes) {
  DCB dcb = WindowDcb();
  dcb.StopBits = ONE5STOPBITS;  // only with 5 data bits
  EXPECT_FALSE(Comm().SetCommState(port_, &dcb));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);
  DCB back{};
  ASSERT_TRUE(Comm().GetCommState(port_, &back));
  EXPECT_EQ(back.StopBits, ONESTOPBIT);
}

TEST_F(PtyTest, QueriesOfAPtyReportNoModemLinesAndNoErrors) {
  DWORD status = 0xFFFF;
  ASSERT_TRUE(Comm().GetCommModemStatus(port_, &status));
  EXPECT_EQ(status, 0u);
  DWORD errors = 0xFFFF;
  COMSTAT stat{1, 1, 1};
  ASSERT_TRUE(Comm().ClearCommError(port_, &errors, &stat));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(stat.cbInQue, 0u);
  EXPECT_EQ(stat.cbOutQue, 0u);
}

TEST_F(PtyTest, SetupCommAcceptsSaneSizesOnly) {
  EXPECT_TRUE(Comm().SetupComm(port_, 1024, 1024));
  EXPECT_TRUE(Comm().SetupComm(port_, 1, 0));
  EXPECT_TRUE(Comm().SetupComm(port_, 0, 0));  // no particular size
  for (const auto& [in, out] :
       {std::pair{0xFFFFFC00u, 1024u}, std::pair{1024u, 0x80000000u}, std::pair{0u, 0x80000000u}}) {
    EXPECT_FALSE(Comm().SetupComm(port_, in, out)) << in << " " << out;
    EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST_F(PtyTest, TimeoutsReadBackAndTheOneInvalidCombinationIsRefused) {
  COMMTIMEOUTS t{MAXDWORD, 6, 0, 150, 1000};
  ASSERT_TRUE(Comm().SetCommTimeouts(port_, &t));
  COMMTIMEOUTS back{};
  ASSERT_TRUE(Comm().GetCommTimeouts(port_, &back));
  EXPECT_EQ(std::memcmp(&t, &back, sizeof t), 0);
  COMMTIMEOUTS bad{MAXDWORD, MAXDWORD, MAXDWORD, 0, 0};
  EXPECT_FALSE(Comm().SetCommTimeouts(port_, &bad));
  EXPECT_EQ(Comm().GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(PtyTest, DiscardNullDropsNulBytesInTheReadPath) {
  DCB dcb = WindowDcb();
  dcb.Flags |= DCB_fNull;
  ASSERT_TRUE(Comm().SetCommState(port_, &dcb));
  SetTimeouts(0, 0, 0);
  char buffer[3];
  Overlapped o;
  StartRead(buffer, 3, &o);
  Send(std::string("a\0b\0\0c", 6));
  EXPECT_EQ(Await(&o), 3u);
  EXPECT_EQ(std::string(buffer, 3), "abc");
}

}  // namespace
}  // namespace platform::testing
