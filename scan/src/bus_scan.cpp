#include "scan/bus_scan.h"

#include "exchange/exchange_timing.h"
#include "instrument/readings.h"
#include "polling/poll_instrument.h"
#include "scan/probe_line.h"

namespace scan {
namespace {

// The read request on the wire: 8 characters.
constexpr auto kRequestWireTime = 8 * exchange::CHARACTER_TIME;

// How often a window's events are processed while an address is probed: a silent one takes
// nearly 200 ms.
constexpr std::chrono::milliseconds kMessageInterval{50};

// A poll's view with nothing to show: the scan reports through its own callback.
class QuietView : public exchange::PollView {
 public:
  explicit QuietView(const std::function<void()>& process_messages)
      : process_messages_(process_messages) {}
  void ClearPollTexts() override {}
  void ProcessMessages() override {
    if (process_messages_) process_messages_();
  }
  std::chrono::milliseconds MessageInterval() const override {
    return process_messages_ ? kMessageInterval : std::chrono::milliseconds::zero();
  }
  void ShowSentFrame(const std::string&) override {}
  void ArmReplyTimeout() override {}
  void ShowErrorBox(const std::string& text) override { error = text; }

  std::string error;

 private:
  const std::function<void()>& process_messages_;
};

// Puts the scan's line on the worker for as long as it lives, then the reader's own again.
class WorkerLine {
 public:
  WorkerLine(exchange::UART_THREAT& worker, exchange::ExchangePort& probe,
             exchange::ExchangePort& line)
      : worker_(worker), line_(line) {
    worker_.SetPort(&probe);
  }
  ~WorkerLine() { worker_.SetPort(&line_); }
  WorkerLine(const WorkerLine&) = delete;
  WorkerLine& operator=(const WorkerLine&) = delete;

 private:
  exchange::UART_THREAT& worker_;
  exchange::ExchangePort& line_;
};

Finding FindingOf(const polling::PollResult& result, const ProbeLine& probe) {
  switch (result.outcome) {
    case polling::PollOutcome::kAccepted:
      return Finding::kReadings;
    case polling::PollOutcome::kException:
      return Finding::kException;
    default:
      break;
  }
  return probe.BytesReceived() > 0 || probe.LineErrorsSeen() ? Finding::kGarbage : Finding::kSilent;
}

}  // namespace

std::string_view FindingName(Finding finding) {
  switch (finding) {
    case Finding::kReadings:
      return "readings";
    case Finding::kException:
      return "exception";
    case Finding::kGarbage:
      return "garbage";
    case Finding::kSilent:
      return "silent";
  }
  return "silent";
}

std::string GarbageHint(const Probe& probe) {
  if (probe.line_errors) {
    return "parity or framing errors: the instrument may use other line settings than 9600 "
           "bit/s 8E1, or A and B are swapped";
  }
  return "bytes but no valid frame (a bad CRC or a wrong length): two instruments may share "
         "this address, or A and B are swapped, or the line settings differ";
}

std::chrono::steady_clock::duration SilentAddressTime(const ScanSettings& settings) {
  return kRequestWireTime + settings.first_byte_timeout;
}

ScanResult ScanBus(exchange::UART_THREAT& worker, exchange::ExchangePort& line,
                   const ScanSettings& settings, const std::atomic<bool>& cancel,
                   const std::function<void(const Probe&, const ScanProgress&)>& on_probe,
                   const std::function<void()>& process_messages) {
  ProbeLine probe_line(line, settings.first_byte_timeout);
  const WorkerLine on_worker(worker, probe_line, line);
  QuietView view(process_messages);
  ScanResult scan;
  int found = 0;
  for (int address = settings.first; address <= settings.last; ++address) {
    if (cancel.load(std::memory_order_relaxed)) {
      scan.cancelled = true;
      break;
    }
    // Each address is another instrument: nothing is kept from one reply to the next.
    instrument::DecodedFields fields;
    const polling::PollResult result =
        polling::PollInstrument(static_cast<std::uint8_t>(address), view, worker, fields);
    if (result.outcome == polling::PollOutcome::kPortClosed ||
        result.outcome == polling::PollOutcome::kPortError) {
      scan.port_error =
          result.outcome == polling::PollOutcome::kPortError ? result.error : view.error;
      break;
    }
    Probe probe;
    probe.address = static_cast<std::uint8_t>(address);
    probe.finding = FindingOf(result, probe_line);
    probe.turnaround = probe_line.Turnaround();
    probe.bytes = probe_line.BytesReceived();
    probe.line_errors = probe_line.LineErrorsSeen();
    if (result.readings) probe.variant = result.readings->variant;
    if (probe.finding == Finding::kException) probe.exception_code = result.reply[2];
    if (probe.Answered()) ++found;
    scan.probes.push_back(probe);
    if (on_probe) {
      on_probe(probe,
               {probe.address, found, (settings.last - address) * SilentAddressTime(settings)});
    }
  }
  return scan;
}

}  // namespace scan
