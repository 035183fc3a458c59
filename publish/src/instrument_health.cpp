#include "publish/instrument_health.h"

#include "publish/discovery.h"

namespace publish {

bool InstrumentHealth::Take(const Record& record) {
  const std::string_view before = Availability();
  if (record.answered) {
    unanswered_ = 0;
    answered_ever_ = true;
  } else {
    ++unanswered_;
  }
  if (record.late) ++late_;
  if (record.variant) last_good_ = record.time;
  return Availability() != before;
}

std::string_view InstrumentHealth::Availability() const {
  if (unanswered_ >= kOfflineAfterUnanswered) return "offline";
  return answered_ever_ ? "online" : "";
}

std::string InstrumentHealth::JsonFields() const {
  return ",\"unanswered_polls\":" + std::to_string(unanswered_) +
         ",\"late_replies\":" + std::to_string(late_) +
         ",\"last_good\":" + (last_good_.empty() ? "null" : "\"" + last_good_ + "\"");
}

}  // namespace publish
