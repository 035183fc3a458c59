#include "reader/poll_record.h"

namespace reader {

std::string_view OutcomeName(PollOutcome outcome) {
  switch (outcome) {
    case PollOutcome::kAccepted:
      return "accepted";
    case PollOutcome::kException:
      return "exception";
    case PollOutcome::kUnanswered:
      return "unanswered";
    case PollOutcome::kPortError:
      return "port_error";
  }
  return "unanswered";
}

}  // namespace reader
