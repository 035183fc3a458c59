// The operator window's logic without a toolkit: the handlers and the state of TForm1 (address
// entry, one-shot and cyclic polling, the indicator, the reply time-out, the port menu, the
// settings file and the recovery of a port lost during a poll), working on a Form1View.
// Window thread only: every handler is called by the view on the window thread (form_view.h
// lists which event calls which). Each handler runs under the exception guard: an exception that
// escapes it is shown in the view's default exception box and the handler returns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "comport/com_port.h"
#include "exchange/comport_line.h"
#include "exchange/poll.h"
#include "exchange/reply_timeout.h"
#include "exchange/traced_port.h"
#include "form/form_view.h"
#include "form/port_items.h"
#include "form/search_box.h"
#include "form/trend_page.h"
#include "instrument/readings.h"
#include "platform/present_ports.h"
#include "polling/poll_instrument.h"
#include "scan/bus_scan.h"
#include "trace/frame_trace.h"

namespace form {

// The two waits of the port and settings handlers: a plain sleep of the window thread and
// DELAY_MS, which processes window events meanwhile. Tests pass shorter ones.
struct FormPauses {
  std::function<void(int)> sleep;
  std::function<void(int)> delay;
};
FormPauses RealPauses();

// Where the port menu learns which ports are present; tests plug their own in.
using PortDiscovery = std::function<std::vector<platform::PresentPort>()>;
// The system's own list (platform::PresentPorts).
PortDiscovery SystemPortDiscovery();

// The timers' intervals in milliseconds: 270, 450 and 2000.
int TimerInterval(FormTimer timer);

class Form1Logic : private exchange::PollView, private exchange::ReplyTimeoutView {
 public:
  // Gives ComPort1 the window's fixed line settings, closed; calls nothing of `view` yet, so a
  // view may construct its logic before its controls. `view` must outlive the logic.
  // `frame_trace` (VLK240_TRACE) records the port's events, every exchange's frames and the
  // message of an open that failed; it must outlive the logic. Null: no trace. `discovery`
  // lists the ports present each time the port menu opens.
  explicit Form1Logic(Form1View& view, FormPauses pauses = RealPauses(),
                      trace::FrameTrace* frame_trace = nullptr,
                      PortDiscovery discovery = SystemPortDiscovery());
  ~Form1Logic() override;
  Form1Logic(const Form1Logic&) = delete;
  Form1Logic& operator=(const Form1Logic&) = delete;

  // Handlers, each under the exception guard.
  void FormCreate();
  void Button3Click();
  void CheckBox1Click();
  void ClickerBtnTimer();
  void LOGOTimer();
  void Time_is_outTimer();
  // A port item chosen (index 0..3 for COM11..COM41): checks it, then runs its handler.
  void PortItemClick(std::size_t index);
  void COM11Click() { PortItemClick(0); }
  void COM21Click() { PortItemClick(1); }
  void COM31Click() { PortItemClick(2); }
  void COM41Click() { PortItemClick(3); }
  // The menu is opening: the ports present now that the four items do not open, in the
  // system's order. None when they cannot be listed.
  std::vector<ExtraPortItem> ExtraPortItems() noexcept;
  // An extra port item chosen: checks it, then opens its port as a port item's handler does.
  void ExtraPortClick(const std::string& port_name);
  void C1Click();
  // The box opened with Form1View::OpenNoticeBox has been closed.
  void NoticeBoxClosed();
  // "Поиск прибора…": scans the bus on the open port in the search box, the read button, the
  // cyclic check box, the address and the menu disabled until it ends.
  void SearchClick();
  // The search box's events: a row chosen (its address goes to the address field and the box
  // closes, a running scan stopped first), "Отмена", the box closed.
  void SearchChoose(int row);
  void SearchCancel();
  void SearchBoxClosed();
  // A tick of `timer`: runs its handler, unless the timer is stopped or its handler still runs
  // from an earlier tick (a modal box is open), so that boxes do not pile up.
  void TimerTick(FormTimer timer);

  // Routines. They may throw; the handlers that call them catch.
  // Shows what a poll came to: a valid reply stops the reply time-out and goes to panel 1, a
  // normal one's readings to the memo; without one the armed time-out tells later.
  void ANALIZATOR(const polling::PollResult& result);
  void READ_Params();
  void SAVE_Params();

  // The state, for views and tests.
  bool TimerEnabled(FormTimer timer) const { return timers_[Slot(timer)].enabled; }
  // Time_is_out's Tag: the polls without a valid reply since the start.
  std::int32_t UnansweredPolls() const { return unanswered_polls_; }
  // The trend page, fed with the polls since the window opened; views call Trend().SetView(this).
  TrendPage& Trend() { return trend_; }

  comport::TComPort ComPort1;
  // The addresses the search probes and how long it waits at each: the whole range by default.
  scan::ScanSettings search_settings;

 private:
  struct TimerState {
    bool enabled = false;
    bool running = false;  // its handler runs
  };
  static std::size_t Slot(FormTimer timer) { return static_cast<std::size_t>(timer); }

  // Runs `body` as an event handler: exceptions go to the default exception box.
  void Guard(const std::function<void()>& body) noexcept;
  int MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgBtn button);

  // The bodies of Button3Click, CheckBox1Click and of a port item's handler, unguarded.
  void Poll();
  void ApplyCyclicState();
  // Stops everything cyclic polling started and unchecks its box, before an address is refused.
  void StopCyclicPolling();
  // The port item handler for port `port_name`, with `open_failure` the box's message.
  void ChoosePort(std::string_view port_name, std::string_view open_failure);
  // Checks the item, of the four or the extra ones, that opens `port_name`.
  void CheckPortItemOf(const std::string& port_name);

  // The body of SearchClick, and the address chosen in the search box put into the field.
  void Search();
  void TakeSearchChoice();
  SearchBox& Box();
  // The controls a search disables, and enables again after it.
  void SetSearchControlsEnabled(bool enabled);

  // Switch semantics: switching a timer on starts its interval from that moment, setting the
  // switch to the value it has changes nothing.
  void SetTimerEnabled(FormTimer timer, bool enabled);
  // Closes the port; a failing close is not worth a box of its own.
  void ClosePortQuietly();
  // Lets a port that failed go: closed, no item checked, the next poll opens it again.
  void ReleasePort();
  // Opens the port released after a failure again, without a box; false when it still cannot
  // be opened, which panel 1 then says.
  bool ReopenLostPort();

  // exchange::PollView
  void ClearPollTexts() override;
  void ProcessMessages() override;
  void ShowSentFrame(const std::string& text) override;
  void ArmReplyTimeout() override;
  void ShowErrorBox(const std::string& text) override;
  void ReleaseFailedPort() override;
  // exchange::ReplyTimeoutView
  void DisableReplyTimeout() override;
  std::int32_t ReplyTimeoutTag() const override;
  void SetReplyTimeoutTag(std::int32_t tag) override;
  void SetStatusPanel1(const std::string& text) override;

  Form1View& view_;
  FormPauses pauses_;
  PortDiscovery discovery_;
  std::array<TimerState, kFormTimerCount> timers_{};
  std::int32_t unanswered_polls_ = 0;
  // The port failed during a poll and was released: the next poll opens it again first.
  bool reopen_before_poll_ = false;
  // The port was just released: the exchange's next box tells of the loss.
  bool loss_to_report_ = false;
  // The box of a loss is open (Form1View::OpenNoticeBox).
  bool notice_box_open_ = false;
  exchange::ComPortLine exchange_port_{ComPort1};
  trace::FrameTrace* frame_trace_;
  std::optional<exchange::TracedPort> traced_port_;        // with a trace only
  exchange::ExchangePort* worker_port_ = &exchange_port_;  // the port the worker is given
  instrument::DecodedFields fields_;  // kept between replies, as the decoder expects
  std::optional<SearchBox> search_;  // made on first use, when the view's box exists
  int polled_address_ = 0;  // the address of the poll under way or last made
  TrendPage trend_;
};

}  // namespace form
