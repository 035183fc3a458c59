#include "comport/com_errors.h"

#include <string>

namespace comport {

EComPort::EComPort(std::int32_t port_code, std::int32_t system_code)
    : runtime::Exception(std::string(PortErrorMessage(port_code)) +
                         " (win error code: " + std::to_string(system_code) + ")"),
      system_code_(system_code),
      port_code_(port_code) {}

EComPort::EComPort(std::int32_t port_code)
    : runtime::Exception(std::string(PortErrorMessage(port_code))),
      system_code_(-1),
      port_code_(port_code) {}

}  // namespace comport
