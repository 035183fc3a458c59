// The reply time-out: fires when a poll got no valid reply and shows the running count.
#pragma once

#include <cstdint>
#include <string>

namespace exchange {

// The window's reply time-out timer and the status panel it writes. Window thread only.
class ReplyTimeoutView {
 public:
  virtual ~ReplyTimeoutView() = default;
  virtual void DisableReplyTimeout() = 0;
  // The timer's Tag: time-outs since the program started, never reset.
  virtual std::int32_t ReplyTimeoutTag() const = 0;
  virtual void SetReplyTimeoutTag(std::int32_t tag) = 0;
  // Panel 1 (the second) of the status bar.
  virtual void SetStatusPanel1(const std::string& text) = 0;
};

// "Не отвечает (N)".
std::string NoAnswerText(std::int32_t count);

// Handler of the time-out's timer event: disable, count one more, show the count.
void Time_is_outTimer(ReplyTimeoutView& view);

}  // namespace exchange
