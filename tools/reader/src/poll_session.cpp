#include "reader/poll_session.h"

#include "exchange/EMUL_Functions.h"
#include "exchange/poll.h"
#include "exchange/reply_timeout.h"
#include "instrument/read_request.h"
#include "protocol/frames.h"
#include "readings/reply_decoder.h"

namespace reader {

// The window's texts and reply time-out timer, kept as plain values. The
// time-out "fires" at the end of a poll that left it armed: the reader does not
// poll again within its 270 ms.
class ConsolePollView : public exchange::PollView, public exchange::ReplyTimeoutView {
 public:
  void ClearPollTexts() override {
    sent_text.clear();
    status_text.clear();
  }
  void ProcessMessages() override {}
  void ShowSentFrame(const std::string& text) override { sent_text = text; }
  void ArmReplyTimeout() override { armed = true; }
  void ShowErrorBox(const std::string& text) override { error_text = text; }

  void DisableReplyTimeout() override { armed = false; }
  std::int32_t ReplyTimeoutTag() const override { return tag; }
  void SetReplyTimeoutTag(std::int32_t value) override { tag = value; }
  void SetStatusPanel1(const std::string& text) override { status_text = text; }

  std::string sent_text;
  std::string status_text;
  std::string error_text;
  bool armed = false;
  std::int32_t tag = 0;
};

PollSession::PollSession(exchange::UART_THREAT& worker, std::string separator)
    : worker_(worker),
      separator_(std::move(separator)),
      view_(std::make_unique<ConsolePollView>()) {}

PollSession::~PollSession() = default;

PollRecord PollSession::Poll(std::uint8_t address) {
  using namespace EMUL_Functions;
  PollRecord record;
  record.time = std::chrono::system_clock::now();
  record.address = address;
  view_->error_text.clear();

  const protocol::ReadRequest request = instrument::FillReadRequest(TX_BUF, address);
  TX_LEN = request.tx_len;
  RX_LEN = request.rx_len;
  const exchange::ExchangeResult result = exchange::POTOK_START(*view_, worker_);

  if (RX_STATE.load(std::memory_order_acquire) == RX_ACCEPTED &&
      result.outcome == exchange::ExchangeOutcome::kAccepted) {
    view_->DisableReplyTimeout();
    view_->SetStatusPanel1(readings::ReceivedStatusText(RX_TEXT));
    const bool exception = (RX_BUF[1] & protocol::EXCEPTION_FLAG) != 0;
    const std::size_t length =
        exception ? protocol::EXCEPTION_REPLY_LENGTH : static_cast<std::size_t>(RX_LEN);
    record.reply.assign(RX_BUF.begin(), RX_BUF.begin() + static_cast<std::ptrdiff_t>(length));
    record.readings = instrument::Decode(RX_BUF, fields_);
    if (record.readings) {
      record.outcome = PollOutcome::kAccepted;
      record.lines = readings::MemoLines(*record.readings, separator_);
    } else {
      record.outcome = PollOutcome::kException;
    }
  } else {
    const bool port_failed = result.outcome == exchange::ExchangeOutcome::kPortError ||
                             result.outcome == exchange::ExchangeOutcome::kPortClosed;
    record.outcome = port_failed ? PollOutcome::kPortError : PollOutcome::kUnanswered;
    // The port's own message, not the window's box that wraps it.
    record.error =
        result.outcome == exchange::ExchangeOutcome::kPortError ? result.error : view_->error_text;
    // Nothing disarmed the time-out, so it fires as in the window: a port
    // failure counts too.
    if (view_->armed) exchange::Time_is_outTimer(*view_);
  }
  record.sent_text = view_->sent_text;
  record.status_text = view_->status_text;
  record.unanswered_count = view_->tag;
  return record;
}

PollRecord PollSession::PortUnavailable(std::uint8_t address, std::string error) {
  view_->ClearPollTexts();
  view_->SetStatusPanel1(std::string(exchange::PORT_UNAVAILABLE_TEXT));
  PollRecord record;
  record.time = std::chrono::system_clock::now();
  record.address = address;
  record.outcome = PollOutcome::kPortError;
  record.status_text = view_->status_text;
  record.unanswered_count = view_->tag;
  record.error = std::move(error);
  return record;
}

}  // namespace reader
