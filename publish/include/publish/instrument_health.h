#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "publish/record.h"

namespace publish {

// What one instrument's records tell of it: polls in a row without a valid reply, late
// replies since the start, the time of the last readings, and from these its availability.
class InstrumentHealth {
 public:
  // Counts the record in; true when the availability changed (also from not yet known).
  bool Take(const Record& record);
  // "online", "offline", or empty while neither is known: no reply yet, and fewer than
  // kOfflineAfterUnanswered polls.
  std::string_view Availability() const;
  // The fields the state payload adds: "unanswered_polls", "late_replies" and "last_good"
  // (null before the first readings), each after a comma.
  std::string JsonFields() const;

 private:
  std::uint64_t unanswered_ = 0;
  std::uint64_t late_ = 0;
  std::string last_good_;
  bool answered_ever_ = false;
};

}  // namespace publish
