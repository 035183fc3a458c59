// The settings model: defaults, setter rules, presets, rounding, copying.
#include <gtest/gtest.h>

#include "comport/com_port.h"
#include "fake_port.h"
#include "runtime/exception.h"

namespace comport {
namespace {

TEST(SettingsModel, FreshPortDefaults) {
  TComPort port;
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.StopBits(), sbOneStopBit);
  EXPECT_EQ(port.DataBits(), dbEight);
  EXPECT_EQ(port.Parity().Bits(), prNone);
  EXPECT_EQ(port.Events(), kAllComEvents);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  EXPECT_EQ(port.StoredGroups(), TStoredGroups{sgBasic});
  EXPECT_EQ(port.MonitorPriority(), runtime::tpNormal);
  EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
  EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 0);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 0);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  EXPECT_EQ(port.Buffer().OutputSize(), 1024);
  EXPECT_EQ(port.FlowControl().XonChar(), 17);
  EXPECT_EQ(port.FlowControl().XoffChar(), 19);
  EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
  EXPECT_TRUE(port.NotifyRxCount());
  EXPECT_FALSE(port.DataListenerAttached());
  EXPECT_EQ(port.DeviceHandle(), platform::INVALID_HANDLE_VALUE);
  EXPECT_EQ(port.Parity().OwnerPort(), &port);
  EXPECT_EQ(port.Buffer().OwnerPort(), &port);
}

TEST(SettingsModel, FlowControlPresetSequence) {
  TComFlowControl flow;
  flow.SetFlowControl(fcHardware);
  EXPECT_EQ(flow.FlowControl(), fcHardware);
  EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
  EXPECT_TRUE(flow.OutCTSFlow());
  flow.SetControlDTR(dtrHandshake);
  EXPECT_EQ(flow.FlowControl(), fcHardware);
  flow.SetXonXoffIn(true);
  EXPECT_EQ(flow.FlowControl(), fcCustom);
  flow.SetFlowControl(fcCustom);
  EXPECT_TRUE(flow.XonXoffIn());
  EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
  EXPECT_EQ(flow.ControlDTR(), dtrHandshake);

  flow.SetFlowControl(fcSoftware);
  EXPECT_EQ(flow.FlowControl(), fcSoftware);
  EXPECT_EQ(flow.ControlRTS(), rtsDisable);
  EXPECT_FALSE(flow.OutCTSFlow());
  EXPECT_EQ(flow.ControlDTR(), dtrHandshake);  // not part of the preset
  flow.SetFlowControl(fcNone);
  EXPECT_EQ(flow.FlowControl(), fcNone);
  EXPECT_FALSE(flow.XonXoffIn() || flow.XonXoffOut());
  flow.SetXonXoffOut(true);  // one direction only is no preset
  EXPECT_EQ(flow.FlowControl(), fcCustom);
}

TEST(SettingsModel, QueueSizeRounding) {
  TComBuffer buffer;
  const std::pair<std::int32_t, std::int32_t> cases[] = {{1025, 1024}, {1, 0},   {1000, 1000},
                                                         {0, 0},       {-3, -3}, {-4, -4}};
  for (const auto& [given, stored] : cases) {
    buffer.SetInputSize(given);
    EXPECT_EQ(buffer.InputSize(), stored) << given;
    buffer.SetOutputSize(given);
    EXPECT_EQ(buffer.OutputSize(), stored) << given;
  }
}

TEST(SettingsModel, CopyFromCopiesValuesUnroundedAndRefusesForeignClasses) {
  TComPort port;
  TComBuffer odd;
  odd.CopyFrom(port.Buffer());
  EXPECT_EQ(odd.OwnerPort(), nullptr);
  TComTimeouts timeouts;
  timeouts.SetReadInterval(5);
  timeouts.SetWriteTotalConstant(7);
  port.Timeouts().CopyFrom(timeouts);
  EXPECT_EQ(port.Timeouts().ReadInterval(), 5);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 7);
  EXPECT_EQ(port.Timeouts().OwnerPort(), &port);

  TComFlowControl flow;
  flow.SetXonChar('A');
  flow.SetFlowControl(fcHardware);
  TComFlowControl copy;
  copy.CopyFrom(flow);
  EXPECT_EQ(copy.XonChar(), 'A');
  EXPECT_EQ(copy.FlowControl(), fcHardware);

  TComParity parity;
  parity.SetBits(prOdd);
  try {
    parity.CopyFrom(port.Buffer());
    FAIL();
  } catch (const runtime::EConvertError& error) {
    EXPECT_EQ(error.Message(), "Cannot assign a TComBuffer to a TComParity");
  }
  EXPECT_EQ(parity.Bits(), prOdd);
}

TEST_F(FakePortTest, ClosedPortAssignmentsOnlyStore) {
  port.SetBaudRate(br115200);
  port.SetCustomBaudRate(31250);
  port.SetDataBits(dbSeven);
  port.SetStopBits(sbTwoStopBits);
  port.SetDiscardNull(true);
  port.SetEventChar('x');
  port.SetPort("COM2");
  port.Parity().SetBits(prOdd);
  port.FlowControl().SetFlowControl(fcHardware);
  port.Timeouts().SetReadInterval(10);
  port.Buffer().SetInputSize(2048);
  port.SetBuffer(port.Buffer());
  port.SetSyncMethod(smNone);
  EXPECT_TRUE(comm.Calls().empty());
  EXPECT_EQ(port.BaudRate(), br115200);
  EXPECT_EQ(port.Port(), "COM2");
  EXPECT_EQ(port.SyncMethod(), smNone);
}

}  // namespace
}  // namespace comport
