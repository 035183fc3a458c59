#include "readings/record_outcome.h"

namespace readings {

std::string_view OutcomeName(RecordOutcome outcome) {
  switch (outcome) {
    case RecordOutcome::kAccepted:
      return "accepted";
    case RecordOutcome::kException:
      return "exception";
    case RecordOutcome::kUnanswered:
      return "unanswered";
    case RecordOutcome::kPortError:
      return "port_error";
    case RecordOutcome::kJammed:
      return "jammed";
  }
  return "unanswered";
}

}  // namespace readings
