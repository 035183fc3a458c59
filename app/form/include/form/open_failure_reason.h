// Why a port item's port did not open, for the second line of its box: "Не могу открыть СОМ n"
// alone does not tell a missing adapter from a port that another program holds or one the
// operator has no right to. Each system's error codes of a failed open map to a short reason and
// what to do about it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace form {

struct OpenFailureCause {
  int system_error;  // errno on Linux, GetLastError's code on Windows
  std::string_view reason;
};

// This system's table, one entry per error code (open_failure_reason_linux.cpp, _win32.cpp).
std::span<const OpenFailureCause> OpenFailureCauses();

// The reason for `system_error`; for a code the table lacks, the code itself.
std::string OpenFailureReason(int system_error);

// The box's text: `message`, then on a line of its own (a lone CR, as the boxes break lines) the
// reason, when the failure carries a system error code.
std::string OpenFailureText(std::string_view message, std::optional<int> system_error);

}  // namespace form
