// Built instead of libmodbus_poller.cpp when libmodbus is not installed.
#include "pollers.h"

PollRun PollWithLibmodbus(const std::string&, int, std::chrono::microseconds) { return {}; }
