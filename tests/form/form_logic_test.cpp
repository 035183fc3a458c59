// The handlers of the window on a recording view, without a port: start, address checks,
// cyclic polling, the indicator, the timers, the reply time-out and the exception guard.
#include <algorithm>
#include <stdexcept>

#include "exchange/poll.h"
#include "logic_fixture.h"

namespace form {
namespace {

using testing::Log;
using testing::LogicTest;

const std::string kRead = "ЧТЕНИЕ ПОКАЗАНИЙ ВЛК240Т";
const std::string kPolling = "ИДЁТ ОПРОС...";

// A cyclic tick whose address check fails: the tick ends cyclic polling (through
// CheckBox1Click) before the check's box, followed by what comes after the box.
Log CyclicPollingEndedThen(const Log& after) {
  Log log{"memo cleared", "indicator white", "indicator hidden", "stop ClickerBtn",
          "button enabled", "button '" + kRead + "'", "cyclic unchecked",
          // CheckBox1Click
          "button enabled", "address enabled", "indicator hidden", "menu enabled",
          "button '" + kRead + "'", "memo cleared", "process messages",
          // back in Button3Click
          "process messages"};
  log.insert(log.end(), after.begin(), after.end());
  return log;
}

TEST_F(LogicTest, StartSetsTheTitleClearsTheTextsAndPutsOneIntoTheAddress) {
  Create();
  EXPECT_EQ(view_.log, (Log{"title 'ВЛК240ТИ'", "memo cleared", "static text ''", "panel 1 ''",
                            "address '1'"}));
  EXPECT_TRUE(view_.memo.empty());
  for (FormTimer timer : {FormTimer::kTimeIsOut, FormTimer::kLogo, FormTimer::kClickerBtn}) {
    EXPECT_FALSE(view_.Running(timer));
    EXPECT_FALSE(logic_->TimerEnabled(timer));
  }
  EXPECT_TRUE(delays_.empty());  // no user.ini: nothing read, nothing waited for
  EXPECT_FALSE(logic_->ComPort1.Connected());
  EXPECT_EQ(logic_->ComPort1.Port(), "COM1");
}

TEST_F(LogicTest, CheckBoxSwitchesCyclicPollingAndItsTimerOnlyOnAChange) {
  Form1Logic& logic = Create();
  ForgetLog();
  view_.ClickCyclic(logic, true);
  EXPECT_EQ(view_.log,
            (Log{"button disabled", "address disabled", "start ClickerBtn", "indicator shown",
                 "menu disabled", "button '" + kPolling + "'", "process messages"}));
  EXPECT_EQ(view_.Interval(FormTimer::kClickerBtn), 2000);

  ForgetLog();
  logic.CheckBox1Click();  // the same state again: the running timer is not restarted
  EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), "start ClickerBtn"), 0);

  ForgetLog();
  view_.ClickCyclic(logic, false);
  EXPECT_EQ(view_.log,
            (Log{"button enabled", "address enabled", "stop ClickerBtn", "indicator hidden",
                 "menu enabled", "button '" + kRead + "'", "memo cleared", "process messages"}));
  EXPECT_TRUE(view_.boxes.empty());
}

// The first tick with an address out of range stops everything cyclic polling started, in the
// documented order, unchecks the box (which runs its handler) and only then warns; the rest of the
// tick still blinks the hidden indicator.
TEST_F(LogicTest, CyclicTickWithABadAddressStopsPollingInOrderThenWarns) {
  Form1Logic& logic = Create();
  view_.address = "0";
  view_.ClickCyclic(logic, true);
  ForgetLog();
  view_.Tick(logic, FormTimer::kClickerBtn);
  EXPECT_EQ(view_.log, CyclicPollingEndedThen({
                           "box Warning: Неправильное значение сетевого адреса",
                           "address '1'",
                           "address enabled",
                           // the rest of ClickerBtnTimer
                           "start LOGO",
                           "indicator red",
                       }));
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0].icon, DialogIcon::kExclamation);
  EXPECT_EQ(view_.boxes[0].button, TMsgDlgBtn::mbOK);
  EXPECT_FALSE(view_.Running(FormTimer::kClickerBtn));
}

// One-shot, only the box. In cyclic mode the field cannot be edited, so the first tick ends
// cyclic polling as an address out of range does, before the box; the blink does not run.
TEST_F(LogicTest, AddressThatIsNoNumberGoesToTheExceptionBoxAndEndsCyclicPolling) {
  Form1Logic& logic = Create();
  for (const char* text : {"12 ", "", "1.5", "abc"}) {
    SCOPED_TRACE(text);
    view_.address = text;
    ForgetLog();
    logic.Button3Click();
    const std::string shown = std::string("'") + text + "' is not a valid integer value.";
    EXPECT_EQ(view_.log, (Log{"memo cleared", "box ВЛК240ТИ: " + shown}));
  }
  view_.ClickCyclic(logic, true);
  ForgetLog();
  view_.Tick(logic, FormTimer::kClickerBtn);
  EXPECT_EQ(view_.log, CyclicPollingEndedThen({
                           "box ВЛК240ТИ: 'abc' is not a valid integer value.",
                       }));
  EXPECT_EQ(view_.boxes[0].icon, DialogIcon::kStop);
  EXPECT_FALSE(view_.Running(FormTimer::kClickerBtn));
  EXPECT_FALSE(view_.Running(FormTimer::kLogo));
  EXPECT_TRUE(view_.address_enabled);
  EXPECT_EQ(view_.address, "abc");  // left for the operator to mend
}

// A tick that comes while the box of its own timer's handler is still open (the port is closed)
// is dropped, so boxes do not pile up; so is a tick the view still had queued for a stopped one.
TEST_F(LogicTest, TickWhileItsHandlersBoxIsOpenAndTickOfAStoppedTimerAreDropped) {
  Form1Logic& logic = Create();
  view_.ClickCyclic(logic, true);
  int nested = 0;
  view_.in_box = [&] {
    if (nested++ == 0) view_.Tick(logic, FormTimer::kClickerBtn);
  };
  ForgetLog();
  view_.Tick(logic, FormTimer::kClickerBtn);
  EXPECT_EQ(view_.boxes.size(), 1u);
  view_.Tick(logic, FormTimer::kClickerBtn);  // the box is closed: the next tick runs
  EXPECT_EQ(view_.boxes.size(), 2u);

  view_.ClickCyclic(logic, false);
  view_.Tick(logic, FormTimer::kTimeIsOut);
  view_.Tick(logic, FormTimer::kLogo);
  ForgetLog();
  logic.TimerTick(FormTimer::kClickerBtn);  // ticks the view still had queued
  logic.TimerTick(FormTimer::kLogo);
  logic.TimerTick(FormTimer::kTimeIsOut);
  EXPECT_TRUE(view_.log.empty());
}

// A poll on the closed port: the request is shown, the time-out armed, the exchange's box; each
// time-out counts one more unanswered poll.
TEST_F(LogicTest, UnansweredPollsAreCountedByTheReplyTimeOut) {
  Form1Logic& logic = Create();
  for (int count = 1; count <= 3; ++count) {
    ForgetLog();
    logic.Button3Click();
    EXPECT_EQ(view_.log, (Log{"memo cleared", "static text ''", "panel 1 ''", "process messages",
                              "static text 'Послано:   1 4 0 0 0 13 49 207 '", "start Time_is_out",
                              "box Error: " + std::string(exchange::PORT_NOT_ACTIVE_TEXT)}));
    EXPECT_EQ(view_.boxes[0].button, TMsgDlgBtn::mbCancel);
    EXPECT_EQ(view_.Interval(FormTimer::kTimeIsOut), 270);
    ForgetLog();
    view_.Tick(logic, FormTimer::kTimeIsOut);
    EXPECT_EQ(view_.log,
              (Log{"stop Time_is_out", "panel 1 'Не отвечает (" + std::to_string(count) + ")'"}));
    EXPECT_EQ(logic.UnansweredPolls(), count);
  }
}

TEST_F(LogicTest, IndicatorTurnsRedAfterEachCyclicPollAndWhiteAtTheLogoTick) {
  Form1Logic& logic = Create();
  view_.ClickCyclic(logic, true);
  for (int poll = 0; poll < 2; ++poll) {
    view_.Tick(logic, FormTimer::kClickerBtn);
    EXPECT_EQ(view_.fill, IndicatorFill::kRed);
    EXPECT_EQ(view_.Interval(FormTimer::kLogo), 450);
    ForgetLog();
    view_.Tick(logic, FormTimer::kLogo);
    EXPECT_EQ(view_.log, (Log{"indicator white", "stop LOGO"}));
  }
  EXPECT_TRUE(view_.indicator_visible);
}

// A box that fails (its toolkit throws) ends the handler in the exception box; nothing escapes
// to the view's event loop, not even from the exception box.
TEST_F(LogicTest, ExceptionsNeverLeaveAHandler) {
  Form1Logic& logic = Create();
  view_.address = "0";
  view_.in_box = [] { throw std::runtime_error("no box today"); };
  ForgetLog();
  logic.Button3Click();
  ASSERT_EQ(view_.boxes.size(), 2u);
  EXPECT_EQ(view_.boxes[1].caption, "ВЛК240ТИ");
  EXPECT_EQ(view_.boxes[1].text, "no box today.");
  EXPECT_EQ(view_.address, "0");  // the warning never returned
}

}  // namespace
}  // namespace form
