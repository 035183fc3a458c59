// What a failed TLS handshake means, from the errors the client library logged for it.
#pragma once

#include <string>
#include <string_view>

namespace publish {

struct TlsFailure {
  std::string meaning;  // empty: the errors are not of a handshake
  // Our certificate, or the broker's, was refused: trying again changes nothing.
  bool refusal = false;
};

// `logged`: the library's error lines of one connection attempt, one after another.
TlsFailure ExplainTlsFailure(std::string_view logged);

}  // namespace publish
