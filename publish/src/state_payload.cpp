#include "publish/state_payload.h"

namespace publish {

std::string StatePayload(std::string_view json, std::uint64_t seq, std::uint64_t dropped) {
  std::string payload(json.substr(0, json.rfind('}')));
  payload += ",\"seq\":" + std::to_string(seq);
  if (dropped > 0) payload += ",\"dropped\":" + std::to_string(dropped);
  return payload + "}";
}

}  // namespace publish
