#include "reader/output_check.h"

#include <sys/stat.h>

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

bool OutputContinuesAFile(const std::ostream& out) {
  const auto* descriptor = dynamic_cast<const DescriptorOutput*>(out.rdbuf());
  struct stat file {};
  return descriptor != nullptr && ::fstat(descriptor->descriptor(), &file) == 0 &&
         S_ISREG(file.st_mode) && file.st_size > 0;
}

bool OutputWritten(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return true;
  err << "vlk240-read: standard output: " << WriteFailureReason(out) << '\n';
  return false;
}

}  // namespace reader
