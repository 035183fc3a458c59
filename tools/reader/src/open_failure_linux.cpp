#include "reader/open_failure.h"

#include <cerrno>
#include <string_view>
#include <system_error>

namespace reader {
namespace {

constexpr std::string_view kJoinDialout =
    "Join the group dialout (sudo usermod -aG dialout $USER), then log in again.";
constexpr std::string_view kInUse = "Another program uses the port. End it, then try again.";
constexpr std::string_view kNoDevice =
    "No such device; vlk240-read --list-ports shows the serial devices present.";
constexpr std::string_view kNotSerial = "Not a serial port.";

struct Advice {
  int system_error;
  std::string_view text;
};
// EWOULDBLOCK is another program's lock on the device; EIO at open is a
// serial port name without a UART behind it.
constexpr Advice kAdvice[] = {
    {EACCES, kJoinDialout}, {EPERM, kJoinDialout}, {EBUSY, kInUse},      {EWOULDBLOCK, kInUse},
    {ENOENT, kNoDevice},    {ENXIO, kNoDevice},    {ENODEV, kNoDevice},  {ENOTDIR, kNoDevice},
    {EIO, kNoDevice},       {ENOTTY, kNotSerial},  {EISDIR, kNotSerial},
};

}  // namespace

std::string OpenFailureHint(int system_error) {
  if (system_error == 0) return {};
  std::string hint = ": " + std::generic_category().message(system_error) + ".";
  for (const Advice& advice : kAdvice) {
    if (advice.system_error == system_error) return hint + " " + std::string(advice.text);
  }
  return hint;
}

}  // namespace reader
