// Built instead of libmodbus_poller.cpp when libmodbus is not installed.
#include "pollers.h"

std::vector<double> PollWithLibmodbus(const std::string&, int) { return {}; }
