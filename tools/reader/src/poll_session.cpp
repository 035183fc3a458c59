#include "reader/poll_session.h"

#include <algorithm>
#include <utility>

#include "exchange/EMUL_Functions.h"
#include "exchange/poll.h"
#include "exchange/reply_timeout.h"
#include "polling/poll_instrument.h"
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

namespace {

// The record tells a port that was not open and one that failed alike.
PollOutcome RecordOutcome(polling::PollOutcome outcome) {
  switch (outcome) {
    case polling::PollOutcome::kAccepted:
      return PollOutcome::kAccepted;
    case polling::PollOutcome::kException:
      return PollOutcome::kException;
    case polling::PollOutcome::kUnanswered:
      return PollOutcome::kUnanswered;
    case polling::PollOutcome::kPortClosed:
    case polling::PollOutcome::kPortError:
      return PollOutcome::kPortError;
  }
  return PollOutcome::kUnanswered;
}

}  // namespace

PollSession::PollSession(exchange::UART_THREAT& worker, std::string separator)
    : worker_(worker),
      separator_(std::move(separator)),
      view_(std::make_unique<ConsolePollView>()) {}

PollSession::~PollSession() = default;

PollRecord PollSession::Poll(std::uint8_t address) {
  PollRecord record;
  record.time = std::chrono::system_clock::now();
  record.address = address;
  view_->error_text.clear();

  polling::PollResult result = polling::PollInstrument(address, *view_, worker_, fields_);
  if (result.readings) fields_from_ = record.time;
  record.outcome = RecordOutcome(result.outcome);
  if (result.Answered()) {
    view_->DisableReplyTimeout();
    view_->SetStatusPanel1(readings::ReceivedStatusText(EMUL_Functions::RX_TEXT));
    record.reply = std::move(result.reply);
    if (result.readings) record.lines = readings::MemoLines(*result.readings, separator_);
    record.readings = std::move(result.readings);
  } else {
    // The port's own message, not the window's box that wraps it.
    record.error =
        result.outcome == polling::PollOutcome::kPortError ? result.error : view_->error_text;
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

PollRecord PollSession::Late(const polling::SharedLine::LateReply& reply) {
  PollRecord record;
  record.time = reply.requested;
  record.address = reply.address;
  record.late = true;
  record.reply = reply.frame;
  instrument::DecodedFields earlier = fields_;
  const bool newest = reply.requested > fields_from_;
  record.readings = instrument::Decode(reply.frame, newest ? fields_ : earlier);
  if (newest && record.readings) fields_from_ = reply.requested;
  record.outcome = record.readings ? PollOutcome::kAccepted : PollOutcome::kException;
  if (record.readings) record.lines = readings::MemoLines(*record.readings, separator_);
  record.status_text =
      readings::ReceivedStatusText(protocol::FrameText(reply.frame.data(), reply.frame.size()));
  record.unanswered_count = view_->tag;
  return record;
}

}  // namespace reader
