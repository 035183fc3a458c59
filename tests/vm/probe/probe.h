// vm_probe: measurements on a real serial driver that the virtual machine test
// tier (scripts/vm-test.sh) takes inside the guest. Each command prints one
// line of key=value facts on standard output; the host judges them.
#pragma once

#include <chrono>
#include <string>

namespace vm_probe {

using Clock = std::chrono::steady_clock;

// A duration in milliseconds with two decimals, e.g. "186.04".
std::string Milliseconds(Clock::duration elapsed);

// One request for `address` as the exchange sends it, then a 31-byte read, on
// the instrument's port settings: how long the write and the read took and
// how many bytes came.
int RunExchange(const std::string& device, int address);

// Eight-byte writes whose output is held back for a while: how long each took to complete,
// and how many completed while their bytes were still waiting to leave the port.
int RunWrite(const std::string& device);

// A held port refuses a second opener, root or not, and takes it once closed.
int RunExclusive(const std::string& device);

// Holds the port as another program that does not flock would: the exclusive flag alone, until
// it is killed. Prints "held" once it holds.
int RunHold(const std::string& device);

// Whether uid 65534 can open the port now: "other=" and the error code of its open, 0 when it
// opened.
int RunOpenAsOther(const std::string& device);

// Opens the port once and exits with the Win32 error code of the open (0: it
// opened); the child side of RunExclusive.
int RunTryOpen(const std::string& device);

// GetCommModemStatus against the kernel's modem lines, and ClearCommError's
// input count once a reply has arrived unread.
int RunStatus(const std::string& device);

}  // namespace vm_probe
