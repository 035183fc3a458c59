#include "exchange/reply_timeout.h"

namespace exchange {

std::string NoAnswerText(std::int32_t count) {
  return "Не отвечает (" + std::to_string(count) + ")";
}

void Time_is_outTimer(ReplyTimeoutView& view) {
  view.DisableReplyTimeout();
  // Two's-complement wrap instead of signed overflow, should a run ever get that far.
  const auto tag =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(view.ReplyTimeoutTag()) + 1U);
  view.SetReplyTimeoutTag(tag);
  view.SetStatusPanel1(NoAnswerText(tag));
}

}  // namespace exchange
