#include "port_opening.h"

#include <exception>

#include "comport/com_errors.h"
#include "platform/comm_api.h"
#include "platform/port_names.h"
#include "reader/open_failure.h"

namespace reader {
namespace {

// The errno behind a port that could not be opened; 0 for any other error.
// The component raises right after the failed call, so the calling thread's
// last system error is still that call's.
int OpenSystemError(const std::exception& error) {
  const auto* port_error = dynamic_cast<const comport::EComPort*>(&error);
  if (port_error == nullptr || port_error->PortErrorCode() != comport::kErrOpenFailed) return 0;
  return platform::Comm().GetLastSystemError();
}

}  // namespace

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

bool OpenReaderPort(std::optional<ReaderPort>& port, exchange::UART_THREAT& worker,
                    const std::string& port_name, trace::FrameTrace* frame_trace,
                    std::ostream& err) {
  try {
    port.emplace(worker, port_name, frame_trace);
  } catch (const std::exception& error) {
    const std::string device = platform::ResolvePortName(port_name);
    err << "vlk240-read: cannot open port " << port_name
        << (device.empty() || device == port_name ? "" : " (" + device + ")") << ": "
        << OneLine(error.what()) << OpenFailureHint(OpenSystemError(error)) << '\n';
    return false;
  }
  return true;
}

}  // namespace reader
