// Saving and loading a port's settings by groups, through an INI file and
// the key store, with the port closed or open over the recording fake.
#include "comport/port_storage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/comm_api.h"
#include "storage/ini_file.h"
#include "storage/key_store.h"
#include "storage/storage_errors.h"
#include "support/recording_comm.h"
#include "temp_dir.h"

namespace comport {
namespace {

constexpr TStoredGroups kAllGroups = TStoredGroups::FromBits(0x3F);

// Every stored setting as one line each, for comparing two ports.
std::vector<std::string> Describe(const TCustomComPort& p) {
  const auto& f = p.FlowControl();
  const auto& t = p.Timeouts();
  return {p.Port(),
          std::to_string(p.BaudRate()) + "/" + std::to_string(p.CustomBaudRate()),
          std::to_string(p.StopBits()) + "/" + std::to_string(p.DataBits()),
          std::to_string(p.Parity().Bits()) + "/" + std::to_string(p.Parity().Check()) +
              std::to_string(p.Parity().Replace()) + "/" + std::to_string(p.Parity().ReplaceChar()),
          std::to_string(p.EventChar()) + "/" + std::to_string(p.DiscardNull()),
          std::to_string(p.Buffer().InputSize()) + "/" + std::to_string(p.Buffer().OutputSize()),
          std::to_string(t.ReadInterval()) + "/" + std::to_string(t.ReadTotalMultiplier()) + "/" +
              std::to_string(t.ReadTotalConstant()) + "/" +
              std::to_string(t.WriteTotalMultiplier()) + "/" +
              std::to_string(t.WriteTotalConstant()),
          std::to_string(f.ControlRTS()) + "/" + std::to_string(f.ControlDTR()) + "/" +
              std::to_string(f.DSRSensitivity()) + std::to_string(f.OutCTSFlow()) +
              std::to_string(f.OutDSRFlow()) + std::to_string(f.TxContinueOnXoff()) +
              std::to_string(f.XonXoffIn()) + std::to_string(f.XonXoffOut()) + "/" +
              std::to_string(f.XoffChar()) + "/" + std::to_string(f.XonChar())};
}

// Non-default values in every group.
void ChangeEverything(TCustomComPort& p) {
  p.SetPort("/dev/ttyUSB0");
  p.SetBaudRate(brCustom);
  p.SetCustomBaudRate(31250);
  p.SetStopBits(sbTwoStopBits);
  p.SetDataBits(dbSeven);
  p.Parity().SetBits(prMark);
  p.Parity().SetCheck(true);
  p.Parity().SetReplace(true);
  p.Parity().SetReplaceChar('\xC8');
  p.SetEventChar('\r');
  p.SetDiscardNull(true);
  p.Buffer().SetInputSize(4096);
  p.Buffer().SetOutputSize(-2);
  p.Timeouts().SetReadInterval(5);
  p.Timeouts().SetReadTotalMultiplier(6);
  p.Timeouts().SetReadTotalConstant(7);
  p.Timeouts().SetWriteTotalMultiplier(8);
  p.Timeouts().SetWriteTotalConstant(-9);
  p.FlowControl().SetControlRTS(rtsToggle);
  p.FlowControl().SetControlDTR(dtrHandshake);
  p.FlowControl().SetDSRSensitivity(true);
  p.FlowControl().SetOutDSRFlow(true);
  p.FlowControl().SetTxContinueOnXoff(true);
  p.FlowControl().SetXonXoffIn(true);
  p.FlowControl().SetXoffChar('=');
  p.FlowControl().SetXonChar('\n');
}

class PortStorageTest : public ::testing::Test {
 protected:
  PortStorageTest() {
    port.SetName("ComPort1");
    port.SetEvents({});
  }

  storage::TempDir dir;
  vlk_test::RecordingComm comm;
  platform::ScopedCommApi scoped{comm};
  TComPort port;
};

TEST_F(PortStorageTest, BasicSaveWritesItsNamesInOrder) {
  struct Case {
    TBaudRate baud_rate;
    const char* expected;
  };
  const Case cases[] = {
      {br9600,
       "[ComPort1]\nPort=COM1\nBaudRate=9600\nStopBits=1\nDataBits="
       "8\nParity=None\n"
       "FlowControl=None\n"},
      {brCustom,
       "[ComPort1]\nPort=COM1\nBaudRate=Custom\nCustomBaudRate="
       "9600\nStopBits=1\nDataBits=8\n"
       "Parity=None\nFlowControl=None\n"},
  };
  for (const Case& c : cases) {
    const auto path = dir / ("basic" + std::to_string(c.baud_rate) + ".ini");
    port.SetBaudRate(c.baud_rate);
    storage::TIniFile ini(path);
    SaveToIniFile(port, ini);
    EXPECT_EQ(storage::ReadFile(path), c.expected);
  }
}

// Through the port's own members, as a caller holding any port type would.
TEST_F(PortStorageTest, EveryGroupRoundTripsThroughBothFacilities) {
  ChangeEverything(port);
  port.SetStoredGroups(kAllGroups);
  storage::TIniFile ini(dir / "all.ini");
  storage::TKeyStore store(dir / "registry");
  storage::TKeyStoreKey key = store.OpenKey("Software\\Test\\Port");
  TCustomComPort& saved = port;
  saved.SaveToIniFile(ini);
  saved.SaveToRegistry(key);

  TComPort from_ini;
  from_ini.SetName("ComPort1");
  from_ini.SetStoredGroups(kAllGroups);
  from_ini.LoadFromIniFile(ini);
  EXPECT_EQ(Describe(from_ini), Describe(port));

  TComPort from_registry;
  from_registry.SetStoredGroups(kAllGroups);
  storage::TKeyStore reopened(dir / "registry");
  storage::TKeyStoreKey reopened_key = reopened.OpenKey("software\\test\\port");
  from_registry.LoadFromRegistry(reopened_key);
  EXPECT_EQ(Describe(from_registry), Describe(port));
}

TEST_F(PortStorageTest, IniLoadFromMissingSectionKeepsEverythingButCustomBaudRate) {
  ChangeEverything(port);
  port.SetStoredGroups(kAllGroups);
  storage::TIniFile ini(dir / "other.ini");
  ini.WriteString("OtherPort", "Port", "COM4");
  std::vector<std::string> expected = Describe(port);
  LoadFromIniFile(port, ini);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  port.SetCustomBaudRate(31250);
  EXPECT_EQ(Describe(port), expected);
}

// Lines as a person may type them into the file.
TEST_F(PortStorageTest, IniTextsGoThroughTheConversions) {
  struct Case {
    const char* line;
    bool (*holds)(const TCustomComPort&);
  };
  const Case cases[] = {
      {"Parity=even", [](const TCustomComPort& p) { return p.Parity().Bits() == prEven; }},
      {"Parity = Even", [](const TCustomComPort& p) { return p.Parity().Bits() == prEven; }},
      {"Parity=7E1", [](const TCustomComPort& p) { return p.Parity().Bits() == prNone; }},
      {"EventChar=#13", [](const TCustomComPort& p) { return p.EventChar() == 13; }},
      {"EventChar=A", [](const TCustomComPort& p) { return p.EventChar() == 'A'; }},
      {"BaudRate\t= 19200 ", [](const TCustomComPort& p) { return p.BaudRate() == br19200; }},
      {"Port =  COM2 ", [](const TCustomComPort& p) { return p.Port() == "COM2"; }},
      {"Buffer.InputSize=1025",
       [](const TCustomComPort& p) { return p.Buffer().InputSize() == 1024; }},
      {"Buffer.InputSize = 2000 ",
       [](const TCustomComPort& p) { return p.Buffer().InputSize() == 2000; }},
      {"Buffer.InputSize=big",
       [](const TCustomComPort& p) { return p.Buffer().InputSize() == 1024; }},
      {"FlowControl=hardware",
       [](const TCustomComPort& p) { return p.FlowControl().ControlRTS() == rtsHandshake; }},
  };
  int file = 0;
  for (const Case& c : cases) {
    TComPort loaded;
    loaded.SetName("ComPort1");
    loaded.SetStoredGroups(kAllGroups);
    loaded.Parity().SetBits(prOdd);
    loaded.SetBaudRate(br110);
    const auto path = dir / (std::to_string(file++) + ".ini");
    storage::WriteFile(path, "[ComPort1]\r\n" + std::string(c.line) + "\r\n");
    storage::TIniFile ini(path);
    LoadFromIniFile(loaded, ini);
    EXPECT_TRUE(c.holds(loaded)) << c.line;
  }
}

TEST_F(PortStorageTest, UnselectedGroupsAreNeitherWrittenNorRead) {
  storage::TIniFile ini(dir / "basic.ini");
  ini.WriteInteger("ComPort1", "Buffer.InputSize", 64);
  ini.WriteString("ComPort1", "DiscardNull", "Yes");
  LoadFromIniFile(port, ini);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  EXPECT_FALSE(port.DiscardNull());
}

TEST_F(PortStorageTest, LoadingAnotherPortNameReopensBeforeTheRemainingValues) {
  port.SetConnected(true);
  ASSERT_TRUE(port.Connected());
  comm.ClearCalls();
  storage::TIniFile ini(dir / "reopen.ini");
  ini.WriteString("ComPort1", "Port", "COM2");
  ini.WriteString("ComPort1", "BaudRate", "19200");
  LoadFromIniFile(port, ini);

  EXPECT_TRUE(port.Connected());
  const std::vector<vlk_test::CommCall> calls = comm.Calls();
  std::vector<std::string> seen;
  for (const vlk_test::CommCall& call : calls) {
    if (call.name == "CloseHandle" || call.name == "CreateFileA")
      seen.push_back(call.name + call.path);
  }
  EXPECT_THAT(seen, ::testing::ElementsAre("CloseHandle", "CreateFileA\\\\.\\COM2"));
  const std::vector<platform::DCB> dcbs = comm.Dcbs();
  ASSERT_FALSE(dcbs.empty());
  EXPECT_EQ(dcbs.back().BaudRate, 19200u);
  // The new speed is applied to the reopened device, after the open.
  auto create = std::find_if(calls.begin(), calls.end(),
                             [](const auto& c) { return c.name == "CreateFileA"; });
  auto last_state = std::find_if(calls.rbegin(), calls.rend(),
                                 [](const auto& c) { return c.name == "SetCommState"; });
  EXPECT_LT(create - calls.begin(), calls.rend() - last_state - 1);
}

TEST_F(PortStorageTest, RegistryLoadWithoutDefaults) {
  port.SetBaudRate(br115200);
  port.Parity().SetBits(prEven);
  port.SetStoredGroups({sgBasic, sgOthers});
  storage::TKeyStore store(dir / "registry");
  storage::TKeyStoreKey key = store.OpenKey("Empty");
  LoadFromRegistry(port, key);
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.Port(), "");
  EXPECT_EQ(port.Parity().Bits(), prNone);
  EXPECT_EQ(port.FlowControl().FlowControl(),
            fcNone);  // fcCustom changes no field
  EXPECT_EQ(port.EventChar(), 0);
}

TEST_F(PortStorageTest, RegistryLoadStopsAtAMissingIntegerKeepingEarlierValues) {
  storage::TKeyStore store(dir / "registry");
  storage::TKeyStoreKey key = store.OpenKey("Partial");
  key.WriteString("BaudRate", "Custom");
  key.WriteInteger("CustomBaudRate", 31250);
  key.WriteString("Port", "COM3");
  key.WriteString("Parity.Check", "Yes");
  key.WriteInteger("Buffer.InputSize",
                   64);  // "Buffer.OutputSize", read first, is missing
  port.SetStoredGroups({sgBasic, sgParity, sgBuffer, sgTimeouts});
  try {
    LoadFromRegistry(port, key);
    ADD_FAILURE() << "no error";
  } catch (const storage::ERegistryValueError& e) {
    EXPECT_EQ(e.ValueName(), "Buffer.OutputSize");
  }
  EXPECT_EQ(port.Port(), "COM3");
  EXPECT_EQ(port.BaudRate(), brCustom);
  EXPECT_EQ(port.CustomBaudRate(), 31250);
  EXPECT_TRUE(port.Parity().Check());
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
}

TEST_F(PortStorageTest, SettingsTheIniFormatCannotHoldAreRefusedAndLoseNothing) {
  const auto path = dir / "kept.ini";
  storage::TIniFile ini(path);
  SaveToIniFile(port, ini);
  const std::string before = storage::ReadFile(path);
  port.SetPort("COM1\n[Injected]");
  EXPECT_THROW(SaveToIniFile(port, ini), storage::EStorageError);
  EXPECT_EQ(storage::ReadFile(path), before);
}

}  // namespace
}  // namespace comport
