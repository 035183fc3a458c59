#include "form/open_failure_reason.h"

namespace form {

std::string OpenFailureReason(int system_error) {
  for (const OpenFailureCause& cause : OpenFailureCauses()) {
    if (cause.system_error == system_error) return std::string(cause.reason);
  }
  return "Код ошибки системы: " + std::to_string(system_error) + ".";
}

std::string OpenFailureText(std::string_view message, std::optional<int> system_error) {
  std::string text(message);
  if (system_error) text += '\r' + OpenFailureReason(*system_error);
  return text;
}

}  // namespace form
