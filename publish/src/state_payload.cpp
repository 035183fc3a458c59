#include "publish/state_payload.h"

namespace publish {

std::string WithFields(std::string_view json, std::string_view fields) {
  std::string payload(json.substr(0, json.rfind('}')));
  payload += fields;
  return payload + "}";
}

std::string StatePayload(std::string_view json, std::uint64_t seq, std::uint64_t dropped) {
  std::string fields = ",\"seq\":" + std::to_string(seq);
  if (dropped > 0) fields += ",\"dropped\":" + std::to_string(dropped);
  return WithFields(json, fields);
}

}  // namespace publish
