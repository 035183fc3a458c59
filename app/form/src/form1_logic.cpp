// Start-up, one-shot and cyclic polling, the indicator, the timers and the reply time-out.
#include "form/form1_logic.h"

#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "exchange/EMUL_Functions.h"
#include "exchange/exchange_timing.h"
#include "exchange/instrument_port.h"
#include "exchange/port_trace.h"
#include "form/form_texts.h"
#include "readings/decimal_separator.h"
#include "readings/reply_decoder.h"
#include "runtime/int_text.h"

namespace form {
namespace {

constexpr std::int32_t kMinAddress = 1;
constexpr std::int32_t kMaxAddress = 247;

std::string Text(std::string_view text) { return std::string(text); }

}  // namespace

FormPauses RealPauses() {
  return FormPauses{
      [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
      [](int ms) { EMUL_Functions::DELAY_MS(ms); },
  };
}

int TimerInterval(FormTimer timer) {
  switch (timer) {
    case FormTimer::kTimeIsOut:
      return exchange::REPLY_TIMEOUT_MS;
    case FormTimer::kLogo:
      return 450;
    case FormTimer::kClickerBtn:
      return 2000;
  }
  return 0;
}

Form1Logic::Form1Logic(Form1View& view, FormPauses pauses, trace::FrameTrace* frame_trace,
                       PortDiscovery discovery)
    : view_(view),
      pauses_(std::move(pauses)),
      discovery_(std::move(discovery)),
      frame_trace_(frame_trace) {
  // The port as the window's definition places it: fixed line settings, name COM1, closed.
  ComPort1.SetName("ComPort1");
  ComPort1.BeginLoading();
  exchange::AssignInstrumentLineSettings(ComPort1);
  ComPort1.SetPort("COM1");
  ComPort1.EndLoading();
  if (frame_trace_ != nullptr) {
    exchange::TracePortEvents(ComPort1, *frame_trace_);
    worker_port_ = &traced_port_.emplace(exchange_port_, *frame_trace_);
  }
  trend_.SetFailureBox([this](const std::string& text) {
    MessageDlg(text, TMsgDlgType::mtError, TMsgDlgBtn::mbOK);
  });
}

Form1Logic::~Form1Logic() {
  // The worker outlives the window; it must not keep a pointer into it.
  exchange::UART_THREAT::Instance().SetPort(nullptr);
}

void Form1Logic::Guard(const std::function<void()>& body) noexcept {
  // A failing box must not throw out of a handler either.
  try {
    try {
      body();
    } catch (const std::exception& error) {
      view_.ShowExceptionBox(error.what());
    } catch (...) {
      view_.ShowExceptionBox("Unknown exception");
    }
  } catch (...) {
  }
}

int Form1Logic::MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgBtn button) {
  return view_.ShowMessageBox(MessageBoxOf(text, type, button));
}

void Form1Logic::SetTimerEnabled(FormTimer timer, bool enabled) {
  TimerState& state = timers_[Slot(timer)];
  if (state.enabled == enabled) return;
  state.enabled = enabled;
  if (enabled) {
    view_.StartTimer(timer, TimerInterval(timer));
  } else {
    view_.StopTimer(timer);
  }
}

void Form1Logic::TimerTick(FormTimer timer) {
  TimerState& state = timers_[Slot(timer)];
  if (!state.enabled || state.running) return;
  state.running = true;
  struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
  } clear{state.running};
  switch (timer) {
    case FormTimer::kTimeIsOut:
      Time_is_outTimer();
      break;
    case FormTimer::kLogo:
      LOGOTimer();
      break;
    case FormTimer::kClickerBtn:
      ClickerBtnTimer();
      break;
  }
}

void Form1Logic::FormCreate() {
  Guard([this] {
    view_.SetApplicationTitle(Text(texts::kAppTitle));
    view_.ClearMemo();
    view_.SetStaticText("");
    view_.SetStatusText(kReplyPanel, "");
    READ_Params();
    // The worker is created parked on first use; it runs the exchanges on this window's port.
    exchange::UART_THREAT::Instance().SetPort(worker_port_);
    view_.SetAddressText("1");
  });
}

void Form1Logic::Button3Click() {
  Guard([this] { Poll(); });
}

void Form1Logic::Poll() {
  view_.ClearMemo();
  std::int32_t address = 0;
  try {
    address = runtime::StrToInt(view_.AddressText());
  } catch (...) {
    // The field cannot be edited while cyclic polling runs, so every tick would fail alike and
    // bring the box back at once: the first one ends cyclic polling, as a number out of range
    // does.
    if (TimerEnabled(FormTimer::kClickerBtn)) StopCyclicPolling();
    throw;
  }
  if (address >= kMinAddress && address <= kMaxAddress) {
    if (reopen_before_poll_ && !ReopenLostPort()) return;
    polled_address_ = address;
    ANALIZATOR(polling::PollInstrument(static_cast<std::uint8_t>(address), *this,
                                       exchange::UART_THREAT::Instance(), fields_));
    return;
  }
  StopCyclicPolling();
  if (MessageDlg(texts::kBadAddress, TMsgDlgType::mtWarning, TMsgDlgBtn::mbOK) == mrOk) {
    view_.SetAddressText("1");
    view_.SetAddressEnabled(true);
  }
}

void Form1Logic::StopCyclicPolling() {
  view_.SetIndicatorFill(IndicatorFill::kWhite);
  view_.SetIndicatorVisible(false);
  SetTimerEnabled(FormTimer::kLogo, false);
  SetTimerEnabled(FormTimer::kClickerBtn, false);
  view_.SetReadButtonEnabled(true);
  view_.SetReadButtonCaption(Text(texts::kReadButton));
  // Unchecking by code runs the check box's handler, as the operator's click would.
  if (view_.CyclicChecked()) {
    view_.SetCyclicChecked(false);
    ApplyCyclicState();
  }
  view_.ProcessMessages();
}

void Form1Logic::CheckBox1Click() {
  Guard([this] { ApplyCyclicState(); });
}

void Form1Logic::ApplyCyclicState() {
  const bool cyclic = view_.CyclicChecked();
  view_.SetReadButtonEnabled(!cyclic);
  view_.SetAddressEnabled(!cyclic);
  SetTimerEnabled(FormTimer::kClickerBtn, cyclic);
  view_.SetIndicatorVisible(cyclic);
  // The port cannot be changed or saved while cyclic polling runs.
  view_.SetMenuEnabled(!cyclic);
  if (cyclic) {
    view_.SetReadButtonCaption(Text(texts::kPollingButton));
  } else {
    view_.SetReadButtonCaption(Text(texts::kReadButton));
    view_.ClearMemo();
  }
  view_.ProcessMessages();
}

void Form1Logic::ClickerBtnTimer() {
  // A poll that throws (the address is no number) skips the blink.
  Guard([this] {
    Poll();
    SetTimerEnabled(FormTimer::kLogo, true);
    view_.SetIndicatorFill(IndicatorFill::kRed);
  });
}

void Form1Logic::LOGOTimer() {
  Guard([this] {
    view_.SetIndicatorFill(IndicatorFill::kWhite);
    SetTimerEnabled(FormTimer::kLogo, false);
  });
}

void Form1Logic::Time_is_outTimer() {
  Guard([this] {
    exchange::Time_is_outTimer(*this);
    trend_.RecordGap(polled_address_);
  });
}

void Form1Logic::ANALIZATOR(const polling::PollResult& result) {
  if (!result.Answered()) return;  // the armed time-out reports the unanswered poll
  SetTimerEnabled(FormTimer::kTimeIsOut, false);
  view_.SetStatusText(kReplyPanel, readings::ReceivedStatusText(EMUL_Functions::RX_TEXT));
  if (!result.readings) return;  // exception reply: the memo stays as it is
  trend_.RecordReadings(polled_address_, *result.readings);
  view_.ClearMemo();
  for (const std::string& line :
       readings::MemoLines(*result.readings, readings::DecimalSeparator()))
    view_.AddMemoLine(line);
}

void Form1Logic::ClearPollTexts() {
  view_.SetStaticText("");
  view_.SetStatusText(kReplyPanel, "");
}

void Form1Logic::ProcessMessages() { view_.ProcessMessages(); }

void Form1Logic::ShowSentFrame(const std::string& text) { view_.SetStaticText(text); }

void Form1Logic::ArmReplyTimeout() { SetTimerEnabled(FormTimer::kTimeIsOut, true); }

void Form1Logic::DisableReplyTimeout() { SetTimerEnabled(FormTimer::kTimeIsOut, false); }

std::int32_t Form1Logic::ReplyTimeoutTag() const { return unanswered_polls_; }

void Form1Logic::SetReplyTimeoutTag(std::int32_t tag) { unanswered_polls_ = tag; }

void Form1Logic::SetStatusPanel1(const std::string& text) {
  view_.SetStatusText(kReplyPanel, text);
}

}  // namespace form
