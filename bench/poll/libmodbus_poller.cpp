#include <modbus.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "pollers.h"
#include "process_cpu.h"

PollRun PollWithLibmodbus(const std::string& device, int count, std::chrono::microseconds gap) {
  PollRun run;
  // Even parity as on the real line; a pty accepts and ignores it.
  modbus_t* context = modbus_new_rtu(device.c_str(), 9600, 'E', 8, 1);
  if (context == nullptr) return run;
  modbus_set_slave(context, 1);
  modbus_set_response_timeout(context, 1, 0);
  if (modbus_connect(context) == 0) {
    std::uint16_t registers[13];
    const double cpu_start = ProcessCpuMicroseconds();
    for (int i = 0; i < count; ++i) {
      if (gap > std::chrono::microseconds::zero()) std::this_thread::sleep_for(gap);
      const auto start = std::chrono::steady_clock::now();
      const int read = modbus_read_input_registers(context, 0, 13, registers);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      if (read == 13) run.round_trips.push_back(took.count());
    }
    if (count > 0) run.cpu_us_per_poll = (ProcessCpuMicroseconds() - cpu_start) / count;
    modbus_close(context);
  }
  modbus_free(context);
  return run;
}
