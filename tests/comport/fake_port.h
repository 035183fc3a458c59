// A port over the recording fake, and the main window's port definition.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comport/com_port.h"
#include "platform/comm_api.h"
#include "support/recording_comm.h"

namespace comport {

// Loads the settings the main window's definition gives its port.
inline void LoadComPort1Definition(TCustomComPort& port) {
  port.BeginLoading();
  port.SetBaudRate(br9600);
  port.SetPort("COM1");
  port.Parity().SetBits(prEven);
  port.SetStopBits(sbOneStopBit);
  port.SetDataBits(dbEight);
  port.SetEvents({});
  port.Timeouts().SetReadTotalMultiplier(6);
  port.Timeouts().SetWriteTotalMultiplier(150);
  port.EndLoading();
}

// Records the port's handlers and hooks in order, as short names.
struct HandlerLog {
  std::vector<std::string> entries;

  void Attach(TCustomComPort& port) {
    port.OnBeforeOpen = [this](TCustomComPort&) { entries.push_back("BeforeOpen"); };
    port.OnAfterOpen = [this](TCustomComPort&) { entries.push_back("AfterOpen"); };
    port.OnBeforeClose = [this](TCustomComPort&) { entries.push_back("BeforeClose"); };
    port.OnAfterClose = [this](TCustomComPort&) { entries.push_back("AfterClose"); };
    port.OnCTSChange = [this](TCustomComPort&, bool on) { Signal("CTS", on); };
    port.OnDSRChange = [this](TCustomComPort&, bool on) { Signal("DSR", on); };
    port.OnRLSDChange = [this](TCustomComPort&, bool on) { Signal("RLSD", on); };
  }
  void Signal(const std::string& name, bool on) { entries.push_back(name + (on ? "+" : "-")); }
};

class FakePortTest : public ::testing::Test {
 protected:
  vlk_test::RecordingComm comm;
  platform::ScopedCommApi scoped{comm};
  HandlerLog log;  // outlives the port, whose destructor may still call handlers
  TComPort port;
};

}  // namespace comport
