#include "tls_failure.h"

namespace publish {
namespace {

struct Known {
  std::string_view logged;  // a part of the library's or OpenSSL's words
  std::string_view meaning;
  bool refusal;
};

// In order: the host name's check is logged before the verification failure it leads to.
constexpr Known kKnown[] = {
    {"host name verification failed", "the broker's certificate does not name the host", true},
    {"certificate verify failed",
     "the broker's certificate is not signed by --ca-file (or, without it, the system's "
     "authorities), or has expired",
     true},
    {"alert certificate required",
     "the broker asks for our certificate: give --cert-file and --key-file", true},
    {"alert unknown ca", "the broker refused our certificate: it does not trust its signer", true},
    {"alert bad certificate", "the broker refused our certificate", true},
    {"alert certificate expired", "the broker refused our certificate: it has expired", true},
    {"alert certificate revoked", "the broker refused our certificate: it was revoked", true},
    {"alert certificate unknown", "the broker refused our certificate", true},
    {"alert unsupported certificate", "the broker refused our certificate", true},
    {"wrong version number", "the broker does not speak TLS at this port", true},
    {"unexpected eof", "the broker closed the connection", false},
};

constexpr std::string_view kOpenSslError = "OpenSSL Error";

}  // namespace

TlsFailure ExplainTlsFailure(std::string_view logged) {
  for (const Known& known : kKnown) {
    if (logged.find(known.logged) != std::string_view::npos) {
      return {
          (known.refusal ? "TLS refused: " : "TLS handshake failed: ") + std::string(known.meaning),
          known.refusal};
    }
  }
  // Another of OpenSSL's reasons, told in its own words: the last line's end, after its codes.
  const std::size_t at = logged.rfind(kOpenSslError);
  if (at == std::string_view::npos) return {};
  std::string_view line = logged.substr(at);
  line = line.substr(0, line.find('\n'));
  return {"TLS failed: " + std::string(line.substr(line.rfind(':') + 1)), true};
}

}  // namespace publish
