#include "reader/output_check.h"

#include <string>
#include <system_error>

#include "reader/descriptor_output.h"

namespace reader {
namespace {

std::string WriteFailureReason(const std::ostream& out) {
  const auto* descriptor = dynamic_cast<const DescriptorOutput*>(out.rdbuf());
  if (descriptor != nullptr && descriptor->error() != 0) {
    return std::generic_category().message(descriptor->error());
  }
  return "the output could not be written";
}

}  // namespace

bool OutputWritten(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return true;
  err << "vlk240-read: standard output: " << WriteFailureReason(out) << '\n';
  return false;
}

}  // namespace reader
