#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/EMUL_Functions.h"
#include "readings/reply_decoder.h"

namespace reader {

enum class PollOutcome {
  kAccepted,    // a valid normal reply: readings decoded
  kException,   // a valid exception reply: the instrument refused, no readings
  kUnanswered,  // no valid reply within the read time-out
  kPortError,   // the port failed during the exchange
};

// "accepted", "exception", "unanswered", "port_error".
std::string_view OutcomeName(PollOutcome outcome);

// What one accepted normal reply decoded; a field this reply's variant and
// fault code do not decode is empty, even when an earlier reply filled it.
struct ReplyReadings {
  std::uint8_t variant = 0;
  std::uint8_t fault = 0;
  std::optional<float> level1;
  std::optional<float> volume1;
  std::optional<float> level2;
  std::optional<float> volume2;
  float selfcal = 0.0F;
  std::uint8_t alarm_delay = 0;
  std::optional<std::array<bool, 4>> relays;  // relay 1 first; variants 1..3 only
};

// Picks the readings of the reply in `rx` out of `fields`, which the decoder
// has just updated from it.
ReplyReadings ReadingsOfReply(const EMUL_Functions::FrameBuffer& rx,
                              const readings::DecodedFields& fields);

struct PollRecord {
  std::chrono::system_clock::time_point time;  // when the poll started
  int address = 0;
  PollOutcome outcome = PollOutcome::kUnanswered;
  std::string sent_text;    // "Послано:   ..." as the window shows it
  std::string status_text;  // "Принято:   ..." or "Не отвечает (N)", may be empty
  std::vector<std::uint8_t> reply;        // the accepted reply's bytes, empty otherwise
  std::vector<std::string> lines;         // the memo lines after the poll
  std::optional<ReplyReadings> readings;  // accepted normal replies only
  std::int32_t unanswered_count = 0;      // the time-out count after the poll
  std::string error;                      // the port error's message
};

}  // namespace reader
