// Start-up, one-shot and cyclic polling, the indicator and the reply time-out.
#include "window/form1.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "exchange/EMUL_Functions.h"
#include "exchange/port_trace.h"
#include "protocol/frames.h"
#include "readings/decimal_separator.h"
#include "runtime/int_text.h"
#include "window/form_texts.h"

namespace window {
namespace {

constexpr std::int32_t kMinAddress = 1;
constexpr std::int32_t kMaxAddress = 247;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

FormPauses RealPauses() {
  return FormPauses{
      [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
      [](int ms) { EMUL_Functions::DELAY_MS(ms); },
  };
}

TForm1::TForm1(Application& app, FormPauses pauses, trace::FrameTrace* frame_trace)
    : Time_is_out(exchange::REPLY_TIMEOUT_MS, Handler(&TForm1::Time_is_outTimer)),
      LOGO(450, Handler(&TForm1::LOGOTimer)),
      ClickerBtn(2000, Handler(&TForm1::ClickerBtnTimer)),
      app_(app),
      pauses_(std::move(pauses)),
      frame_trace_(frame_trace) {
  CreateControls();
  LoadPortDefinition();
  if (frame_trace_ != nullptr) {
    exchange::TracePortEvents(ComPort1, *frame_trace_);
    worker_port_ = &traced_port_.emplace(exchange_port_, *frame_trace_);
  }
  app_.Guard([this] { FormCreate(); });
}

TForm1::~TForm1() {
  // The worker outlives the window; it must not keep a pointer into it.
  exchange::UART_THREAT::Instance().SetPort(nullptr);
}

std::function<void()> TForm1::Handler(void (TForm1::*handler)()) {
  return [this, handler] { app_.Guard([this, handler] { (this->*handler)(); }); };
}

bool TForm1::MenuEnabled() const { return menuBar()->isEnabled(); }

void TForm1::FormCreate() {
  app_.SetTitle(std::string(texts::kAppTitle));
  Memo1->Clear();
  StaticText1->clear();
  StatusBar1->SetPanelText(1, "");
  READ_Params();
  // The worker is created parked on first use; it runs the exchanges on this window's port.
  exchange::UART_THREAT::Instance().SetPort(worker_port_);
  Edit1->setText(QStringLiteral("1"));
}

void TForm1::Button3Click() {
  Memo1->Clear();
  const std::int32_t address = comport::StrToInt(Edit1->text().toStdString());
  if (address >= kMinAddress && address <= kMaxAddress) {
    if (reopen_before_poll_ && !ReopenLostPort()) return;
    const protocol::ReadRequest request =
        protocol::FillReadRequest(EMUL_Functions::TX_BUF, static_cast<std::uint8_t>(address));
    EMUL_Functions::TX_LEN = request.tx_len;
    EMUL_Functions::RX_LEN = request.rx_len;
    POTOK_START();
    ANALIZATOR();
    return;
  }
  // Stop everything cyclic polling started before telling the operator.
  Shape1->SetBrushColor(Qt::white);
  Shape1->hide();
  LOGO.SetEnabled(false);
  ClickerBtn.SetEnabled(false);
  Button3->setEnabled(true);
  Button3->setText(Q(texts::kReadButton));
  CheckBox1->setChecked(false);
  app_.ProcessMessages();
  if (MessageDlg(app_, texts::kBadAddress, TMsgDlgType::mtWarning, TMsgDlgBtn::mbOK) == mrOk) {
    Edit1->setText(QStringLiteral("1"));
    Edit1->setEnabled(true);
  }
}

void TForm1::CheckBox1Click() {
  const bool cyclic = CheckBox1->isChecked();
  Button3->setEnabled(!cyclic);
  Edit1->setEnabled(!cyclic);
  ClickerBtn.SetEnabled(cyclic);
  Shape1->setVisible(cyclic);
  // The port cannot be changed or saved while cyclic polling runs.
  menuBar()->setEnabled(!cyclic);
  if (cyclic) {
    Button3->setText(Q(texts::kPollingButton));
  } else {
    Button3->setText(Q(texts::kReadButton));
    Memo1->Clear();
  }
  app_.ProcessMessages();
}

void TForm1::ClickerBtnTimer() {
  Button3Click();
  LOGO.SetEnabled(true);
  Shape1->SetBrushColor(Qt::red);
}

void TForm1::LOGOTimer() {
  Shape1->SetBrushColor(Qt::white);
  LOGO.SetEnabled(false);
}

void TForm1::Time_is_outTimer() { exchange::Time_is_outTimer(*this); }

void TForm1::POTOK_START() { exchange::POTOK_START(*this, exchange::UART_THREAT::Instance()); }

void TForm1::ANALIZATOR() {
  if (EMUL_Functions::RX_STATE.load(std::memory_order_acquire) != EMUL_Functions::RX_ACCEPTED) {
    return;  // the armed time-out reports the unanswered poll
  }
  Time_is_out.SetEnabled(false);
  StatusBar1->SetPanelText(1, readings::ReceivedStatusText(EMUL_Functions::RX_TEXT));
  const auto lines =
      readings::DecodeReply(EMUL_Functions::RX_BUF, fields_, readings::DecimalSeparator());
  if (!lines) return;  // exception reply: the memo stays as it is
  Memo1->Clear();
  for (const std::string& line : *lines) Memo1->Add(line);
}

void TForm1::ClearPollTexts() {
  StaticText1->clear();
  StatusBar1->SetPanelText(1, "");
}

void TForm1::ProcessMessages() { app_.ProcessMessages(); }

void TForm1::ShowSentFrame(const std::string& text) {
  StaticText1->setText(QString::fromStdString(text));
}

void TForm1::ArmReplyTimeout() { Time_is_out.SetEnabled(true); }

void TForm1::ShowErrorBox(const std::string& text) {
  MessageDlg(app_, text, TMsgDlgType::mtError, TMsgDlgBtn::mbCancel);
}

void TForm1::DisableReplyTimeout() { Time_is_out.SetEnabled(false); }

std::int32_t TForm1::ReplyTimeoutTag() const { return Time_is_out.Tag; }

void TForm1::SetReplyTimeoutTag(std::int32_t tag) { Time_is_out.Tag = tag; }

void TForm1::SetStatusPanel1(const std::string& text) { StatusBar1->SetPanelText(1, text); }

}  // namespace window
