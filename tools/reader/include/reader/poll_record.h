#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/readings.h"
#include "readings/record_outcome.h"

namespace reader {

// The outcomes and their names are the records' own, shared with the window's trend.
using PollOutcome = readings::RecordOutcome;
using readings::OutcomeName;

struct PollRecord {
  std::chrono::system_clock::time_point time;  // when the poll started (late: its poll's)
  int address = 0;
  PollOutcome outcome = PollOutcome::kUnanswered;
  std::string sent_text;    // "Послано:   ..." as the window shows it
  std::string status_text;  // "Принято:   ..." or "Не отвечает (N)", may be empty
  std::vector<std::uint8_t> reply;               // the accepted reply's bytes, empty otherwise
  std::vector<std::string> lines;                // the memo lines after the poll
  std::optional<instrument::Readings> readings;  // accepted normal replies only
  std::int32_t unanswered_count = 0;             // the time-out count after the poll
  std::string error;                             // the port error's message
  // The reply came after its poll's wait: a record of its own, after that poll's unanswered one.
  bool late = false;
};

}  // namespace reader
