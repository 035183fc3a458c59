// The port menu's items after "COM 4": the ports present that the four do not open, listed
// each time the menu opens, chosen, saved and reopened as the four are.
#include "logic_fixture.h"
#include "sim/simulator.h"
#include "support/pluggable_adapter.h"

namespace form {
namespace {

using testing::Log;
using testing::LogicTest;
using testing::ReadBytes;
using testing::WriteBytes;

using testing::kNotFound;
const std::string kAbsent = "/dev/serial/by-id/usb-vlk240-test-absent-if00-port0";

TEST_F(LogicTest, MenuListsThePortsPresentWhenItOpensLeavingOutThoseTheFourOpen) {
  Form1Logic& logic = Create();
  EXPECT_TRUE(logic.ExtraPortItems().empty());

  present_ports_ = {{"/dev/ttyS0", "/dev/ttyS0", true},
                    {"COM2", "COM2", false},  // a name of the four, whatever the system says
                    {"/dev/serial/by-id/usb-FTDI_X-if00-port0", "FTDI X", false}};
  EXPECT_EQ(logic.ExtraPortItems(),
            (std::vector<ExtraPortItem>{{"/dev/serial/by-id/usb-FTDI_X-if00-port0", "FTDI X"}}));

  // Plugged in and pulled out while the window runs: the next opening shows it.
  present_ports_.push_back({"COM7", "COM7 (USB Serial Port)", false});
  present_ports_.erase(present_ports_.begin() + 2);
  EXPECT_EQ(logic.ExtraPortItems(),
            (std::vector<ExtraPortItem>{{"COM7", "COM7 (USB Serial Port)"}}));
}

TEST_F(LogicTest, ExtraPortOpensIsSavedAndReopenedAtTheNextStart) {
  sim::Simulator instrument;
  const std::string port = instrument.SlavePath();
  Form1Logic& logic = Create();
  ForgetLog();
  logic.ExtraPortClick(port);
  EXPECT_EQ(view_.log, (Log{"extra item " + port, "process messages", "panel 0 '" + port + "'"}));
  EXPECT_EQ(sleeps_, (std::vector<int>{300, 300}));
  EXPECT_TRUE(logic.ComPort1.Connected());

  ForgetLog();
  logic.ExtraPortClick(port);  // the open port again: nothing happens
  EXPECT_EQ(view_.log, (Log{"extra item " + port}));

  logic.PortItemClick(0);  // one radio group with the four
  EXPECT_EQ(view_.checked_extra, "");
  logic.ExtraPortClick(port);
  ForgetLog();
  logic.C1Click();
  EXPECT_EQ(ReadBytes(directory() / "user.ini"), port + "\r\n");

  ForgetLog();
  Create();
  EXPECT_TRUE(logic_->ComPort1.Connected());
  EXPECT_EQ(view_.checked_extra, port);
  EXPECT_EQ(view_.panels[0], port);
  EXPECT_TRUE(view_.boxes.empty());
}

TEST_F(LogicTest, AbsentExtraPortShowsItsNameInTheFoursMessage) {
  Form1Logic& logic = Create();
  ForgetLog();
  logic.ExtraPortClick(kAbsent);
  EXPECT_EQ(view_.log, (Log{"extra item " + kAbsent, "process messages", "no item checked",
                            "panel 0 ''", "box Error: Не могу открыть " + kAbsent + kNotFound}));
  EXPECT_EQ(view_.boxes[0].button, TMsgDlgBtn::mbCancel);
  EXPECT_FALSE(logic.ComPort1.Connected());

  // Saved, then absent at the start: the same box, before the window is shown.
  logic.C1Click();
  EXPECT_EQ(ReadBytes(directory() / "user.ini"), kAbsent + "\r\n");
  ForgetLog();
  Create();
  EXPECT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0].text, "Не могу открыть " + kAbsent + kNotFound);
  EXPECT_EQ(view_.checked_extra, "");
  EXPECT_EQ(view_.log.back(), "address '1'");

  // A line no menu would have written stays silent, as for the four.
  for (const std::string& line :
       std::vector<std::string>{kAbsent + " ", "dev/ttyUSB0", "COM5", ""}) {
    SCOPED_TRACE(line);
    WriteBytes(directory() / "user.ini", line + "\r\n");
    ForgetLog();
    Create();
    EXPECT_TRUE(view_.boxes.empty());
    EXPECT_FALSE(logic_->ComPort1.Connected());
  }
}

// An adapter lost during cyclic polling is reopened by the ticks, and its item checked again.
TEST_F(LogicTest, LostExtraPortIsCheckedAgainWhenTheTicksReopenIt) {
  vlk_test::PluggableAdapter adapter(directory() / "adapter");
  const std::string port = adapter.Link().string();
  adapter.Plug();
  Form1Logic& logic = Create();
  logic.ExtraPortClick(port);
  view_.ClickCyclic(logic, true);
  adapter.Unplug();
  view_.Tick(logic, FormTimer::kClickerBtn);
  EXPECT_EQ(view_.checked_extra, "");
  EXPECT_FALSE(logic.ComPort1.Connected());

  view_.Tick(logic, FormTimer::kLogo);
  adapter.Plug();
  view_.Tick(logic, FormTimer::kClickerBtn);
  EXPECT_TRUE(logic.ComPort1.Connected());
  EXPECT_EQ(view_.checked_extra, port);
  EXPECT_EQ(view_.panels[0], port);
}

}  // namespace
}  // namespace form
