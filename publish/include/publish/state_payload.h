#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace publish {

// The record's JSON object with `fields` (each after a comma) added at its end.
std::string WithFields(std::string_view json, std::string_view fields);

// The record's JSON object with "seq" (this process's number of the record, from 1) and, when
// records were dropped from a full queue just before it, "dropped" (how many) added at its end.
std::string StatePayload(std::string_view json, std::uint64_t seq, std::uint64_t dropped);

}  // namespace publish
