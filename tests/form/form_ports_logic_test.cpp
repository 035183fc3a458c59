// The port menu, user.ini, the worked reading and the recovery of a lost port, on a recording
// view, against the simulated instrument on a pseudo-terminal.
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "exchange/poll.h"
#include "logic_fixture.h"
#include "readings/decimal_separator.h"
#include "sim/simulator.h"
#include "support/pluggable_adapter.h"
#include "worked_example.h"

namespace form {
namespace {

using testing::Log;
using testing::LogicTest;
using testing::ReadBytes;
using testing::WriteBytes;

using testing::kNotFound;
const Log kStartBeforeReading{"title 'ВЛК240ТИ'", "memo cleared", "static text ''", "panel 1 ''"};

Log Then(Log log, const Log& more) {
  log.insert(log.end(), more.begin(), more.end());
  return log;
}

TEST_F(LogicTest, SavedPortIsCheckedAndOpenedThroughTheItemsHandler) {
  sim::Simulator instrument;
  MapPort(3, instrument.SlavePath());
  WriteBytes(directory() / "user.ini", "COM3\r\n");
  Create();
  EXPECT_EQ(view_.log, Then(kStartBeforeReading,
                            {"item 2", "process messages", "panel 0 'COM3'", "address '1'"}));
  EXPECT_EQ(delays_, (std::vector<int>{150, 150, 110}));
  EXPECT_EQ(sleeps_, (std::vector<int>{300, 300}));
  EXPECT_TRUE(logic_->ComPort1.Connected());
}

// The start's boxes come before the window is shown, so before the address gets its "1".
TEST_F(LogicTest, SavedPortThatCannotBeOpenedOrAFileThatCannotBeReadShowItsBoxAtTheStart) {
  WriteBytes(directory() / "user.ini", "COM3\r\n");
  Create();
  EXPECT_EQ(view_.log, Then(kStartBeforeReading,
                            {"item 2", "process messages", "no item checked", "panel 0 ''",
                             "box Error: Не могу открыть СОМ 3" + kNotFound, "address '1'"}));
  EXPECT_FALSE(logic_->ComPort1.Connected());

  std::filesystem::remove(directory() / "user.ini");
  ASSERT_EQ(::mkfifo((directory() / "user.ini").c_str(), 0644), 0);
  view_.log.clear();
  Create();
  EXPECT_EQ(view_.log,
            Then(kStartBeforeReading,
                 {"box Error: Ошибка чтения из файла\r Written by Vastrel", "address '1'"}));
  EXPECT_EQ(view_.boxes.back().button, TMsgDlgBtn::mbCancel);
}

TEST_F(LogicTest, PortItemsAreOneRadioGroupAndAFailedChoiceUnchecksThemAll) {
  sim::Simulator instrument;
  MapPort(2, instrument.SlavePath());
  Form1Logic& logic = Create();
  ForgetLog();
  logic.PortItemClick(1);
  EXPECT_EQ(view_.log, (Log{"item 1", "process messages", "panel 0 'COM2'"}));
  EXPECT_EQ(view_.checked_item, 1);

  ForgetLog();
  sleeps_.clear();
  logic.COM21Click();  // the open port again: nothing happens
  EXPECT_EQ(view_.log, (Log{"item 1"}));
  EXPECT_TRUE(sleeps_.empty());

  ForgetLog();
  logic.COM41Click();
  EXPECT_EQ(view_.log, (Log{"item 3", "process messages", "no item checked", "panel 0 ''",
                            "box Error: Не могу открыть СОМ 4" + kNotFound}));
  EXPECT_EQ(view_.checked_item, kNoPortItem);
  EXPECT_EQ(view_.boxes[0].button, TMsgDlgBtn::mbCancel);
  EXPECT_FALSE(logic.ComPort1.Connected());
  EXPECT_EQ(logic.ComPort1.Port(), "COM4");  // the name that failed survives...

  ForgetLog();
  logic.C1Click();  // ...and is the one saved
  EXPECT_EQ(ReadBytes(directory() / "user.ini"), "COM4\r\n");
  EXPECT_EQ(view_.log, (Log{"box Confirm: ТЕКУЩИЕ НАСТРОЙКИ СОХРАНЕНЫ"}));
  EXPECT_EQ(view_.boxes[0].icon, DialogIcon::kQuestion);
}

class ReadingTest : public LogicTest {
 protected:
  ReadingTest() { readings::SetDecimalSeparator(","); }

  static const Log& Reading() { return testing_example::kMemoLines; }
};

// The worked example: the request to address 1, the reply's bytes, the decoded lines.
TEST_F(ReadingTest, OnePollShowsTheRequestTheReplyAndTheReadings) {
  sim::Simulator instrument;
  MapPort(1, instrument.SlavePath());
  Form1Logic& logic = Create();
  logic.PortItemClick(0);
  ForgetLog();
  logic.Button3Click();
  Log expected{"memo cleared",
               "static text ''",
               "panel 1 ''",
               "process messages",
               "static text 'Послано:   1 4 0 0 0 13 49 207 '",
               "start Time_is_out",
               "stop Time_is_out",
               "panel 1 'Принято:   1 4 26 0 0 66 54 0 0 65 242 0 0 65 64 0 0 66 200 0 0 0 21 0 "
               "10 66 72 0 0 71 118 '",
               "memo cleared"};
  for (const std::string& line : Reading()) expected.push_back("memo + '" + line + "'");
  EXPECT_EQ(view_.log, expected);
  EXPECT_EQ(view_.memo, Reading());
  EXPECT_EQ(logic.UnansweredPolls(), 0);
}

// COM1 names a link to the instrument's line, as /dev/serial/by-id/ names an adapter. The box
// of the loss does not wait for the operator: while it is up the ticks go on trying the port,
// quietly, and read again once the adapter is back.
class PortLossTest : public ReadingTest {
 protected:
  PortLossTest() { MapPort(1, adapter_.Link().string()); }
  Form1Logic& StartCyclicPollingOnCom1() {
    adapter_.Plug();
    Form1Logic& logic = Create();
    logic.PortItemClick(0);
    view_.ClickCyclic(logic, true);
    return logic;
  }
  // A poll tick and the blink's end, as the timers would bring them.
  void Poll(Form1Logic& logic) {
    view_.Tick(logic, FormTimer::kClickerBtn);
    view_.Tick(logic, FormTimer::kLogo);
  }
  long LossBoxes() const {
    return std::count_if(view_.boxes.begin(), view_.boxes.end(), [](const DialogBox& box) {
      return box.text.rfind(std::string(exchange::PORT_LOST_TEXT) + "\r", 0) == 0;
    });
  }

  vlk_test::PluggableAdapter adapter_{directory() / "adapter"};
};

TEST_F(PortLossTest, CyclicPollingGoesOnWhileTheBoxOfTheLossIsOpenAndResumesReading) {
  Form1Logic& logic = StartCyclicPollingOnCom1();
  adapter_.Unplug();
  ForgetLog();
  Poll(logic);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(LossBoxes(), 1);
  EXPECT_EQ(view_.boxes[0].caption, "Error");
  EXPECT_EQ(view_.boxes[0].button, TMsgDlgBtn::mbCancel);
  EXPECT_TRUE(view_.notice_open);
  // Released before the box, so the box does not hold the device.
  const auto box =
      std::find(view_.log.begin(), view_.log.end(), "open box Error: " + view_.boxes[0].text);
  const auto released = std::find(view_.log.begin(), view_.log.end(), "no item checked");
  EXPECT_LT(released, box);
  EXPECT_EQ(view_.panels[0], "");
  EXPECT_FALSE(logic.ComPort1.Connected());

  for (int tick = 0; tick < 2; ++tick) {
    ForgetLog();
    view_.Tick(logic, FormTimer::kClickerBtn);
    EXPECT_EQ(view_.log, (Log{"memo cleared", "static text ''", "panel 1 ''",
                              "panel 1 '" + std::string(exchange::PORT_UNAVAILABLE_TEXT) + "'",
                              "start LOGO", "indicator red"}));
    view_.Tick(logic, FormTimer::kLogo);
  }

  adapter_.Plug();
  ForgetLog();
  Poll(logic);
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_TRUE(view_.notice_open);  // the operator has not closed it yet
  EXPECT_EQ(view_.memo, Reading());
  EXPECT_EQ(view_.checked_item, 0);
  EXPECT_EQ(view_.panels[0], "COM1");
  EXPECT_TRUE(view_.Running(FormTimer::kClickerBtn));
  EXPECT_TRUE(view_.cyclic);
}

// One box per loss: a loss while the box of an earlier one is still up adds none; once the
// operator has closed it, the next loss has its own.
TEST_F(PortLossTest, OneBoxPerLossAndNoneStackedOnAnOpenOne) {
  Form1Logic& logic = StartCyclicPollingOnCom1();
  adapter_.Unplug();
  Poll(logic);
  Poll(logic);
  adapter_.Plug();
  Poll(logic);
  adapter_.Unplug();
  Poll(logic);  // lost again, the first box still open
  EXPECT_EQ(LossBoxes(), 1);
  EXPECT_FALSE(logic.ComPort1.Connected());

  view_.CloseNotice(logic);
  Poll(logic);  // the same loss: reopening stays quiet
  EXPECT_EQ(LossBoxes(), 1);
  adapter_.Plug();
  Poll(logic);
  EXPECT_EQ(view_.memo, Reading());
  adapter_.Unplug();
  Poll(logic);
  EXPECT_EQ(LossBoxes(), 2);
  EXPECT_TRUE(view_.notice_open);
}

// A port that another program holds: the item's message, then why and what to do.
TEST_F(LogicTest, PortHeldByAnotherProgramSaysSoUnderTheItemsMessage) {
  sim::Simulator instrument;
  MapPort(2, instrument.SlavePath());
  comport::TComPort other;
  other.SetPort("COM2");
  other.SetConnected(true);
  Form1Logic& logic = Create();
  ForgetLog();
  logic.COM21Click();
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0].text,
            "Не могу открыть СОМ 2\rПорт занят другой программой: закройте её и выберите порт "
            "снова.");
}

}  // namespace
}  // namespace form
