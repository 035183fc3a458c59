// The Win32 backend of the serial seam on a real pair of COM ports: what one end writes the
// other reads, a read ends at its time-out as a short read, and what the component relies on
// from purging, exclusive opening, rates and comm events. The ports come from
// VLK240_TEST_PORT_A and VLK240_TEST_PORT_B (the Wine test run maps them to the two ends of a
// pseudo-terminal pair). Parity stays off except where a test is about it: the pair is no real
// line, and under Wine a pseudo-terminal refuses even parity set a second time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "native_comm.h"
#include "platform/comm_api.h"
#include "platform/win_errors.h"
#include "wine_skips.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

std::string PortFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr ? value : "";
}

// An open port of the pair with its own OVERLAPPED event; closed with the object.
class Port {
 public:
  explicit Port(const std::string& name) {
    handle_ = Comm().CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, 0);
    error_ = Comm().GetLastError();
    event_ = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  }
  ~Port() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      Comm().PurgeComm(handle_, PURGE_RXABORT | PURGE_TXABORT | PURGE_RXCLEAR);
      Comm().CloseHandle(handle_);
    }
    Comm().CloseHandle(event_);
  }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  HANDLE handle() const { return handle_; }
  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD open_error() const { return error_; }

  // 9600 8N1, no flow control; reads end at `per_byte_ms` per byte asked for.
  void Configure(DWORD per_byte_ms, BYTE parity = NOPARITY, DWORD rate = 9600) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = rate;
    dcb.Flags = DCB_fBinary;
    dcb.ByteSize = 8;
    dcb.Parity = parity;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    ASSERT_TRUE(Comm().SetCommState(handle_, &dcb)) << Comm().GetLastError();
    COMMTIMEOUTS timeouts{MAXDWORD, per_byte_ms, 0, 0, 1000};
    ASSERT_TRUE(Comm().SetCommTimeouts(handle_, &timeouts)) << Comm().GetLastError();
    ASSERT_TRUE(Comm().PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR));
  }

  void Write(const std::vector<BYTE>& bytes) {
    OVERLAPPED ov{};
    ov.hEvent = event_;
    DWORD done = 0;
    const BOOL at_once =
        Comm().WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, &ov);
    ASSERT_TRUE(at_once || Comm().GetLastError() == ERROR_IO_PENDING) << Comm().GetLastError();
    ASSERT_TRUE(Comm().GetOverlappedResult(handle_, &ov, &done, 1)) << Comm().GetLastError();
    EXPECT_EQ(done, bytes.size());
  }

  // Starts a read of `count` bytes into `buffer`; false when it failed to start.
  bool StartRead(std::vector<BYTE>& buffer, OVERLAPPED& ov) {
    ov = OVERLAPPED{};
    ov.hEvent = event_;
    DWORD done = 0;
    const BOOL at_once =
        Comm().ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &done, &ov);
    return at_once || Comm().GetLastError() == ERROR_IO_PENDING;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = 0;
  DWORD error_ = 0;
};

class Win32CommLine : public ::testing::Test {
 protected:
  void SetUp() override {
    VLK_SKIP_WHERE_WINE_DIFFERS();
    ASSERT_FALSE(name_a_.empty() || name_b_.empty())
        << "VLK240_TEST_PORT_A and VLK240_TEST_PORT_B name the two ends of a line";
    a_ = std::make_unique<Port>(name_a_);
    b_ = std::make_unique<Port>(name_b_);
    ASSERT_TRUE(a_->open()) << name_a_ << ": " << a_->open_error();
    ASSERT_TRUE(b_->open()) << name_b_ << ": " << b_->open_error();
  }

  const std::string name_a_ = PortFromEnvironment("VLK240_TEST_PORT_A");
  const std::string name_b_ = PortFromEnvironment("VLK240_TEST_PORT_B");
  std::unique_ptr<Port> a_;
  std::unique_ptr<Port> b_;
};

TEST_F(Win32CommLine, WhatOneEndWritesTheOtherReadsWhole) {
  a_->Configure(6);
  b_->Configure(6);
  const std::vector<BYTE> request{1, 4, 0, 0, 0, 13, 49, 207};
  a_->Write(request);
  std::vector<BYTE> got(8);
  OVERLAPPED ov{};
  ASSERT_TRUE(b_->StartRead(got, ov));
  DWORD count = 0;
  ASSERT_TRUE(Comm().GetOverlappedResult(b_->handle(), &ov, &count, 1)) << Comm().GetLastError();
  EXPECT_EQ(count, 8u);
  EXPECT_EQ(got, request);
}

// The exchange's unanswered poll: 31 bytes asked for at 6 ms each, none come. Windows ends the
// read after 186 ms with success and a count of 0; so must the backend under Wine.
TEST_F(Win32CommLine, AReadThatGetsNothingEndsAtItsTotalTimeOutAsAShortRead) {
  b_->Configure(6);
  std::vector<BYTE> got(31);
  OVERLAPPED ov{};
  const auto start = Clock::now();
  ASSERT_TRUE(b_->StartRead(got, ov));
  DWORD count = 99;
  EXPECT_TRUE(Comm().GetOverlappedResult(b_->handle(), &ov, &count, 1)) << Comm().GetLastError();
  const auto waited = Clock::now() - start;
  EXPECT_EQ(count, 0u);
  // Not before its time-out (less a timer tick); the upper bound only catches a read that
  // never ends.
  EXPECT_GE(waited, std::chrono::milliseconds(170));
  EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST_F(Win32CommLine, AReplyCutShortIsReadUpToWhereItStops) {
  a_->Configure(6);
  b_->Configure(6);
  a_->Write({1, 4, 26, 0, 0, 66, 54, 0, 0, 65});
  std::vector<BYTE> got(31);
  OVERLAPPED ov{};
  ASSERT_TRUE(b_->StartRead(got, ov));
  DWORD count = 0;
  EXPECT_TRUE(Comm().GetOverlappedResult(b_->handle(), &ov, &count, 1)) << Comm().GetLastError();
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(got[9], 65);
}

TEST_F(Win32CommLine, PurgeAbortEndsAPendingRead) {
  b_->Configure(1000);
  std::vector<BYTE> got(31);
  OVERLAPPED ov{};
  ASSERT_TRUE(b_->StartRead(got, ov));
  ASSERT_TRUE(Comm().PurgeComm(b_->handle(), PURGE_RXABORT));
  DWORD count = 0;
  EXPECT_EQ(Comm().WaitForSingleObject(ov.hEvent, 2000), WAIT_OBJECT_0);
  EXPECT_FALSE(Comm().GetOverlappedResult(b_->handle(), &ov, &count, 0));
  EXPECT_EQ(Comm().GetLastError(), ERROR_OPERATION_ABORTED);
}

TEST_F(Win32CommLine, SecondOpenOfAPortIsRefused) {
  Port again(name_a_);
  EXPECT_FALSE(again.open());
  EXPECT_EQ(again.open_error(), ERROR_ACCESS_DENIED);
}

TEST_F(Win32CommLine, CustomBaudRateIsKept) {
  a_->Configure(6, NOPARITY, 31250);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(Comm().GetCommState(a_->handle(), &dcb));
  EXPECT_EQ(dcb.BaudRate, 31250u);
}

TEST_F(Win32CommLine, EvenParityCanBeSetAgain) {
  a_->Configure(6, EVENPARITY);
  a_->Configure(6, EVENPARITY);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(Comm().GetCommState(a_->handle(), &dcb));
  EXPECT_EQ(dcb.Parity, EVENPARITY);
}

TEST_F(Win32CommLine, WaitCommEventPendsUntilACharacterArrives) {
  a_->Configure(6);
  b_->Configure(6);
  ASSERT_TRUE(Comm().SetCommMask(b_->handle(), EV_RXCHAR));
  OVERLAPPED ov{};
  ov.hEvent = Comm().CreateEventA(nullptr, 1, 0, nullptr);
  DWORD mask = 0;
  const BOOL at_once = Comm().WaitCommEvent(b_->handle(), &mask, &ov);
  ASSERT_TRUE(!at_once && Comm().GetLastError() == ERROR_IO_PENDING);
  EXPECT_EQ(Comm().WaitForSingleObject(ov.hEvent, 100), WAIT_TIMEOUT);
  a_->Write({7});
  EXPECT_EQ(Comm().WaitForSingleObject(ov.hEvent, 2000), WAIT_OBJECT_0);
  DWORD unused = 0;
  EXPECT_TRUE(Comm().GetOverlappedResult(b_->handle(), &ov, &unused, 0));
  EXPECT_EQ(mask & EV_RXCHAR, EV_RXCHAR);
  Comm().CloseHandle(ov.hEvent);
}

// The modem lines read as bits of MS_*_ON only, on a port with modem lines and on one without
// (under Wine the pair has none and reads all off, the seam's row for such a device).
TEST_F(Win32CommLine, ModemStatusReadsAsLineBits) {
  DWORD status = 0xFFFF;
  EXPECT_TRUE(Comm().GetCommModemStatus(a_->handle(), &status)) << Comm().GetLastError();
  EXPECT_EQ(status & ~(MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON), 0u);
}

// A port whose driver has modem lines: the seam gives exactly what the system gives.
TEST_F(Win32CommLine, ModemStatusIsTheDriversOwn) {
  DWORD native = 0;
  DWORD error = 0;
  ASSERT_TRUE(vlk_native::GetCommModemStatus(a_->handle(), &native, &error)) << error;
  DWORD status = 0xFFFF;
  EXPECT_TRUE(Comm().GetCommModemStatus(a_->handle(), &status));
  EXPECT_EQ(status, native);
}

TEST(Win32CommNames, AMissingPortFailsWithFileNotFound) {
  const HANDLE handle = Comm().CreateFileA("\\\\.\\COM199", GENERIC_READ | GENERIC_WRITE, 0,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, 0);
  EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Comm().GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Comm().GetLastSystemError(), static_cast<int>(ERROR_FILE_NOT_FOUND));
}

// VLK240_COMn gives a port name another port: the first end of the pair answers to COM250.
TEST_F(Win32CommLine, AnOverrideOpensThePortItNames) {
  a_.reset();
  ASSERT_EQ(_putenv_s("VLK240_COM250", name_a_.c_str()), 0);
  Port mapped("COM250");
  ASSERT_EQ(_putenv_s("VLK240_COM250", ""), 0);
  ASSERT_TRUE(mapped.open()) << mapped.open_error();
  mapped.Configure(6);
  b_->Configure(6);
  mapped.Write({42, 43});
  std::vector<BYTE> got(2);
  OVERLAPPED ov{};
  ASSERT_TRUE(b_->StartRead(got, ov));
  DWORD count = 0;
  EXPECT_TRUE(Comm().GetOverlappedResult(b_->handle(), &ov, &count, 1));
  EXPECT_EQ(got, (std::vector<BYTE>{42, 43}));
}

}  // namespace
}  // namespace platform
