// Devices the reader cannot open: error 1 with the system code, the port
// closed, and the worker left without a port rather than with a dead one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "comport/com_errors.h"
#include "comport/com_port.h"
#include "exchange/poll.h"
#include "poll_fixture.h"

namespace faults {
namespace {

using reader::PollOutcome;

// A temporary directory with one regular file in it; removed at the end.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/vlk-faults-XXXXXX";
    path_ = ::mkdtemp(pattern);
    std::ofstream(File()) << "not a serial port\n";
  }
  ~TempDir() {
    ::unlink(File().c_str());
    ::rmdir(path_.c_str());
  }
  const std::string& path() const { return path_; }
  std::string File() const { return path_ + "/ttyS0"; }

 private:
  std::string path_;
};

// Opens `path` with a new reader port and returns the error it raised.
comport::EComPort OpenError(exchange::UART_THREAT& worker, const std::string& path) {
  try {
    reader::ReaderPort port(worker, path);
  } catch (const comport::EComPort& error) {
    return error;
  }
  ADD_FAILURE() << path << " opened";
  return comport::EComPort(comport::kErrOpenFailed, 0);
}

struct Refusal {
  std::string name;
  std::string path;  // "@" stands for the temporary directory
  std::int32_t system_code;
};

class OpenFailureTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(OpenFailureTest, ErrorOneWithTheSystemCode) {
  TempDir temp;
  std::string path = GetParam().path;
  if (path.starts_with("@")) path = temp.path() + path.substr(1);
  exchange::UART_THREAT& worker = exchange::UART_THREAT::Instance();

  const comport::EComPort error = OpenError(worker, path);
  EXPECT_EQ(error.PortErrorCode(), 1);
  EXPECT_EQ(error.SystemErrorCode(), GetParam().system_code);
  EXPECT_EQ(error.Message(), "Unable to open com port (win error code: " +
                                 std::to_string(GetParam().system_code) + ")");

  // The failed port never reached the worker: a poll finds no open port.
  reader::PollSession session(worker, ",");
  const reader::PollRecord record = session.Poll(1);
  EXPECT_EQ(record.outcome, PollOutcome::kPortError);
  EXPECT_EQ(record.error, exchange::PORT_NOT_ACTIVE_TEXT);
}

INSTANTIATE_TEST_SUITE_P(Devices, OpenFailureTest,
                         ::testing::Values(Refusal{"Missing", "/dev/ttyVLK-no-such-device", 2},
                                           Refusal{"MissingDirectory", "@/no-such-dir/ttyS0", 2},
                                           Refusal{"DevNull", "/dev/null", 1},
                                           Refusal{"RegularFile", "@/ttyS0", 1},
                                           Refusal{"Directory", "@", 5}),
                         [](const auto& row) { return row.param.name; });

// Another holder has the line: busy is "access denied", as on the original
// platform. Once the holder lets go, the reader opens it and polls.
TEST_F(PollFixture, PortTakenByAnotherHolderIsErrorOneWithCodeFive) {
  port_.reset();
  comport::TComPort holder;
  holder.SetPort(simulator_->SlavePath());
  holder.SetConnected(true);

  const comport::EComPort error = OpenError(worker_, simulator_->SlavePath());
  EXPECT_EQ(error.PortErrorCode(), 1);
  EXPECT_EQ(error.SystemErrorCode(), 5);
  EXPECT_EQ(error.Message(), "Unable to open com port (win error code: 5)");

  holder.SetConnected(false);
  Connect(simulator_->SlavePath());
  ExpectNormalPollAccepted();
}

}  // namespace
}  // namespace faults
