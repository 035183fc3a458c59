// A scan of the bus: the read request to each address of a range in turn, and what answered.
// The window thread runs it, as it runs a poll, through the process's one exchange worker.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/UART_THREAT.h"
#include "exchange/exchange_port.h"
#include "exchange/exchange_timing.h"

namespace scan {

// What came back from one address.
enum class Finding {
  kReadings,   // a valid normal reply
  kException,  // a valid exception reply: an instrument that refused the request
  kGarbage,    // bytes or line errors, but no valid frame
  kSilent,     // nothing within the first-byte time-out
};

// "readings", "exception", "garbage", "silent".
std::string_view FindingName(Finding finding);

struct Probe {
  std::uint8_t address = 0;
  Finding finding = Finding::kSilent;
  // From the end of the request to the first reply byte; none when nothing came.
  std::optional<std::chrono::steady_clock::duration> turnaround;
  std::optional<std::uint8_t> variant;         // kReadings
  std::optional<std::uint8_t> exception_code;  // kException
  std::int32_t bytes = 0;                      // bytes read
  bool line_errors = false;                    // parity, framing or overrun errors came
  // The reply came after the first-byte time-out, during a later address's probe: found then,
  // with the turnaround it really had.
  bool late = false;

  bool Answered() const { return finding == Finding::kReadings || finding == Finding::kException; }
};

// What a garbled answer usually means, in one sentence.
std::string GarbageHint(const Probe& probe);

// A first-byte time-out that a reply of `turnaround` fits, with a margin: in whole tens of
// milliseconds, 5..1000.
std::chrono::milliseconds TimeoutFitting(std::chrono::steady_clock::duration turnaround);

struct ScanSettings {
  std::uint8_t first = 1;  // 1..247, first at most last
  std::uint8_t last = 247;
  // How long to wait for the first byte of a reply, from 5 ms: by default the read time-out
  // of the whole reply, so the scan waits no less than a poll. A reply that comes later is
  // still its address's, found during a later probe (Probe::late).
  std::chrono::milliseconds first_byte_timeout{31 * exchange::READ_TIMEOUT_MS_PER_BYTE};
};

// How long a silent address takes: the request on the wire, then the first-byte time-out (the
// line is quiet by then, so the next request goes at once).
std::chrono::steady_clock::duration SilentAddressTime(const ScanSettings& settings);

struct ScanProgress {
  std::uint8_t address = 0;                  // just probed
  int found = 0;                             // instruments that answered so far
  std::chrono::steady_clock::duration left;  // at most, for the addresses still to probe
};

struct ScanResult {
  std::vector<Probe> probes;  // one per address probed, in order
  bool cancelled = false;     // `cancel` was set before the range's end
  std::string port_error;     // the port failed or was not open: the scan ended there
};

// Probes first..last through `worker`, whose port must be `line` and is again at the end, under
// a shared line's rules (polling/shared_line.h). `on_probe` (may be empty) is called after each
// address, and again for an earlier one whose reply came late; `cancel` is looked at between
// addresses; `process_messages` (may be empty) is called before each address and every 50 ms
// while the worker probes it, so that a window stays live during the scan. Window thread only,
// while no poll runs.
ScanResult ScanBus(exchange::UART_THREAT& worker, exchange::ExchangePort& line,
                   const ScanSettings& settings, const std::atomic<bool>& cancel,
                   const std::function<void(const Probe&, const ScanProgress&)>& on_probe,
                   const std::function<void()>& process_messages = {});

}  // namespace scan
