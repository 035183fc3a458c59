// A pseudo-terminal whose slave is opened through the Linux backend as a
// COM port, with the master end in the test's hands for exact timing.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/comm_api.h"
#include "platform/win_errors.h"

namespace platform::testing {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The DCB the main window sends: 9600 8E1, no flow control.
inline DCB WindowDcb() {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 9600;
  dcb.Flags = DCB_fBinary;
  dcb.XonLim = 256;
  dcb.XoffLim = 256;
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  return dcb;
}

// A manual-reset event, closed at the end of the scope.
class Event {
 public:
  explicit Event(bool signalled = false)
      : handle_(Comm().CreateEventA(nullptr, 1, signalled, nullptr)) {}
  ~Event() { Comm().CloseHandle(handle_); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// An OVERLAPPED with its own event.
struct Overlapped {
  Event event;
  OVERLAPPED ov{};
  Overlapped() { ov.hEvent = event.get(); }
};

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    slave_path_ = ptsname(master_);
    BeforeOpen();
    port_ = Open();
    ASSERT_NE(port_, INVALID_HANDLE_VALUE) << "error " << Comm().GetLastError();
    const DCB dcb = WindowDcb();
    ASSERT_TRUE(Comm().SetCommState(port_, &dcb));
  }
  void TearDown() override {
    if (port_ != INVALID_HANDLE_VALUE) Comm().CloseHandle(port_);
    CloseMaster();
  }

  // For a fixture that needs the slave before the port claims it.
  virtual void BeforeOpen() {}

  HANDLE Open() {
    const std::string path = "\\\\.\\" + slave_path_;
    return Comm().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, 0);
  }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  void SetTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS t{interval, multiplier, constant, 150, 1000};
    ASSERT_TRUE(Comm().SetCommTimeouts(port_, &t));
  }
  // Writes `bytes` to the master (the instrument's side).
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the port sent, waiting up to `limit` for `size` bytes.
  std::string Received(std::size_t size,
                       std::chrono::milliseconds limit = std::chrono::seconds(1)) {
    std::string got;
    const auto until = Clock::now() + limit;
    while (got.size() < size && Clock::now() < until) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char buf[256];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }
  // Starts an overlapped read of `count` bytes into `buffer`.
  void StartRead(char* buffer, DWORD count, Overlapped* o) {
    DWORD read_now = 0;
    if (!Comm().ReadFile(port_, buffer, count, &read_now, &o->ov)) {
      ASSERT_EQ(Comm().GetLastError(), ERROR_IO_PENDING);
    }
  }
  // Waits for `o` and returns its count; `status` gets 0 or the failure code.
  DWORD Await(Overlapped* o, DWORD* status = nullptr) {
    EXPECT_EQ(Comm().WaitForSingleObject(o->event.get(), 5000), WAIT_OBJECT_0);
    DWORD count = 0;
    const BOOL ok = Comm().GetOverlappedResult(port_, &o->ov, &count, 0);
    const DWORD code = ok ? ERROR_SUCCESS : Comm().GetLastError();
    if (status != nullptr) {
      *status = code;
    } else {
      EXPECT_EQ(code, ERROR_SUCCESS);
    }
    return count;
  }

  int master_ = -1;
  std::string slave_path_;
  HANDLE port_ = INVALID_HANDLE_VALUE;
};

}  // namespace platform::testing
