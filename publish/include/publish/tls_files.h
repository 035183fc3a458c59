// The TLS files checked before connecting, so that a file of ours that cannot serve is told as
// ours, with the reason, and never as the broker's refusal.
#pragma once

#include <string>

namespace publish {

// Why `path` cannot serve as PEM certificates (an authority, or our own certificate first);
// empty when it can.
std::string CertificateFileProblem(const std::string& path);

// Why `key_path` cannot serve as the unencrypted PEM key of the first certificate in
// `certificate_path`; empty when it can.
std::string KeyFileProblem(const std::string& key_path, const std::string& certificate_path);

}  // namespace publish
