#include "reader/port_list.h"
#include "reader/system_port_list.h"

namespace reader {

int ListSystemPorts(std::ostream& out) { return RunListPorts("/", out); }

}  // namespace reader
