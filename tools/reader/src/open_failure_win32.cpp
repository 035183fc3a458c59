// What the reader adds when a COM port cannot be opened on Windows: the system's text for the
// Win32 code, and what the operator can do about it.
#include <string_view>

#include "reader/open_failure.h"
#include "runtime/win32_text.h"

namespace reader {
namespace {

constexpr std::string_view kNoPort =
    "No such port; vlk240-read --list-ports shows the COM ports present, Device Manager "
    "(\"Ports (COM & LPT)\") the adapter's number.";
constexpr std::string_view kInUse = "Another program uses the port. End it, then try again.";
constexpr std::string_view kNotConnected = "The adapter is not connected; plug it in again.";

struct Advice {
  int system_error;
  std::string_view text;
};
// Windows gives "access denied" for a COM port that another program holds open.
constexpr Advice kAdvice[] = {
    {2, kNoPort}, {3, kNoPort},        {5, kInUse},
    {32, kInUse}, {21, kNotConnected}, {1167, kNotConnected},
};

}  // namespace

std::string OpenFailureHint(int system_error) {
  if (system_error == 0) return {};
  std::string hint = ": " + runtime::Win32ErrorText(static_cast<std::uint32_t>(system_error)) + ".";
  for (const Advice& advice : kAdvice) {
    if (advice.system_error == system_error) return hint + " " + std::string(advice.text);
  }
  return hint;
}

}  // namespace reader
