// Opening, closing and applying settings, observed at the platform seam.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "comport/com_port.h"
#include "fake_port.h"
#include "platform/win_errors.h"
#include "runtime/toolkit.h"

namespace comport {
namespace {

using ::testing::ElementsAre;
using Names = std::vector<std::string>;

class OpenCloseTest : public FakePortTest {
 protected:
  OpenCloseTest() { LoadComPort1Definition(port); }
};

TEST_F(OpenCloseTest, ComPort1ReachesTheDeviceAsDefined) {
  port.SetConnected(true);
  ASSERT_TRUE(port.Connected());
  const auto calls = comm.Calls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0].name, "CreateFileA");
  EXPECT_EQ(calls[0].path, "\\\\.\\COM1");
  EXPECT_EQ(calls[0].args, (std::vector<std::uint64_t>{0xC0000000u, 0, 3, 0x40000000u, 0}));
  EXPECT_EQ(calls[1].name, "SetupComm");
  EXPECT_EQ(calls[1].args[1], 1024u);
  EXPECT_EQ(calls[1].args[2], 1024u);
  EXPECT_EQ(calls[2].name, "SetCommState");
  EXPECT_EQ(calls[3].name, "SetCommTimeouts");

  platform::DCB expected{};
  expected.DCBlength = 28;
  expected.BaudRate = 9600;
  expected.Flags = 0x00000001;
  expected.XonLim = 256;
  expected.XoffLim = 256;
  expected.ByteSize = 8;
  expected.Parity = 2;
  expected.StopBits = 0;
  expected.XonChar = 17;
  expected.XoffChar = 19;
  ASSERT_EQ(comm.Dcbs().size(), 1u);
  EXPECT_EQ(std::memcmp(&comm.Dcbs()[0], &expected, sizeof expected), 0);

  const platform::COMMTIMEOUTS t = comm.Timeouts().at(0);
  EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 6u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 150u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 1000u);
}

TEST_F(OpenCloseTest, LineSettingsBuildTheDeviceControlBlock) {
  struct Case {
    const char* name;
    void (*change)(TCustomComPort&);
    platform::DWORD flags;
    platform::DWORD baud;
    char error_char;
  };
  const Case cases[] = {
      {"parity check", [](TCustomComPort& p) { p.Parity().SetCheck(true); }, 0x3, 9600, 0},
      {"replace without check",
       [](TCustomComPort& p) {
         p.Parity().SetReplace(true);
         p.Parity().SetReplaceChar('?');
       },
       0x1, 9600, 0},
      {"replace with check",
       [](TCustomComPort& p) {
         p.Parity().SetCheck(true);
         p.Parity().SetReplace(true);
         p.Parity().SetReplaceChar('?');
       },
       0x403, 9600, '?'},
      {"discard null", [](TCustomComPort& p) { p.SetDiscardNull(true); }, 0x801, 9600, 0},
      {"hardware preset", [](TCustomComPort& p) { p.FlowControl().SetFlowControl(fcHardware); },
       0x2005, 9600, 0},
      {"software preset", [](TCustomComPort& p) { p.FlowControl().SetFlowControl(fcSoftware); },
       0x301, 9600, 0},
      {"dtr, dsr, toggle",
       [](TCustomComPort& p) {
         p.FlowControl().SetControlDTR(dtrHandshake);
         p.FlowControl().SetOutDSRFlow(true);
         p.FlowControl().SetDSRSensitivity(true);
         p.FlowControl().SetTxContinueOnXoff(true);
         p.FlowControl().SetControlRTS(rtsToggle);
       },
       0x30E9, 9600, 0},
      {"custom rate",
       [](TCustomComPort& p) {
         p.SetCustomBaudRate(31250);
         p.SetBaudRate(brCustom);
       },
       0x1, 31250, 0},
      {"fixed rate ignores custom",
       [](TCustomComPort& p) {
         p.SetBaudRate(br256000);
         p.SetCustomBaudRate(31250);
       },
       0x1, 256000, 0},
  };
  for (const Case& c : cases) {
    TComPort subject;
    LoadComPort1Definition(subject);
    subject.SetConnected(true);
    c.change(subject);
    const platform::DCB dcb = comm.Dcbs().back();
    EXPECT_EQ(dcb.Flags, c.flags) << c.name;
    EXPECT_EQ(dcb.BaudRate, c.baud) << c.name;
    EXPECT_EQ(dcb.ErrorChar, c.error_char) << c.name;
    EXPECT_EQ(dcb.EofChar, 0) << c.name;
  }
}

TEST_F(OpenCloseTest, OpenPortReappliesOnlyRealChanges) {
  port.SetConnected(true);
  comm.ClearCalls();
  port.Parity().SetBits(prEven);
  port.SetBaudRate(br9600);
  port.Timeouts().SetReadTotalMultiplier(6);
  port.Buffer().SetInputSize(1024);
  port.SetPort("COM1");
  port.SetSyncMethod(smThreadSync);
  EXPECT_TRUE(comm.Calls().empty());

  const std::pair<void (*)(TCustomComPort&), const char*> changes[] = {
      {[](TCustomComPort& p) { p.Parity().SetBits(prOdd); }, "SetCommState"},
      {[](TCustomComPort& p) { p.SetStopBits(sbTwoStopBits); }, "SetCommState"},
      {[](TCustomComPort& p) { p.FlowControl().SetFlowControl(fcNone); }, "SetCommState"},
      {[](TCustomComPort& p) { p.SetParity(p.Parity()); }, "SetCommState"},
      {[](TCustomComPort& p) { p.SetFlowControl(p.FlowControl()); }, "SetCommState"},
      {[](TCustomComPort& p) { p.Timeouts().SetReadTotalConstant(3); }, "SetCommTimeouts"},
      {[](TCustomComPort& p) { p.SetTimeouts(p.Timeouts()); }, "SetCommTimeouts"},
      {[](TCustomComPort& p) { p.Buffer().SetOutputSize(512); }, "SetupComm"},
      {[](TCustomComPort& p) { p.SetBuffer(p.Buffer()); }, "SetupComm"},
  };
  for (const auto& [change, call] : changes) {
    comm.ClearCalls();
    change(port);
    EXPECT_THAT(comm.CallNames(), ElementsAre(call));
  }
}

TEST_F(OpenCloseTest, InputSizeSetsQueueNowAndLimitsAtTheNextLineApply) {
  port.SetConnected(true);
  comm.ClearCalls();
  port.Buffer().SetInputSize(1000);
  ASSERT_THAT(comm.CallNames(), ElementsAre("SetupComm"));
  EXPECT_EQ(comm.Calls()[0].args[1], 1000u);
  EXPECT_EQ(comm.Dcbs().size(), 1u);
  port.SetDataBits(dbSeven);
  EXPECT_EQ(comm.Dcbs().back().XonLim, 250);
  EXPECT_EQ(comm.Dcbs().back().XoffLim, 250);
  EXPECT_EQ(comm.Dcbs().back().ByteSize, 7);
}

TEST_F(OpenCloseTest, NotificationOrderAtOpenAndClose) {
  log.Attach(port);
  std::vector<std::string> listener;
  TPortListener link;
  link.StateChanged = [&](TCustomComPort&, bool on) { listener.push_back(on ? "on" : "off"); };
  link.CTSChanged = [&](TCustomComPort&, bool on) { log.Signal("listener CTS", on); };
  port.AddListener(link);
  comm.SetModemStatus(platform::MS_CTS_ON | platform::MS_RLSD_ON);

  port.SetConnected(true);
  EXPECT_THAT(log.entries,
              ElementsAre("BeforeOpen", "AfterOpen", "listener CTS+", "CTS+", "DSR-", "RLSD+"));
  EXPECT_THAT(listener, ElementsAre("on"));
  log.entries.clear();
  comm.ClearCalls();

  port.SetConnected(false);
  EXPECT_THAT(log.entries,
              ElementsAre("listener CTS-", "CTS-", "DSR-", "RLSD-", "BeforeClose", "AfterClose"));
  EXPECT_THAT(listener, ElementsAre("on", "off"));
  port.RemoveListener(link);
  const auto calls = comm.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].name, "PurgeComm");
  EXPECT_EQ(calls[0].args[1], 0x3u);
  EXPECT_EQ(calls[1].name, "CloseHandle");
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(comm.OpenHandles(), 0u);
}

TEST_F(OpenCloseTest, OpenOnOpenAndCloseOnClosedDoNothing) {
  log.Attach(port);
  port.ClosePort();
  EXPECT_TRUE(log.entries.empty());
  port.OpenPort();
  log.entries.clear();
  comm.ClearCalls();
  port.OpenPort();
  port.SetConnected(true);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_TRUE(comm.Calls().empty());
}

TEST_F(OpenCloseTest, MissingDeviceRaisesError1AndStaysClosed) {
  log.Attach(port);
  comm.FailNext("CreateFileA", platform::ERROR_FILE_NOT_FOUND);
  try {
    port.SetConnected(true);
    FAIL();
  } catch (const EComPort& error) {
    EXPECT_EQ(error.PortErrorCode(), 1);
    EXPECT_EQ(error.SystemErrorCode(), 2);
    EXPECT_EQ(error.Message(), "Unable to open com port (win error code: 2)");
  }
  EXPECT_FALSE(port.Connected());
  EXPECT_THAT(log.entries, ElementsAre("BeforeOpen"));
  EXPECT_THAT(comm.CallNames(), ElementsAre("CreateFileA"));
}

TEST_F(OpenCloseTest, RefusedSettingsCloseTheDeviceAgainWithoutCloseHandlers) {
  const std::pair<const char*, std::int32_t> failures[] = {
      {"SetupComm", 9}, {"SetCommState", 7}, {"SetCommTimeouts", 8}};
  for (const auto& [call, code] : failures) {
    log.Attach(port);
    log.entries.clear();
    comm.ClearCalls();
    comm.FailNext(call, platform::ERROR_INVALID_PARAMETER);
    try {
      port.SetConnected(true);
      ADD_FAILURE() << call;
    } catch (const EComPort& error) {
      EXPECT_EQ(error.PortErrorCode(), code);
      EXPECT_EQ(error.SystemErrorCode(), 87);
    }
    EXPECT_FALSE(port.Connected()) << call;
    EXPECT_EQ(port.DeviceHandle(), platform::INVALID_HANDLE_VALUE);
    EXPECT_EQ(comm.CallNames().back(), "CloseHandle") << call;
    EXPECT_EQ(comm.OpenHandles(), 0u) << call;
    EXPECT_THAT(log.entries, ElementsAre("BeforeOpen")) << call;
  }
}

TEST_F(OpenCloseTest, RefusedSettingOnOpenPortKeepsTheValueAndThePort) {
  port.SetConnected(true);
  comm.FailNext("SetCommState", platform::ERROR_INVALID_PARAMETER);
  EXPECT_THROW(port.SetBaudRate(br256000), EComPort);
  EXPECT_EQ(port.BaudRate(), br256000);
  EXPECT_TRUE(port.Connected());
}

TEST_F(OpenCloseTest, ModemStatusFailureAtOpenLeavesThePortOpen) {
  comm.FailNext("GetCommModemStatus", platform::ERROR_GEN_FAILURE);
  try {
    port.SetConnected(true);
    FAIL();
  } catch (const EComPort& error) {
    EXPECT_EQ(error.PortErrorCode(), 11);
  }
  EXPECT_TRUE(port.Connected());
}

TEST_F(OpenCloseTest, HandlerErrorBeforeCloseKeepsThePortOpen) {
  port.SetConnected(true);
  port.OnBeforeClose = [](TCustomComPort&) { throw std::runtime_error("refused"); };
  EXPECT_THROW(port.SetConnected(false), std::runtime_error);
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(comm.CountOf("CloseHandle"), 0u);
  port.OnBeforeClose = nullptr;
}

TEST_F(OpenCloseTest, PortChangeReopensAnOpenPortOnly) {
  port.SetPort("COM2");
  EXPECT_TRUE(comm.Calls().empty());
  port.SetConnected(true);
  comm.ClearCalls();
  port.SetPort("COM3");
  const auto names = comm.CallNames();
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[1], "CloseHandle");
  EXPECT_EQ(names[2], "CreateFileA");
  EXPECT_EQ(comm.Calls()[2].path, "\\\\.\\COM3");
  EXPECT_TRUE(port.Connected());

  comm.FailNext("CreateFileA", platform::ERROR_FILE_NOT_FOUND);
  EXPECT_THROW(port.SetPort("COM9"), EComPort);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.Port(), "COM9");
}

TEST_F(OpenCloseTest, SyncMethodRefusedOnlyOnAnOpenPort) {
  port.SetConnected(true);
  port.SetSyncMethod(smThreadSync);
  try {
    port.SetSyncMethod(smWindowSync);
    FAIL();
  } catch (const EComPort& error) {
    EXPECT_EQ(error.PortErrorCode(), 14);
    EXPECT_EQ(error.SystemErrorCode(), -1);
  }
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  port.SetConnected(false);
  port.SetSyncMethod(smWindowSync);
  EXPECT_EQ(port.SyncMethod(), smWindowSync);
}

class RecordingToolkit : public runtime::Toolkit {
 public:
  void HandleException(const std::exception& error) override { reports.push_back(error.what()); }
  std::vector<std::string> reports;
};

TEST_F(FakePortTest, ConnectedWhileLoadingOpensAtAfterLoad) {
  port.BeginLoading();
  port.SetConnected(true);
  port.Parity().SetBits(prEven);
  EXPECT_TRUE(comm.Calls().empty());
  port.EndLoading();
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(comm.Dcbs().at(0).Parity, 2);
}

TEST_F(FakePortTest, FailedOpenAtAfterLoadGoesToTheToolkitReport) {
  RecordingToolkit toolkit;
  runtime::ScopedToolkit scoped_toolkit(toolkit);
  comm.FailNext("CreateFileA", platform::ERROR_ACCESS_DENIED);
  port.BeginLoading();
  port.SetConnected(true);
  EXPECT_NO_THROW(port.EndLoading());
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(port.Loading());
  EXPECT_THAT(toolkit.reports, ElementsAre("Unable to open com port (win error code: 5)"));
}

TEST_F(FakePortTest, DesigningNeverOpens) {
  port.SetDesigning(true);
  port.SetConnected(true);
  port.OpenPort();
  port.EndLoading();
  EXPECT_TRUE(comm.Calls().empty());
}

TEST_F(FakePortTest, DestructorClosesAndReportsAFailedClose) {
  RecordingToolkit toolkit;
  runtime::ScopedToolkit scoped_toolkit(toolkit);
  {
    TComPort doomed;
    doomed.SetEvents({});
    doomed.SetConnected(true);
    comm.FailNext("PurgeComm", platform::ERROR_GEN_FAILURE);
  }
  EXPECT_EQ(comm.OpenHandles(), 0u);
  EXPECT_THAT(toolkit.reports, ElementsAre("PurgeComm function failed (win error code: 31)"));
}

TEST_F(FakePortTest, ListenerRegistrationErrors) {
  TPortListener link;
  port.AddListener(link);
  try {
    port.AddListener(link);
    FAIL();
  } catch (const EComPort& error) {
    EXPECT_EQ(error.PortErrorCode(), 18);
    EXPECT_EQ(error.SystemErrorCode(), -1);
  }
  port.RemoveListener(link);
  EXPECT_THROW(port.RemoveListener(link), EComPort);
}

}  // namespace
}  // namespace comport
