// Transfers, purging and device queries over the recording fake.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "cancel_receive.h"
#include "comport/com_port.h"
#include "fake_port.h"
#include "platform/win_errors.h"

namespace comport {
namespace {

using ::testing::ElementsAre;

class TransferTest : public FakePortTest {
 protected:
  TransferTest() {
    LoadComPort1Definition(port);
    port.SetConnected(true);
    comm.ClearCalls();
  }
  ~TransferTest() override {
    // The port keeps one record while open; closing it leaves no event behind.
    port.SetConnected(false);
    EXPECT_EQ(comm.OpenHandles(), 0u) << "records leaked an event";
  }

  // Expects `step` to raise EComPort with these codes.
  template <typename Step>
  void ExpectError(Step step, std::int32_t port_code, std::int32_t system_code) {
    try {
      step();
      ADD_FAILURE() << "no error";
    } catch (const EComPort& error) {
      EXPECT_EQ(error.PortErrorCode(), port_code);
      EXPECT_EQ(error.SystemErrorCode(), system_code);
    }
  }
};

TEST_F(TransferTest, SendAndReceiveRunTheWholeRecordSequence) {
  const std::uint8_t request[] = {1, 4, 0, 0, 0, 13, 0x31, 0xCF};
  EXPECT_EQ(port.SendBytes(request, 8), 8);
  EXPECT_THAT(comm.Written(), ElementsAre(1, 4, 0, 0, 0, 13, 0x31, 0xCF));
  EXPECT_THAT(comm.CallNames(), ElementsAre("CreateEventA", "WriteFile", "WaitForSingleObject",
                                            "GetOverlappedResult"));
  EXPECT_EQ(comm.Calls()[0].args, (std::vector<std::uint64_t>{1, 1}));  // manual, signalled
  const std::uint64_t event = comm.Calls()[2].args.at(0);  // the event waited for

  // The read reuses the write's record, event and all.
  comm.ClearCalls();
  comm.QueueInput({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  std::vector<std::uint8_t> reply(31, 0xEE);
  EXPECT_EQ(port.ReceiveBytes(reply.data(), 31), 12);
  EXPECT_EQ(reply[11], 12);
  EXPECT_EQ(reply[12], 0xEE);
  EXPECT_EQ(reply[30], 0xEE);
  EXPECT_THAT(comm.CallNames(), ElementsAre("ReadFile", "WaitForSingleObject",
                                            "GetOverlappedResult", "ClearCommError"));
  EXPECT_EQ(comm.Calls()[1].args.at(0), event);

  // Closing frees it after the device.
  comm.ClearCalls();
  port.SetConnected(false);
  ASSERT_GE(comm.Calls().size(), 2u);
  EXPECT_EQ(comm.Calls().back().name, "CloseHandle");
  EXPECT_EQ(comm.Calls().back().args.at(0), event);
}

TEST_F(TransferTest, SendZeroBytesTakesNoCopyAndReportsNothingSent) {
  TPortListener link;
  int sent = 0;
  int tx_on = 0;
  link.BytesSent = [&](TCustomComPort&, const std::uint8_t*, std::int32_t) { ++sent; };
  link.TxActivity = [&](TCustomComPort&, bool on) { tx_on += on ? 1 : 0; };
  port.AddListener(link);
  EXPECT_EQ(port.SendBytes(nullptr, 0), 0);
  EXPECT_EQ(sent, 0);
  EXPECT_EQ(tx_on, 1);
  const std::uint8_t byte = 7;
  port.SendBytes(&byte, 1);
  EXPECT_EQ(sent, 1);
  port.RemoveListener(link);
}

TEST_F(TransferTest, ReadOnAReusedWriteRecordReportsNoSentBytes) {
  TPortListener link;
  std::vector<std::int32_t> sent;
  link.BytesSent = [&](TCustomComPort&, const std::uint8_t*, std::int32_t n) { sent.push_back(n); };
  int rx_idle = 0;
  link.RxActivity = [&](TCustomComPort&, bool on) { rx_idle += on ? 0 : 1; };
  port.AddListener(link);
  PAsyncOp op = nullptr;
  NewAsyncOp(op);
  const std::uint8_t data[] = {1, 2, 3};
  port.SendBytesAsync(data, 3, op);
  EXPECT_EQ(port.AwaitAsync(op), 3);
  comm.QueueInput({9, 9});
  std::uint8_t in[1];
  port.ReceiveBytesAsync(in, 1, op);
  EXPECT_EQ(port.AwaitAsync(op), 1);  // one byte still waits: no idle report
  port.ReceiveBytesAsync(in, 1, op);
  EXPECT_EQ(port.AwaitAsync(op), 1);
  EXPECT_THAT(sent, ElementsAre(3));
  EXPECT_EQ(rx_idle, 1);
  FreeAsyncOp(op);
  EXPECT_EQ(op, nullptr);
  port.RemoveListener(link);
}

TEST_F(TransferTest, NullRecordRaisesError4WithoutPlatformCalls) {
  std::uint8_t buffer[4] = {};
  ExpectError([&] { port.SendBytesAsync(buffer, 4, nullptr); }, 4, -1);
  ExpectError([&] { port.ReceiveBytesAsync(buffer, 4, nullptr); }, 4, -1);
  ExpectError([&] { port.AwaitAsync(nullptr); }, 4, -1);
  EXPECT_TRUE(comm.Calls().empty());
}

TEST_F(TransferTest, NegativeCountIsRefusedBeforeThePlatform) {
  std::uint8_t buffer[4] = {};
  ExpectError([&] { port.SendBytes(buffer, -1); }, 2, 87);
  ExpectError([&] { port.ReceiveBytes(buffer, -1); }, 3, 87);
  EXPECT_EQ(comm.CountOf("WriteFile") + comm.CountOf("ReadFile"), 0u);
}

TEST_F(TransferTest, PlatformFailuresRaiseTheirCodes) {
  std::uint8_t buffer[4] = {};
  const platform::DWORD gen = platform::ERROR_GEN_FAILURE;
  comm.FailNext("WriteFile", gen);
  ExpectError([&] { port.SendBytes(buffer, 4); }, 2, 31);
  comm.FailNext("ReadFile", gen);
  ExpectError([&] { port.ReceiveBytes(buffer, 4); }, 3, 31);
  comm.FailNext("GetOverlappedResult", gen);
  ExpectError([&] { port.SendBytes(buffer, 4); }, 2, 31);
  comm.FailNext("WaitForSingleObject", platform::ERROR_INVALID_HANDLE);
  ExpectError([&] { port.ReceiveBytes(buffer, 4); }, 3, 6);
  comm.FailNext("ClearCommError", gen);
  ExpectError([&] { port.ReceiveBytes(buffer, 4); }, 10, 31);
  comm.FailNext("ClearCommError", gen);
  ExpectError([&] { port.BytesAvailable(); }, 10, 31);
  comm.FailNext("ClearCommError", gen);
  ExpectError([&] { port.LineErrors(); }, 10, 31);
  comm.FailNext("GetCommModemStatus", gen);
  ExpectError([&] { port.ModemSignals(); }, 11, 31);
  comm.FailNext("PurgeComm", gen);
  ExpectError([&] { port.PurgeBuffers(true, true); }, 5, 31);
  comm.FailNext("PurgeComm", gen);
  ExpectError([&] { port.CancelTransfers(); }, 5, 31);
}

TEST_F(TransferTest, AFailedWaitAbortsThePendingTransferBeforeRaising) {
  // The record and the buffer die with the raise; the platform must not hold them any longer.
  comm.SetReadsPending(true);
  std::uint8_t buffer[4] = {};
  comm.FailNext("WaitForSingleObject", platform::ERROR_INVALID_HANDLE);
  ExpectError([&] { port.ReceiveBytes(buffer, 4); }, 3, 6);
  EXPECT_EQ(comm.PendingReads(), 0u);
  EXPECT_THAT(comm.CallNames(), ElementsAre("CreateEventA", "ReadFile", "WaitForSingleObject",
                                            "PurgeComm", "CloseHandle"));
  EXPECT_EQ(comm.Calls()[3].args[1], platform::PURGE_RXABORT);

  comm.ClearCalls();
  comm.FailNext("WaitForSingleObject", platform::ERROR_INVALID_HANDLE);
  ExpectError([&] { port.SendBytes(buffer, 4); }, 2, 6);
  EXPECT_EQ(comm.Calls().at(3).args[1], platform::PURGE_TXABORT);
}

TEST_F(TransferTest, PurgeAndCancelFlags) {
  const std::pair<std::pair<bool, bool>, std::uint64_t> purges[] = {
      {{true, true}, 0xC}, {{true, false}, 0x8}, {{false, true}, 0x4}, {{false, false}, 0x0}};
  for (const auto& [args, flags] : purges) {
    comm.ClearCalls();
    port.PurgeBuffers(args.first, args.second);
    ASSERT_THAT(comm.CallNames(), ElementsAre("PurgeComm"));
    EXPECT_EQ(comm.Calls()[0].args[1], flags);
  }
  comm.ClearCalls();
  port.CancelTransfers();
  EXPECT_EQ(comm.Calls().at(0).args[1], 0x3u);
}

TEST_F(TransferTest, CancelEndsAPendingReceiveOnAnotherThread) {
  comm.SetReadsPending(true);
  const CancelledReceive result = CancelPendingReceive(port, [&] {
    while (comm.PendingReads() == 0) std::this_thread::yield();
  });
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(result.system, 995);
}

TEST_F(TransferTest, ModemSignalBits) {
  const std::pair<platform::DWORD, TModemSignals> cases[] = {
      {0, {}},
      {platform::MS_CTS_ON, {msCTS}},
      {platform::MS_DSR_ON, {msDSR}},
      {platform::MS_RING_ON, {msRing}},
      {platform::MS_RLSD_ON, {msRLSD}},
      {0xFF0F, {}},
      {0xF0, {msCTS, msDSR, msRing, msRLSD}},
  };
  for (const auto& [status, signals] : cases) {
    comm.SetModemStatus(status);
    EXPECT_EQ(port.ModemSignals(), signals) << status;
  }
}

TEST_F(TransferTest, LineErrorTranslation) {
  const std::pair<platform::DWORD, TComErrors> cases[] = {
      {platform::CE_FRAME, {erFrame}},
      {platform::CE_RXPARITY, {}},
      {platform::CE_OVERRUN | platform::CE_RXOVER, {erOverrun, erRxOver}},
      {platform::CE_TXFULL | platform::CE_BREAK, {erTxFull, erBreak}},
      {platform::CE_IOE | platform::CE_MODE, {erIO, erMode}},
      {0x7000, {}},
  };
  for (const auto& [word, errors] : cases) {
    comm.SetLineErrors(word);
    EXPECT_EQ(port.LineErrors(), errors) << word;
  }
  port.Parity().SetCheck(true);
  comm.SetLineErrors(platform::CE_RXPARITY);
  EXPECT_EQ(port.LineErrors(), TComErrors{erRxParity});
  EXPECT_TRUE(port.LineErrors().Empty());  // reading cleared them
}

TEST_F(FakePortTest, ClosedPortFailsAtThePlatformWithAnInvalidHandle) {
  port.SetEvents({});
  port.SetConnected(true);
  port.SetConnected(false);
  std::uint8_t buffer[2] = {};
  try {
    port.SendBytes(buffer, 2);
    FAIL();
  } catch (const EComPort& error) {
    EXPECT_EQ(error.PortErrorCode(), 2);
    EXPECT_EQ(error.SystemErrorCode(), 6);
  }
  EXPECT_EQ(comm.OpenHandles(), 0u);
}

}  // namespace
}  // namespace comport
