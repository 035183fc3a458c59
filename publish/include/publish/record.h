#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace publish {

// One poll of one address as the reader writes it: the record's JSON object (one line, no
// newline) and the instrument's variant when the reply gave one.
struct Record {
  std::uint8_t address = 0;
  std::string json;
  std::optional<unsigned> variant;
  bool answered = false;  // a valid reply came, readings or an exception
  bool late = false;      // the reply came after its poll's wait
  std::string time;       // the record's "time"
};

}  // namespace publish
