// How a poll record ended, as the command-line reader's JSON and CSV name it and the trend page
// saves it.
#pragma once

#include <string_view>

namespace readings {

enum class RecordOutcome {
  kAccepted,    // a valid normal reply: readings decoded
  kException,   // a valid exception reply: the instrument refused, no readings
  kUnanswered,  // no valid reply within the read time-out
  kPortError,   // the port failed during the exchange
  kJammed,      // the line never went quiet for the request: nothing was sent
};

// "accepted", "exception", "unanswered", "port_error", "jammed".
std::string_view OutcomeName(RecordOutcome outcome);

}  // namespace readings
